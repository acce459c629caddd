/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/XdndTarget.h>

#include <errno.h>
#include <stdio.h>

#include <new>
#include <string>
#include <vector>

#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xatom.h>


namespace BPrivate {


namespace {

// How long a source may take to hand over the data of a drop, or its next piece.
const double kDataTimeout = 5.0;

// A drop names files; more than this is no drop of files, and would only take memory.
const size_t kMaxDropSize = 4 * 1024 * 1024;

// The types a drop is read in, best first: a URI list names any file exactly; plain text, as
// paths one a line, can't name a file whose name holds a newline.
const char* const kTypes[] = {
	"text/uri-list",
	"text/plain;charset=utf-8",
	"text/plain;charset=UTF-8",
	"UTF8_STRING",
	"text/plain",
	"STRING",
};


// FLTK gave text with CRLF line ends as LF; the views that take dropped text expect that.
void
convert_line_ends(std::string* text)
{
	size_t out = 0;
	for (size_t in = 0; in < text->size(); in++) {
		if ((*text)[in] == '\r' && in + 1 < text->size() && (*text)[in + 1] == '\n')
			continue;
		(*text)[out++] = (*text)[in];
	}
	text->resize(out);
}

} // namespace


XdndTarget::XdndTarget(drop_handler handler)
	: fHandler(std::move(handler)),
	  fDisplay(fl_display),
	  fEnter(XInternAtom(fDisplay, "XdndEnter", False)),
	  fPosition(XInternAtom(fDisplay, "XdndPosition", False)),
	  fStatus(XInternAtom(fDisplay, "XdndStatus", False)),
	  fLeave(XInternAtom(fDisplay, "XdndLeave", False)),
	  fDropMessage(XInternAtom(fDisplay, "XdndDrop", False)),
	  fFinished(XInternAtom(fDisplay, "XdndFinished", False)),
	  fTypeList(XInternAtom(fDisplay, "XdndTypeList", False)),
	  fSelection(XInternAtom(fDisplay, "XdndSelection", False)),
	  fActionCopy(XInternAtom(fDisplay, "XdndActionCopy", False)),
	  fIncrType(XInternAtom(fDisplay, "INCR", False)),
	  fProperty(XInternAtom(fDisplay, "_XDND_DROP_DATA", False)),
	  fSource(None),
	  fTarget(None),
	  fType(None),
	  fRootX(0),
	  fRootY(0),
	  fWatched(None),
	  fConverting(false),
	  fIncremental(false),
	  fTooLarge(false),
	  fAnnounced(0)
{
	for (const char* name : kTypes)
		fTypes.push_back(XInternAtom(fDisplay, name, False));
	Fl::add_system_handler(&_Filter, this);
}


XdndTarget::~XdndTarget()
{
	Fl::remove_system_handler(&_Filter);
	Fl::remove_timeout(&_TimedOut, this);
}


// Sees every X event before FLTK does, and keeps those of the drags on our windows from it.
int
XdndTarget::_Filter(void* event, void* data)
{
	XdndTarget* self = static_cast<XdndTarget*>(data);
	const XEvent& xEvent = *static_cast<const XEvent*>(event);
	try {
		switch (xEvent.type) {
			case ClientMessage:
				return self->_HandleMessage(xEvent.xclient) ? 1 : 0;
			case SelectionNotify:
				if (!self->fConverting || self->fIncremental
					|| xEvent.xselection.requestor != self->fTarget
					|| xEvent.xselection.selection != self->fSelection)
					return 0;
				self->_Converted(xEvent.xselection);
				return 1;
			case DestroyNotify:
				// A source that goes away ends its drag; nobody is left to tell.
				if (self->fSource != None && xEvent.xdestroywindow.window == self->fSource) {
					self->fWatched = None;
					self->_Reset();
				}
				return 0;
			case PropertyNotify:
				if (!self->fConverting || !self->fIncremental
					|| xEvent.xproperty.window != self->fTarget
					|| xEvent.xproperty.atom != self->fProperty)
					return 0;
				if (xEvent.xproperty.state == PropertyNewValue)
					self->_ReadChunk();
				return 1;
		}
	} catch (const std::bad_alloc&) {
		self->_Finish(false);
		return 1;
	}
	return 0;
}


void
XdndTarget::WindowFailed(Window window)
{
	if (window != None && fSource != None && (window == fSource || window == fTarget))
		_Finish(false);
}


void
XdndTarget::_TimedOut(void* data)
{
	static_cast<XdndTarget*>(data)->_Finish(false);
}


bool
XdndTarget::_HandleMessage(const XClientMessageEvent& message)
{
	Atom type = message.message_type;
	if (type != fEnter && type != fPosition && type != fLeave && type != fDropMessage
		&& type != fStatus && type != fFinished)
		return false;
	// None of them is for FLTK's own drag and drop, which would answer any of them; and no
	// drag of ours is ever under way for a status or an end to be meant for it.
	if (message.format != 32 || fl_find(message.window) == NULL || type == fStatus
		|| type == fFinished)
		return true;
	Window source = static_cast<Window>(message.data.l[0]);
	if (type == fEnter)
		_Enter(message);
	else if (type == fPosition)
		_Position(message);
	else if (type == fDropMessage)
		_Drop(message);
	else if (source == fSource && message.window == fTarget && !fConverting)
		_Reset();
	return true;
}


void
XdndTarget::_Enter(const XClientMessageEvent& message)
{
	// A drag that starts while the data of a drop is still awaited ends that drop.
	if (fConverting)
		_Finish(false);
	_Reset();
	fSource = static_cast<Window>(message.data.l[0]);
	fTarget = message.window;
	_Watch();

	std::vector<Atom> offered;
	if ((message.data.l[1] & 1) != 0) {
		Atom actual;
		int format;
		unsigned long count;
		unsigned long after;
		unsigned char* list = NULL;
		if (XGetWindowProperty(fDisplay, fSource, fTypeList, 0, 0x8000000L, False, XA_ATOM, &actual,
				&format, &count, &after, &list)
				== Success
			&& list != NULL) {
			if (actual == XA_ATOM && format == 32) {
				const long* atoms = reinterpret_cast<const long*>(list);
				offered.assign(atoms, atoms + count);
			}
			XFree(list);
		}
	}
	for (int i = 2; i <= 4; i++)
		offered.push_back(static_cast<Atom>(message.data.l[i]));

	for (Atom type : fTypes) {
		for (Atom candidate : offered) {
			if (candidate == type) {
				fType = type;
				return;
			}
		}
	}
}


void
XdndTarget::_Position(const XClientMessageEvent& message)
{
	if (fConverting)
		return;
	Window source = static_cast<Window>(message.data.l[0]);
	if (source != fSource) {
		// A position without an enter: nothing is known of what it offers.
		_Reset();
		fSource = source;
		_Watch();
	}
	fTarget = message.window;
	fRootX = static_cast<int>((message.data.l[2] >> 16) & 0xffff);
	fRootY = static_cast<int>(message.data.l[2] & 0xffff);
	bool accept = fType != None;
	// An empty rectangle: every move is worth a new position.
	_Send(fSource, fTarget, fStatus, accept ? 1 : 0, 0, 0,
		accept ? static_cast<long>(fActionCopy) : None);
}


void
XdndTarget::_Drop(const XClientMessageEvent& message)
{
	Window source = static_cast<Window>(message.data.l[0]);
	if (fConverting && source == fSource)
		return;
	if (source != fSource || fType == None || fConverting) {
		_Send(source, message.window, fFinished, 0, None, 0, 0);
		if (!fConverting)
			_Reset();
		return;
	}
	fTarget = message.window;
	// Large data comes in pieces, each announced by a change of the property.
	XWindowAttributes attributes;
	if (XGetWindowAttributes(fDisplay, fTarget, &attributes) != 0
		&& (attributes.your_event_mask & PropertyChangeMask) == 0)
		XSelectInput(fDisplay, fTarget, attributes.your_event_mask | PropertyChangeMask);
	XDeleteProperty(fDisplay, fTarget, fProperty);
	XConvertSelection(fDisplay, fSelection, fType, fProperty, fTarget,
		static_cast<Time>(message.data.l[2]));
	XFlush(fDisplay);
	fConverting = true;
	fIncremental = false;
	fData.clear();
	_Wait();
}


void
XdndTarget::_Converted(const XSelectionEvent& event)
{
	bool incremental = false;
	bool empty = false;
	if (event.property == None || !_Read(&incremental, &empty)) {
		_Refuse();
		return;
	}
	if (incremental) {
		if (fAnnounced > kMaxDropSize) {
			fTooLarge = true;
			_Refuse();
			return;
		}
		fIncremental = true;
		fData.clear();
		_Wait();
		return;
	}
	_Deliver();
}


void
XdndTarget::_ReadChunk()
{
	bool incremental = false;
	bool empty = false;
	if (!_Read(&incremental, &empty) || incremental) {
		_Refuse();
		return;
	}
	if (empty)
		_Deliver();
	else
		_Wait();
}


// Appends the property's bytes to the data and deletes it, which asks an incremental source
// for the next piece.
bool
XdndTarget::_Read(bool* _incremental, bool* _empty)
{
	long offset = 0;
	bool empty = true;
	while (true) {
		Atom actual;
		int format;
		unsigned long count;
		unsigned long after;
		unsigned char* bytes = NULL;
		if (XGetWindowProperty(fDisplay, fTarget, fProperty, offset, 0x10000, True, AnyPropertyType,
				&actual, &format, &count, &after, &bytes)
			!= Success)
			return false;
		if (actual == fIncrType) {
			// The size the source announces: at least that much is to come.
			fAnnounced = 0;
			if (bytes != NULL && format == 32 && count > 0)
				fAnnounced = static_cast<unsigned long>(*reinterpret_cast<long*>(bytes));
			if (bytes != NULL)
				XFree(bytes);
			*_incremental = true;
			return true;
		}
		size_t length = count * static_cast<size_t>(format / 8);
		if (fData.size() + length + after > kMaxDropSize) {
			if (bytes != NULL)
				XFree(bytes);
			fTooLarge = true;
			return false;
		}
		if (bytes != NULL) {
			fData.append(reinterpret_cast<const char*>(bytes), length);
			XFree(bytes);
		}
		if (length > 0)
			empty = false;
		if (after == 0 || actual == None)
			break;
		offset += static_cast<long>(length / 4);
	}
	*_incremental = false;
	*_empty = empty;
	return true;
}


void
XdndTarget::_Deliver()
{
	convert_line_ends(&fData);
	int x = 0;
	int y = 0;
	Window child;
	XTranslateCoordinates(fDisplay, DefaultRootWindow(fDisplay), fTarget, fRootX, fRootY, &x, &y,
		&child);
	Fl_Window* window = fl_find(fTarget);
	bool taken = window != NULL && fHandler(window, x, y, fData.data(), fData.size());
	_Finish(taken);
}


void
XdndTarget::_Finish(bool accepted)
{
	if (fSource != None) {
		_Send(fSource, fTarget, fFinished, accepted ? 1 : 0,
			accepted ? static_cast<long>(fActionCopy) : None, 0, 0);
	}
	_Reset();
}


// The data can't be had, or is too much to take: the drop is refused, and what the source may
// still have put on our window goes.
void
XdndTarget::_Refuse()
{
	if (fTooLarge) {
		fprintf(stderr, "%s: refused a drop of more than %zu MiB\n", program_invocation_short_name,
			kMaxDropSize / (1024 * 1024));
	}
	if (fTarget != None)
		XDeleteProperty(fDisplay, fTarget, fProperty);
	_Finish(false);
}


// Hears of the source's window going away during its drag. Our own windows, and the root,
// are watched already or never go.
void
XdndTarget::_Watch()
{
	if (fSource == None || fl_find(fSource) != NULL || fSource == DefaultRootWindow(fDisplay))
		return;
	XSelectInput(fDisplay, fSource, StructureNotifyMask);
	fWatched = fSource;
}


// Gives the source another while for the data, or its next piece.
void
XdndTarget::_Wait()
{
	Fl::remove_timeout(&_TimedOut, this);
	Fl::add_timeout(kDataTimeout, &_TimedOut, this);
}


void
XdndTarget::_Reset()
{
	Fl::remove_timeout(&_TimedOut, this);
	if (fWatched != None) {
		XSelectInput(fDisplay, fWatched, NoEventMask);
		fWatched = None;
	}
	fSource = None;
	fTarget = None;
	fType = None;
	fConverting = false;
	fIncremental = false;
	fTooLarge = false;
	fAnnounced = 0;
	std::string().swap(fData);
}


void
XdndTarget::_Send(Window to, Window from, Atom type, long l1, long l2, long l3, long l4)
{
	XEvent event = {};
	event.xclient.type = ClientMessage;
	event.xclient.display = fDisplay;
	event.xclient.window = to;
	event.xclient.message_type = type;
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(from);
	event.xclient.data.l[1] = l1;
	event.xclient.data.l[2] = l2;
	event.xclient.data.l[3] = l3;
	event.xclient.data.l[4] = l4;
	XSendEvent(fDisplay, to, False, NoEventMask, &event);
	XFlush(fDisplay);
}


} // namespace BPrivate
