/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/WorkArea.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xutil.h>


namespace BPrivate {


namespace {

// How long a window manager gets to say how it would decorate a window; they answer at once,
// and one that does not is asked only once.
const std::chrono::milliseconds kAnswerTime(250);


// Reads up to count 32-bit items of a property; false if it has fewer than minimum.
bool
read_longs(Display* display, Window window, Atom property, Atom type, long count, long minimum,
	std::vector<long>* _values)
{
	Atom actualType;
	int format;
	unsigned long items;
	unsigned long after;
	unsigned char* data = NULL;
	if (XGetWindowProperty(display, window, property, 0, count, False, type, &actualType, &format,
			&items, &after, &data)
		!= Success)
		return false;
	bool found = actualType == type && format == 32 && items >= static_cast<unsigned long>(minimum);
	if (found) {
		// Xlib hands 32-bit items over as longs.
		const long* values = reinterpret_cast<const long*>(data);
		_values->assign(values, values + items);
	}
	if (data != NULL)
		XFree(data);
	return found;
}


struct property_change {
	Window window;
	Atom property;
};


Bool
is_change(Display*, XEvent* event, XPointer data)
{
	const property_change* change = reinterpret_cast<const property_change*>(data);
	return event->type == PropertyNotify && event->xproperty.window == change->window
		&& event->xproperty.atom == change->property;
}

} // namespace


WorkArea::WorkArea(Display* display)
	: fDisplay(display),
	  fWorkArea(XInternAtom(display, "_NET_WORKAREA", False)),
	  fCurrentDesktop(XInternAtom(display, "_NET_CURRENT_DESKTOP", False)),
	  fFrameExtents(XInternAtom(display, "_NET_FRAME_EXTENTS", False)),
	  fAsked(false)
{
}


bool
WorkArea::Keep(int* x, int* y, int width, int height, Window framed)
{
	long areaX;
	long areaY;
	long areaWidth;
	long areaHeight;
	if (!_Area(&areaX, &areaY, &areaWidth, &areaHeight))
		return false;
	extents room = _Extents(framed);
	long left = std::min<long>(*x, areaX + areaWidth - room.right - width);
	long top = std::min<long>(*y, areaY + areaHeight - room.bottom - height);
	*x = static_cast<int>(std::max(left, areaX + room.left));
	*y = static_cast<int>(std::max(top, areaY + room.top));
	return true;
}


bool
WorkArea::_Area(long* x, long* y, long* width, long* height)
{
	Window root = DefaultRootWindow(fDisplay);
	std::vector<long> areas;
	// Four items for each desktop; a few dozen desktops are plenty.
	if (!read_longs(fDisplay, root, fWorkArea, XA_CARDINAL, 4 * 64, 4, &areas))
		return false;
	std::vector<long> desktop;
	size_t index = 0;
	if (read_longs(fDisplay, root, fCurrentDesktop, XA_CARDINAL, 1, 1, &desktop) && desktop[0] >= 0
		&& 4 * static_cast<size_t>(desktop[0]) + 3 < areas.size())
		index = 4 * static_cast<size_t>(desktop[0]);
	*x = areas[index];
	*y = areas[index + 1];
	*width = areas[index + 2];
	*height = areas[index + 3];
	return *width > 0 && *height > 0;
}


WorkArea::extents
WorkArea::_Extents(Window framed)
{
	extents found;
	if (framed != None && _ReadExtents(framed, &found)) {
		fExtents = found;
		return found;
	}
	if (!fExtents && !fAsked) {
		fAsked = true;
		fExtents = _AskExtents();
	}
	return fExtents.value_or(extents());
}


bool
WorkArea::_ReadExtents(Window window, extents* _extents)
{
	std::vector<long> values;
	if (!read_longs(fDisplay, window, fFrameExtents, XA_CARDINAL, 4, 4, &values))
		return false;
	_extents->left = values[0];
	_extents->right = values[1];
	_extents->top = values[2];
	_extents->bottom = values[3];
	return true;
}


// Before any window of ours is decorated: asks the window manager how it would decorate a new
// one, on a window made for the question that never shows. A window manager whose title bars
// are drawn elsewhere answers with no decorations at all: then the question window is mapped
// minimized, out of the task lists, and the room its frame gets is the answer.
std::optional<WorkArea::extents>
WorkArea::_AskExtents()
{
	Atom request = XInternAtom(fDisplay, "_NET_REQUEST_FRAME_EXTENTS", False);
	if (!_Supported(request))
		return std::nullopt;
	Window root = DefaultRootWindow(fDisplay);
	XSetWindowAttributes attributes = {};
	attributes.event_mask = PropertyChangeMask;
	Window window = XCreateWindow(fDisplay, root, 0, 0, 1, 1, 0, CopyFromParent, InputOutput,
		CopyFromParent, CWEventMask, &attributes);
	XEvent message = {};
	message.xclient.type = ClientMessage;
	message.xclient.window = window;
	message.xclient.message_type = request;
	message.xclient.format = 32;
	XSendEvent(fDisplay, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &message);

	std::optional<extents> answer = _AwaitExtents(window, false);
	if (answer && answer->left == 0 && answer->right == 0 && answer->top == 0
		&& answer->bottom == 0) {
		_MapHidden(window);
		if (std::optional<extents> framed = _AwaitExtents(window, true))
			answer = framed;
	}
	XDestroyWindow(fDisplay, window);
	XFlush(fDisplay);
	return answer;
}


// Waits a while for the window manager to set the window's frame extents, to any room or,
// with decorated, to some; what the window has then.
std::optional<WorkArea::extents>
WorkArea::_AwaitExtents(Window window, bool decorated)
{
	// Only the answer is taken from the queue; the display's own events stay for it.
	property_change change = {window, fFrameExtents};
	auto deadline = std::chrono::steady_clock::now() + kAnswerTime;
	extents answer;
	XEvent event;
	while (true) {
		if (XCheckIfEvent(fDisplay, &event, &is_change, reinterpret_cast<XPointer>(&change))) {
			if (!decorated
				|| (_ReadExtents(window, &answer)
					&& (answer.left != 0 || answer.right != 0 || answer.top != 0
						|| answer.bottom != 0)))
				break;
			continue;
		}
		auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
			deadline - std::chrono::steady_clock::now())
						.count();
		if (left <= 0)
			break;
		pollfd descriptor = {ConnectionNumber(fDisplay), POLLIN, 0};
		poll(&descriptor, 1, static_cast<int>(left));
	}
	if (!_ReadExtents(window, &answer))
		return std::nullopt;
	return answer;
}


// Shows the window to the window manager only: minimized, not taking the keyboard, and
// neither in the task bar nor in the pager.
void
WorkArea::_MapHidden(Window window)
{
	XWMHints hints = {};
	hints.flags = StateHint | InputHint;
	hints.initial_state = IconicState;
	hints.input = False;
	XSetWMHints(fDisplay, window, &hints);
	Atom states[] = {XInternAtom(fDisplay, "_NET_WM_STATE_SKIP_TASKBAR", False),
		XInternAtom(fDisplay, "_NET_WM_STATE_SKIP_PAGER", False)};
	XChangeProperty(fDisplay, window, XInternAtom(fDisplay, "_NET_WM_STATE", False), XA_ATOM, 32,
		PropModeReplace, reinterpret_cast<unsigned char*>(states), 2);
	// A user time of 0 asks the window manager not to raise or focus it.
	long userTime = 0;
	XChangeProperty(fDisplay, window, XInternAtom(fDisplay, "_NET_WM_USER_TIME", False),
		XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&userTime), 1);
	XMapWindow(fDisplay, window);
	XFlush(fDisplay);
}


bool
WorkArea::_Supported(Atom atom)
{
	std::vector<long> atoms;
	if (!read_longs(fDisplay, DefaultRootWindow(fDisplay),
			XInternAtom(fDisplay, "_NET_SUPPORTED", False), XA_ATOM, 1024, 1, &atoms))
		return false;
	return std::find(atoms.begin(), atoms.end(), static_cast<long>(atom)) != atoms.end();
}


} // namespace BPrivate
