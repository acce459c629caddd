/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef XDND_TARGET_H
#define XDND_TARGET_H


#include <stddef.h>

#include <functional>
#include <string>
#include <vector>

#include <X11/Xlib.h>


class Fl_Window;


namespace BPrivate {


// The receiving half of XDND for the process's FLTK windows, in place of FLTK's own. FLTK hands
// a drop to the widget under the pointer, which changes when the source lets go of its pointer
// grab just before the drop, and it asks for plain text even when a URI list is offered. Here a
// drop goes to the window, and the best type offered is asked for. On the display thread only;
// the display must be open.
class XdndTarget {
public:
	// Takes the bytes dropped on a window at a point in it; returns whether it took them.
	typedef std::function<bool(Fl_Window* window, int x, int y, const char* data, size_t length)>
		drop_handler;

	XdndTarget(drop_handler handler);
	~XdndTarget();

	XdndTarget(const XdndTarget&) = delete;
	XdndTarget& operator=(const XdndTarget&) = delete;

	// An X error named window: if the drag under way comes from it or is over it, the drag
	// ends, refused.
	void WindowFailed(Window window);

private:
	static int _Filter(void* event, void* self);
	static void _TimedOut(void* self);

	bool _HandleMessage(const XClientMessageEvent& message);
	void _Enter(const XClientMessageEvent& message);
	void _Position(const XClientMessageEvent& message);
	void _Drop(const XClientMessageEvent& message);
	void _Converted(const XSelectionEvent& event);
	void _ReadChunk();
	void _Deliver();
	void _Finish(bool accepted);
	void _Refuse();
	void _Watch();
	void _Wait();
	void _Reset();
	void _Send(Window to, Window from, Atom type, long l1, long l2, long l3, long l4);
	bool _Read(bool* _incremental, bool* _empty);

	drop_handler fHandler;
	Display* fDisplay;

	Atom fEnter;
	Atom fPosition;
	Atom fStatus;
	Atom fLeave;
	Atom fDropMessage;
	Atom fFinished;
	Atom fTypeList;
	Atom fSelection;
	Atom fActionCopy;
	Atom fIncrType;
	Atom fProperty;
	// What a drop can be read as, best first.
	std::vector<Atom> fTypes;

	// The drag under way: its source, the window of ours it is over, the type to ask for
	// (None when nothing offered can be read) and the pointer on the screen.
	Window fSource;
	Window fTarget;
	Atom fType;
	int fRootX;
	int fRootY;
	// The source's window, watched for its going away; None when it isn't.
	Window fWatched;
	// Between the drop and its data: the data asked for, coming in pieces if incremental.
	bool fConverting;
	bool fIncremental;
	// The data was found to be more than a drop may be.
	bool fTooLarge;
	// The size an incremental source announced.
	unsigned long fAnnounced;
	std::string fData;
};


} // namespace BPrivate


#endif // XDND_TARGET_H
