/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// A desktop's top bar, as far as window managers see one: a dock window across the top of the
// screen that reserves its height with _NET_WM_STRUT_PARTIAL, so that the window manager's work
// area starts below it.
//   strut_panel HEIGHT     maps the panel, prints its window id, and stays until killed

#include <stdio.h>
#include <stdlib.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>


int
main(int argc, char** argv)
{
	int height = argc == 2 ? atoi(argv[1]) : 0;
	if (height <= 0) {
		fprintf(stderr, "usage: strut_panel HEIGHT\n");
		return 2;
	}
	Display* display = XOpenDisplay(NULL);
	if (display == NULL) {
		fprintf(stderr, "strut_panel: can't open the X display\n");
		return 2;
	}
	int screen = DefaultScreen(display);
	int width = DisplayWidth(display, screen);
	XSetWindowAttributes attributes = {};
	attributes.background_pixel = 0x3a3a3a;
	Window panel = XCreateWindow(display, RootWindow(display, screen), 0, 0, width, height, 0,
		CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);

	// The window manager reads both before it manages the window.
	Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
		PropModeReplace, reinterpret_cast<unsigned char*>(&dock), 1);
	// Left, right, top, bottom, then where each runs along its edge.
	long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0};
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False),
		XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
	XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
		PropModeReplace, reinterpret_cast<unsigned char*>(strut), 4);
	// Where it asks to be, as panels do, rather than where the window manager would put it.
	XSizeHints hints = {};
	hints.flags = USPosition | USSize;
	hints.width = width;
	hints.height = height;
	XSetWMNormalHints(display, panel, &hints);
	XStoreName(display, panel, "Panel");
	XMapWindow(display, panel);
	XSync(display, False);
	printf("%lu\n", panel);
	fflush(stdout);

	while (true) {
		XEvent event;
		XNextEvent(display, &event);
	}
}
