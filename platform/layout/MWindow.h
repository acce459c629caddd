/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MWINDOW_H
#define _MWINDOW_H


#include <Window.h>


// A window that sizes itself to its top layout view: Show() gives the window that view's minimum
// size, keeping the frame's left-top corner, and lays the view out before the window appears.
class MWindow : public BWindow {
public:
	MWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~MWindow();

	virtual void Show();
	virtual void MessageReceived(BMessage* message);
};


#endif // _MWINDOW_H
