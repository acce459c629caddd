/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _STORAGE_DEFS_H
#define _STORAGE_DEFS_H


#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH (B_FILE_NAME_LENGTH - 1)
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)

// What BStatable::set_stat changes.
enum {
	B_STAT_MODE = 0x0001,
	B_STAT_UID = 0x0002,
	B_STAT_GID = 0x0004
};


#endif // _STORAGE_DEFS_H
