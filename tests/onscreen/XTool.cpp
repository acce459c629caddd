/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// What the on-screen tests need of X that xdotool can't do well:
//   xtool wait-window TITLE MS     waits for a mapped top-level window titled TITLE, prints
//                                  "ID X Y WIDTH HEIGHT"
//   xtool wait-gone ID MS          waits until window ID is unmapped or destroyed
//   xtool close ID                 asks ID to close as a window manager's close box does
//   xtool drop ID X Y TYPE FILE [TYPE FILE]...
//                                  drags to root X,Y over ID and drops there, offering each
//                                  TYPE with its FILE's bytes; prints "asked TYPE" for each
//                                  type the target asks for, then the target's answer; a
//                                  FILE "-" offers the type but refuses to hand it over;
//                                  then "accepted" or "not accepted"
//   xtool drop-whole ID X Y TYPE FILE [TYPE FILE]...
//                                  the same, the data in one piece however large
//   xtool drop-vanish ID X Y TYPE FILE
//                                  starts the drag, and destroys its window before the drop
//   xtool drop-die ID X Y TYPE FILE
//                                  drops, and exits once the target has the first piece of the
//                                  data (which must come in pieces)
//   xtool xdnd ID MESSAGE SOURCE [FORMAT]
//                                  sends ID the one XDND message (XdndEnter with a list of
//                                  types, XdndPosition, XdndDrop) naming SOURCE as its source,
//                                  in FORMAT (32 unless told)
//   xtool destroy ID               destroys window ID, as any client may
//
// The drop plays the source's half of XDND as the file managers' toolkits do: the pointer is
// grabbed while it moves onto the target, and let go before the drop, so that the target sees
// the pointer enter its window between the last position and the drop.

#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>


namespace {

typedef std::chrono::steady_clock clock_type;

Display* sDisplay;
bool sBadWindow;


int
ignore_errors(Display*, XErrorEvent* event)
{
	if (event->error_code == BadWindow || event->error_code == BadDrawable)
		sBadWindow = true;
	return 0;
}


// Waits for the next event until the deadline; false at the deadline.
bool
next_event(XEvent* event, clock_type::time_point deadline)
{
	while (XPending(sDisplay) == 0) {
		auto left
			= std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now())
				  .count();
		if (left <= 0)
			return false;
		pollfd descriptor = {ConnectionNumber(sDisplay), POLLIN, 0};
		poll(&descriptor, 1, static_cast<int>(std::min<long long>(left, 100)));
	}
	XNextEvent(sDisplay, event);
	return true;
}


bool
title_of(Window window, std::string* title)
{
	XTextProperty property;
	if (XGetWMName(sDisplay, window, &property) == 0 || property.value == NULL)
		return false;
	title->assign(reinterpret_cast<char*>(property.value), property.nitems);
	XFree(property.value);
	return true;
}


// A window manager puts each top-level window in a frame of its own: the window may be a child
// of the root's child.
Window
find_window(const char* title, Window parentWindow = None, int depth = 0)
{
	Window root;
	Window parent;
	Window* children = NULL;
	unsigned int count = 0;
	if (parentWindow == None)
		parentWindow = DefaultRootWindow(sDisplay);
	sBadWindow = false;
	if (XQueryTree(sDisplay, parentWindow, &root, &parent, &children, &count) == 0 || sBadWindow)
		return None;
	Window found = None;
	for (unsigned int i = 0; i < count && found == None; i++) {
		XWindowAttributes attributes;
		std::string name;
		sBadWindow = false;
		if (XGetWindowAttributes(sDisplay, children[i], &attributes) == 0 || sBadWindow
			|| attributes.map_state != IsViewable)
			continue;
		if (title_of(children[i], &name)) {
			if (name == title)
				found = children[i];
		} else if (depth == 0) {
			found = find_window(title, children[i], 1);
		}
	}
	if (children != NULL)
		XFree(children);
	return found;
}


int
wait_window(const char* title, int milliseconds)
{
	auto deadline = clock_type::now() + std::chrono::milliseconds(milliseconds);
	XSelectInput(sDisplay, DefaultRootWindow(sDisplay), SubstructureNotifyMask);
	while (true) {
		Window window = find_window(title);
		if (window != None) {
			XWindowAttributes attributes;
			XGetWindowAttributes(sDisplay, window, &attributes);
			int x;
			int y;
			Window child;
			XTranslateCoordinates(sDisplay, window, DefaultRootWindow(sDisplay), 0, 0, &x, &y,
				&child);
			printf("%lu %d %d %d %d\n", window, x, y, attributes.width, attributes.height);
			return 0;
		}
		XEvent event;
		if (!next_event(&event, deadline) && clock_type::now() >= deadline) {
			fprintf(stderr, "xtool: no window \"%s\"\n", title);
			return 1;
		}
		// Titles may come after the map: look at property changes of new windows too.
		if (event.type == CreateNotify)
			XSelectInput(sDisplay, event.xcreatewindow.window, PropertyChangeMask);
	}
}


bool
is_mapped(Window window)
{
	XWindowAttributes attributes;
	sBadWindow = false;
	XSync(sDisplay, False);
	bool exists = XGetWindowAttributes(sDisplay, window, &attributes) != 0;
	XSync(sDisplay, False);
	return exists && !sBadWindow && attributes.map_state != IsUnmapped;
}


int
wait_gone(Window window, int milliseconds)
{
	auto deadline = clock_type::now() + std::chrono::milliseconds(milliseconds);
	XSelectInput(sDisplay, window, StructureNotifyMask);
	while (is_mapped(window)) {
		XEvent event;
		if (!next_event(&event, deadline)) {
			fprintf(stderr, "xtool: window %lu is still there\n", window);
			return 1;
		}
	}
	return 0;
}


int
close_window(Window window)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(sDisplay, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(sDisplay, "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(sDisplay, window, False, NoEventMask, &event);
	XSync(sDisplay, False);
	return 0;
}


void
send_xdnd(Window target, Window source, const char* type, long l1, long l2, long l3, long l4)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = target;
	event.xclient.message_type = XInternAtom(sDisplay, type, False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(source);
	event.xclient.data.l[1] = l1;
	event.xclient.data.l[2] = l2;
	event.xclient.data.l[3] = l3;
	event.xclient.data.l[4] = l4;
	XSendEvent(sDisplay, target, False, NoEventMask, &event);
	XFlush(sDisplay);
}


// A type offered with no bytes (NULL) is refused when asked for.
typedef std::vector<std::pair<Atom, const std::string*>> offer_list;

// Toolkits send data larger than this in pieces (INCR), as large drops come from them.
const size_t kPieceSize = 256 * 1024 - 100;

// How the drag goes wrong, if it does.
enum drag_mode {
	kHonest,
	kWhole,
	kVanish,
	kDie,
};
drag_mode sMode = kHonest;


// Waits until the requestor deleted the property, which asks for the next piece.
bool
wait_deleted(Window window, Atom property, clock_type::time_point deadline)
{
	while (true) {
		XEvent event;
		while (XCheckTypedWindowEvent(sDisplay, window, PropertyNotify, &event)) {
			if (event.xproperty.atom == property && event.xproperty.state == PropertyDelete)
				return true;
		}
		auto left
			= std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now())
				  .count();
		if (left <= 0)
			return false;
		pollfd descriptor = {ConnectionNumber(sDisplay), POLLIN, 0};
		poll(&descriptor, 1, static_cast<int>(std::min<long long>(left, 100)));
	}
}


// Hands the bytes over in pieces: first their size as an INCR property, then a piece each time
// the requestor deleted the last one, then an empty piece.
void
send_in_pieces(const XSelectionRequestEvent& request, Atom property, const std::string& bytes,
	XEvent* reply)
{
	auto deadline = clock_type::now() + std::chrono::seconds(10);
	XSelectInput(sDisplay, request.requestor, PropertyChangeMask);
	long size = static_cast<long>(bytes.size());
	XChangeProperty(sDisplay, request.requestor, property, XInternAtom(sDisplay, "INCR", False), 32,
		PropModeReplace, reinterpret_cast<const unsigned char*>(&size), 1);
	reply->xselection.property = property;
	XSendEvent(sDisplay, request.requestor, False, NoEventMask, reply);
	XFlush(sDisplay);
	size_t offset = 0;
	while (wait_deleted(request.requestor, property, deadline)) {
		// The source dies halfway: the target has had one piece.
		if (sMode == kDie && offset > 0)
			_exit(0);
		size_t length = std::min(kPieceSize, bytes.size() - offset);
		XChangeProperty(sDisplay, request.requestor, property, request.target, 8, PropModeReplace,
			reinterpret_cast<const unsigned char*>(bytes.data() + offset),
			static_cast<int>(length));
		XFlush(sDisplay);
		if (length == 0)
			break;
		offset += length;
	}
	XSelectInput(sDisplay, request.requestor, NoEventMask);
}


// Answers a request for the drag's data: the bytes offered for the type asked, the list of
// types for TARGETS, a refusal for anything else.
void
answer_request(const XSelectionRequestEvent& request, const offer_list& offers)
{
	XEvent reply = {};
	reply.xselection.type = SelectionNotify;
	reply.xselection.requestor = request.requestor;
	reply.xselection.selection = request.selection;
	reply.xselection.target = request.target;
	reply.xselection.time = request.time;
	reply.xselection.property = None;
	Atom property = request.property != None ? request.property : request.target;
	char* name = XGetAtomName(sDisplay, request.target);
	printf("asked %s\n", name != NULL ? name : "?");
	fflush(stdout);
	if (name != NULL)
		XFree(name);
	if (request.target == XInternAtom(sDisplay, "TARGETS", False)) {
		std::vector<long> types;
		for (const auto& offer : offers)
			types.push_back(static_cast<long>(offer.first));
		XChangeProperty(sDisplay, request.requestor, property, XA_ATOM, 32, PropModeReplace,
			reinterpret_cast<const unsigned char*>(types.data()), static_cast<int>(types.size()));
		reply.xselection.property = property;
	}
	for (const auto& offer : offers) {
		if (offer.first != request.target || offer.second == NULL)
			continue;
		const std::string& bytes = *offer.second;
		if (bytes.size() > kPieceSize && sMode != kWhole) {
			send_in_pieces(request, property, bytes, &reply);
			return;
		}
		XChangeProperty(sDisplay, request.requestor, property, request.target, 8, PropModeReplace,
			reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
		reply.xselection.property = property;
		break;
	}
	XSendEvent(sDisplay, request.requestor, False, NoEventMask, &reply);
	XFlush(sDisplay);
}


// Waits for the XDND message type, answering the selection requests that come meanwhile.
bool
wait_xdnd(const char* type, const offer_list& offers, XEvent* _event,
	clock_type::time_point deadline)
{
	Atom wanted = XInternAtom(sDisplay, type, False);
	XEvent event;
	while (next_event(&event, deadline)) {
		if (event.type == ClientMessage && event.xclient.message_type == wanted) {
			*_event = event;
			return true;
		}
		if (event.type == SelectionRequest)
			answer_request(event.xselectionrequest, offers);
	}
	return false;
}


void
move_pointer(int x, int y)
{
	XWarpPointer(sDisplay, None, DefaultRootWindow(sDisplay), 0, 0, 0, 0, x, y);
	XFlush(sDisplay);
}


int
drop(Window target, int x, int y, char** types, int typeCount)
{
	std::vector<std::string> payloads(typeCount / 2);
	offer_list offers;
	for (int i = 0; i + 1 < typeCount; i += 2) {
		Atom type = XInternAtom(sDisplay, types[i], False);
		if (strcmp(types[i + 1], "-") == 0) {
			offers.emplace_back(type, nullptr);
			continue;
		}
		std::ifstream input(types[i + 1], std::ios::binary);
		std::string& payload = payloads[i / 2];
		payload.assign(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
		if (!input.good() && !input.eof()) {
			fprintf(stderr, "xtool: can't read %s\n", types[i + 1]);
			return 1;
		}
		offers.emplace_back(type, &payload);
	}

	auto deadline = clock_type::now() + std::chrono::seconds(10);
	Window root = DefaultRootWindow(sDisplay);
	Window source = XCreateSimpleWindow(sDisplay, root, 0, 0, 1, 1, 0, 0, 0);
	Atom selection = XInternAtom(sDisplay, "XdndSelection", False);
	XSetSelectionOwner(sDisplay, selection, source, CurrentTime);

	long version = 5;
	Atom actual;
	int format;
	unsigned long count;
	unsigned long after;
	unsigned char* data = NULL;
	if (XGetWindowProperty(sDisplay, target, XInternAtom(sDisplay, "XdndAware", False), 0, 1, False,
			XA_ATOM, &actual, &format, &count, &after, &data)
			!= Success
		|| count == 0) {
		fprintf(stderr, "xtool: window %lu takes no drops\n", target);
		return 1;
	}
	version = std::min(version, *reinterpret_cast<long*>(data));
	XFree(data);

	// The drag starts away from the target; while it lasts the source holds the pointer, so the
	// target sees no crossing until the source lets go.
	move_pointer(0, 0);
	if (XGrabPointer(sDisplay, root, False, ButtonMotionMask | ButtonReleaseMask, GrabModeAsync,
			GrabModeAsync, None, None, CurrentTime)
		!= GrabSuccess) {
		fprintf(stderr, "xtool: can't grab the pointer\n");
		return 1;
	}
	move_pointer(x / 2, y / 2);
	move_pointer(x, y);

	long types3[3] = {None, None, None};
	std::vector<long> typeList;
	for (size_t i = 0; i < offers.size(); i++) {
		typeList.push_back(static_cast<long>(offers[i].first));
		if (i < 3)
			types3[i] = static_cast<long>(offers[i].first);
	}
	long more = 0;
	if (offers.size() > 3) {
		XChangeProperty(sDisplay, source, XInternAtom(sDisplay, "XdndTypeList", False), XA_ATOM, 32,
			PropModeReplace, reinterpret_cast<const unsigned char*>(typeList.data()),
			static_cast<int>(typeList.size()));
		more = 1;
	}
	long copy = static_cast<long>(XInternAtom(sDisplay, "XdndActionCopy", False));
	send_xdnd(target, source, "XdndEnter", (version << 24) | more, types3[0], types3[1], types3[2]);
	send_xdnd(target, source, "XdndPosition", 0, (x << 16) | y, CurrentTime, copy);
	XEvent answer;
	if (!wait_xdnd("XdndStatus", offers, &answer, deadline)) {
		fprintf(stderr, "xtool: no XdndStatus\n");
		return 1;
	}
	// The button goes up: the source lets go of the pointer, which now enters the target.
	XUngrabPointer(sDisplay, CurrentTime);
	if (sMode == kVanish) {
		XDestroyWindow(sDisplay, source);
		XSync(sDisplay, False);
		printf("vanished\n");
		return 0;
	}
	if ((answer.xclient.data.l[1] & 1) == 0) {
		send_xdnd(target, source, "XdndLeave", 0, 0, 0, 0);
		printf("refused\n");
		return 0;
	}
	send_xdnd(target, source, "XdndDrop", 0, CurrentTime, 0, 0);
	if (!wait_xdnd("XdndFinished", offers, &answer, deadline)) {
		fprintf(stderr, "xtool: no XdndFinished\n");
		return 1;
	}
	printf("finished\n");
	printf((answer.xclient.data.l[1] & 1) != 0 ? "accepted\n" : "not accepted\n");
	return 0;
}


int
send_message(Window target, const char* type, Window source, int format)
{
	long copy = static_cast<long>(XInternAtom(sDisplay, "XdndActionCopy", False));
	long text = static_cast<long>(XInternAtom(sDisplay, "text/uri-list", False));
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.window = target;
	event.xclient.message_type = XInternAtom(sDisplay, type, False);
	event.xclient.format = format;
	event.xclient.data.l[0] = static_cast<long>(source);
	if (strcmp(type, "XdndEnter") == 0) {
		// More types than three: the target reads the source's list.
		event.xclient.data.l[1] = (5L << 24) | 1;
		event.xclient.data.l[2] = text;
	} else if (strcmp(type, "XdndPosition") == 0) {
		event.xclient.data.l[2] = (10L << 16) | 10;
		event.xclient.data.l[3] = CurrentTime;
		event.xclient.data.l[4] = copy;
	} else if (strcmp(type, "XdndDrop") == 0) {
		event.xclient.data.l[2] = CurrentTime;
	}
	XSendEvent(sDisplay, target, False, NoEventMask, &event);
	XSync(sDisplay, False);
	return 0;
}

} // namespace


int
main(int argc, char** argv)
{
	sDisplay = XOpenDisplay(NULL);
	if (sDisplay == NULL) {
		fprintf(stderr, "xtool: can't open the X display\n");
		return 2;
	}
	XSetErrorHandler(&ignore_errors);
	std::string command = argc > 1 ? argv[1] : "";
	if (command == "wait-window" && argc == 4)
		return wait_window(argv[2], atoi(argv[3]));
	if (command == "wait-gone" && argc == 4)
		return wait_gone(strtoul(argv[2], NULL, 0), atoi(argv[3]));
	if (command == "close" && argc == 3)
		return close_window(strtoul(argv[2], NULL, 0));
	if (command == "destroy" && argc == 3) {
		XDestroyWindow(sDisplay, strtoul(argv[2], NULL, 0));
		XSync(sDisplay, False);
		return sBadWindow ? 1 : 0;
	}
	if (command == "xdnd" && (argc == 5 || argc == 6))
		return send_message(strtoul(argv[2], NULL, 0), argv[3], strtoul(argv[4], NULL, 0),
			argc == 6 ? atoi(argv[5]) : 32);
	if (command == "drop-whole")
		sMode = kWhole;
	else if (command == "drop-vanish")
		sMode = kVanish;
	else if (command == "drop-die")
		sMode = kDie;
	if ((command == "drop" || sMode != kHonest) && argc >= 7 && argc % 2 == 1)
		return drop(strtoul(argv[2], NULL, 0), atoi(argv[3]), atoi(argv[4]), argv + 5, argc - 5);
	fprintf(stderr,
		"usage: xtool wait-window TITLE MS | wait-gone ID MS | close ID"
		" | drop[-whole|-vanish|-die] ID X Y TYPE FILE [TYPE FILE]..."
		" | xdnd ID MESSAGE SOURCE [FORMAT] | destroy ID\n");
	return 2;
}
