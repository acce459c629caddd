/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _APP_DEFS_H
#define _APP_DEFS_H


enum {
	B_ABOUT_REQUESTED = '_ABR',
	B_ARGV_RECEIVED = '_ARG',
	B_QUIT_REQUESTED = '_QRQ',
	B_READY_TO_RUN = '_RTR',
	B_REFS_RECEIVED = '_RRC',
	B_SIMPLE_DATA = 'DATA',
	B_MIME_DATA = 'MIME',
	B_MOUSE_DOWN = '_MDN',
	B_KEY_DOWN = '_KYD',
	B_CONTROL_INVOKED = '_CIV',
	B_NO_REPLY = '_NRP'
};

// Launch flags of an application's records.
#define B_SINGLE_LAUNCH (0x0)
#define B_MULTIPLE_LAUNCH (0x1)
#define B_EXCLUSIVE_LAUNCH (0x2)
#define B_LAUNCH_MASK (0x3)
#define B_BACKGROUND_APP (0x4)
#define B_ARGV_ONLY (0x8)


#endif // _APP_DEFS_H
