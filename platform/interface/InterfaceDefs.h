/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _INTERFACE_DEFS_H
#define _INTERFACE_DEFS_H


#include <SupportDefs.h>


enum window_type {
	B_UNTYPED_WINDOW = 0,
	B_TITLED_WINDOW = 1,
	B_MODAL_WINDOW = 3,
	B_DOCUMENT_WINDOW = 11,
	B_BORDERED_WINDOW = 20,
	B_FLOATING_WINDOW = 21
};

enum {
	B_NOT_MOVABLE = 0x00000001,
	B_NOT_H_RESIZABLE = 0x00000002,
	B_NOT_V_RESIZABLE = 0x00000004,
	B_NOT_RESIZABLE = 0x00000002,
	B_NOT_CLOSABLE = 0x00000020,
	B_NOT_ZOOMABLE = 0x00000040,
	B_NOT_MINIMIZABLE = 0x00004000,
	B_WILL_ACCEPT_FIRST_CLICK = 0x00000010,
	B_AVOID_FRONT = 0x00000080,
	B_AVOID_FOCUS = 0x00002000
};

#define B_CURRENT_WORKSPACE 0
#define B_ALL_WORKSPACES 0xffffffff

// Resizing modes: which sides of a view follow the matching side of its parent.
#define _rule_(top, left, bottom, right) (((top) << 12) | ((left) << 8) | ((bottom) << 4) | (right))
enum {
	_VIEW_TOP_ = 1,
	_VIEW_LEFT_ = 2,
	_VIEW_BOTTOM_ = 3,
	_VIEW_RIGHT_ = 4
};
#define B_FOLLOW_NONE 0
#define B_FOLLOW_ALL_SIDES _rule_(_VIEW_TOP_, _VIEW_LEFT_, _VIEW_BOTTOM_, _VIEW_RIGHT_)
#define B_FOLLOW_ALL B_FOLLOW_ALL_SIDES
#define B_FOLLOW_LEFT_TOP _rule_(_VIEW_TOP_, _VIEW_LEFT_, _VIEW_TOP_, _VIEW_LEFT_)

enum {
	B_FULL_UPDATE_ON_RESIZE = 0x80000000UL,
	B_WILL_DRAW = 0x20000000UL,
	B_PULSE_NEEDED = 0x10000000UL,
	B_NAVIGABLE_JUMP = 0x08000000UL,
	B_FRAME_EVENTS = 0x04000000UL,
	B_NAVIGABLE = 0x02000000UL
};

enum button_width {
	B_WIDTH_AS_USUAL = 0,
	B_WIDTH_FROM_WIDEST = 1,
	B_WIDTH_FROM_LABEL = 2
};

enum alert_type {
	B_EMPTY_ALERT = 0,
	B_INFO_ALERT = 1,
	B_IDEA_ALERT = 2,
	B_WARNING_ALERT = 3,
	B_STOP_ALERT = 4
};

enum {
	B_CONTROL_OFF = 0,
	B_CONTROL_ON = 1
};


#endif // _INTERFACE_DEFS_H
