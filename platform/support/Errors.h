/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _ERRORS_H
#define _ERRORS_H


#include <limits.h>


// The kits' status codes keep their BeOS values; Linux errno values are small positive numbers
// and are translated where a kit call fails (see errno_to_status).
#define B_GENERAL_ERROR_BASE INT_MIN
#define B_APP_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x2000)
#define B_STORAGE_ERROR_BASE (B_GENERAL_ERROR_BASE + 0x6000)

enum {
	B_NO_MEMORY = B_GENERAL_ERROR_BASE,
	B_IO_ERROR,
	B_PERMISSION_DENIED,
	B_BAD_INDEX,
	B_BAD_TYPE,
	B_BAD_VALUE,
	B_MISMATCHED_VALUES,
	B_NAME_NOT_FOUND,
	B_NAME_IN_USE,
	B_TIMED_OUT,
	B_INTERRUPTED,
	B_WOULD_BLOCK,
	B_CANCELED,
	B_NO_INIT,
	B_BUSY,
	B_NOT_ALLOWED,
	B_BAD_DATA,

	B_ERROR = -1,
	B_OK = 0,
	B_NO_ERROR = 0
};

enum {
	B_BAD_SEM_ID = B_GENERAL_ERROR_BASE + 0x1000,
	B_BAD_THREAD_ID = B_GENERAL_ERROR_BASE + 0x1000 + 0x100,
	B_NO_MORE_THREADS = B_GENERAL_ERROR_BASE + 0x1000 + 0x101
};

enum {
	B_NOT_A_MESSAGE = B_APP_ERROR_BASE + 16,
	B_MESSAGE_NOT_UNDERSTOOD = B_APP_ERROR_BASE + 17,
	B_BAD_HANDLER = B_APP_ERROR_BASE + 18,
	B_BAD_PORT_ID = B_APP_ERROR_BASE + 19
};

enum {
	B_FILE_ERROR = B_STORAGE_ERROR_BASE,
	B_FILE_NOT_FOUND,
	B_FILE_EXISTS,
	B_ENTRY_NOT_FOUND,
	B_NAME_TOO_LONG,
	B_NOT_A_DIRECTORY,
	B_DIRECTORY_NOT_EMPTY,
	B_DEVICE_FULL,
	B_READ_ONLY_DEVICE,
	B_IS_A_DIRECTORY,
	B_NO_MORE_FDS,
	B_CROSS_DEVICE_LINK,
	B_LINK_LIMIT,
	B_BUSTED_PIPE,
	B_UNSUPPORTED,
	B_PARTITION_TOO_SMALL
};

// Translates a Linux errno value into the kits' status code for it.
#ifdef __cplusplus
extern "C"
{
#endif
	int errno_to_status(int error);
#ifdef __cplusplus
}
#endif


#endif // _ERRORS_H
