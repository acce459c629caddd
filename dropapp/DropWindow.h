/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DROP_WINDOW_H
#define DROP_WINDOW_H


#include <Window.h>


// Bitwell's one window: closing it ends the application.
class DropWindow : public BWindow {
public:
	DropWindow(BRect frame);
	virtual ~DropWindow();

	virtual bool QuitRequested();
};


#endif // DROP_WINDOW_H
