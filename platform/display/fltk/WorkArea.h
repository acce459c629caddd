/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef WORK_AREA_H
#define WORK_AREA_H


#include <optional>

#include <X11/Xlib.h>


namespace BPrivate {


// The part of the screen that the window manager leaves to windows (below a top bar, beside a
// dock), as it publishes it, and the room its decorations take around a window. Some desktops
// move a window whose frame would leave that part, each as near as it can get, so that windows
// asking for places close together end up in one; a window placed inside stays where it is.
// For the display thread only.
class WorkArea {
public:
	explicit WorkArea(Display* display);

	// Moves the inside of a window, width by height pixels at *x, *y, so that the window with
	// its decorations lies in the work area: the top and left edges first, then as much of the
	// rest as fits. framed is a window of ours that the window manager decorates as it will
	// this one, or None. False, leaving *x and *y, where no window manager publishes a work area
	// (a bare X server).
	bool Keep(int* x, int* y, int width, int height, Window framed);

private:
	struct extents {
		long left = 0;
		long right = 0;
		long top = 0;
		long bottom = 0;
	};

	bool _Area(long* x, long* y, long* width, long* height);
	extents _Extents(Window framed);
	bool _ReadExtents(Window window, extents* _extents);
	std::optional<extents> _AskExtents();
	std::optional<extents> _AwaitExtents(Window window, bool decorated);
	void _MapHidden(Window window);
	bool _Supported(Atom atom);

	Display* fDisplay;
	Atom fWorkArea;
	Atom fCurrentDesktop;
	Atom fFrameExtents;
	// What the window manager gave the windows of ours that it decorated, or said it would.
	std::optional<extents> fExtents;
	bool fAsked;
};


} // namespace BPrivate


#endif // WORK_AREA_H
