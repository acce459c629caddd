/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// A window manager whose title bars another program draws, as far as its windows see it: asked
// how it would decorate a window, it answers with no decorations; a window it manages gets a
// title bar of TITLE pixels above it, and no frame may start above its top bar, BAR pixels
// high, which it publishes as the work area. It does not reparent.
//   frames_elsewhere BAR TITLE     manages the screen until killed

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <set>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>


namespace {

Display* sDisplay;
int sBar;
int sTitle;


Atom
atom(const char* name)
{
	return XInternAtom(sDisplay, name, False);
}


void
set_longs(Window window, const char* property, Atom type, const long* values, int count)
{
	XChangeProperty(sDisplay, window, atom(property), type, 32, PropModeReplace,
		reinterpret_cast<const unsigned char*>(values), count);
}


void
set_frame_extents(Window window, long top)
{
	const long extents[4] = {0, 0, top, 0};
	set_longs(window, "_NET_FRAME_EXTENTS", XA_CARDINAL, extents, 4);
}


// The inside's top edge that keeps the frame below the top bar.
int
kept_y(int y)
{
	return y - sTitle < sBar ? sBar + sTitle : y;
}


int
ignore_errors(Display*, XErrorEvent*)
{
	return 0;
}


bool sOtherManager;


int
note_other_manager(Display*, XErrorEvent*)
{
	sOtherManager = true;
	return 0;
}

} // namespace


int
main(int argc, char** argv)
{
	sBar = argc == 3 ? atoi(argv[1]) : -1;
	sTitle = argc == 3 ? atoi(argv[2]) : -1;
	if (sBar < 0 || sTitle <= 0) {
		fprintf(stderr, "usage: frames_elsewhere BAR TITLE\n");
		return 2;
	}
	// Now and then the server, just started, refuses the first connection: tried again for a
	// few seconds.
	for (int attempt = 0; attempt < 100; attempt++) {
		sDisplay = XOpenDisplay(NULL);
		if (sDisplay != NULL)
			break;
		usleep(50000);
	}
	if (sDisplay == NULL) {
		fprintf(stderr, "frames_elsewhere: can't open the X display\n");
		return 2;
	}
	int screen = DefaultScreen(sDisplay);
	Window root = RootWindow(sDisplay, screen);
	XSetErrorHandler(&note_other_manager);
	XSelectInput(sDisplay, root, SubstructureRedirectMask | SubstructureNotifyMask);
	XSync(sDisplay, False);
	if (sOtherManager) {
		fprintf(stderr, "frames_elsewhere: another window manager runs\n");
		return 1;
	}
	// Windows go away while they are worked on.
	XSetErrorHandler(&ignore_errors);

	const Atom supported[] = {atom("_NET_REQUEST_FRAME_EXTENTS"), atom("_NET_FRAME_EXTENTS"),
		atom("_NET_WORKAREA"), atom("_NET_CURRENT_DESKTOP"), atom("_NET_SUPPORTING_WM_CHECK")};
	set_longs(root, "_NET_SUPPORTED", XA_ATOM, reinterpret_cast<const long*>(supported),
		sizeof(supported) / sizeof(supported[0]));
	const long area[4]
		= {0, sBar, DisplayWidth(sDisplay, screen), DisplayHeight(sDisplay, screen) - sBar};
	set_longs(root, "_NET_WORKAREA", XA_CARDINAL, area, 4);
	const long desktop = 0;
	set_longs(root, "_NET_CURRENT_DESKTOP", XA_CARDINAL, &desktop, 1);
	Window check = XCreateSimpleWindow(sDisplay, root, -1, -1, 1, 1, 0, 0, 0);
	const long checkId = static_cast<long>(check);
	set_longs(check, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &checkId, 1);
	set_longs(root, "_NET_SUPPORTING_WM_CHECK", XA_WINDOW, &checkId, 1);
	XSync(sDisplay, False);

	std::set<Window> managed;
	while (true) {
		XEvent event;
		XNextEvent(sDisplay, &event);
		switch (event.type) {
			case ClientMessage:
				if (event.xclient.message_type == atom("_NET_REQUEST_FRAME_EXTENTS"))
					set_frame_extents(event.xclient.window, 0);
				break;
			case MapRequest:
			{
				Window window = event.xmaprequest.window;
				managed.insert(window);
				set_frame_extents(window, sTitle);
				XWindowAttributes attributes;
				if (XGetWindowAttributes(sDisplay, window, &attributes))
					XMoveWindow(sDisplay, window, attributes.x, kept_y(attributes.y));
				XWMHints* hints = XGetWMHints(sDisplay, window);
				bool iconic = hints != NULL && (hints->flags & StateHint) != 0
					&& hints->initial_state == IconicState;
				if (hints != NULL)
					XFree(hints);
				const long state[2] = {iconic ? IconicState : NormalState, None};
				set_longs(window, "WM_STATE", atom("WM_STATE"), state, 2);
				if (!iconic)
					XMapWindow(sDisplay, window);
				break;
			}
			case ConfigureRequest:
			{
				const XConfigureRequestEvent& request = event.xconfigurerequest;
				XWindowChanges changes = {};
				changes.x = request.x;
				changes.y = request.y;
				if (managed.count(request.window) != 0 && (request.value_mask & CWY) != 0)
					changes.y = kept_y(request.y);
				changes.width = request.width;
				changes.height = request.height;
				changes.border_width = request.border_width;
				changes.sibling = request.above;
				changes.stack_mode = request.detail;
				XConfigureWindow(sDisplay, request.window, request.value_mask, &changes);
				break;
			}
			case DestroyNotify:
				managed.erase(event.xdestroywindow.window);
				break;
		}
		XFlush(sDisplay);
	}
}
