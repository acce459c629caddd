/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef OPEN_DISPLAY_H
#define OPEN_DISPLAY_H


#include <X11/Xlib.h>

#include <chrono>
#include <thread>


// A connection the server refuses is tried again for a while: opening it is outside what is
// timed.
inline Display*
open_display()
{
	for (int attempt = 0; attempt < 20; attempt++) {
		if (Display* display = XOpenDisplay(NULL))
			return display;
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return NULL;
}


#endif // OPEN_DISPLAY_H
