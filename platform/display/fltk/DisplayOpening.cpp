/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/DisplayOpening.h>

#include <dlfcn.h>
#include <stdarg.h>

#include <FL/Fl.H>
#include <FL/x.H>

#include <display/fltk/XErrors.h>


namespace {

// The atoms FLTK asks for when the display opens and when it makes a window, and those of the
// drop target. Once asked for together, Xlib answers them from its cache; a name missing here
// only costs its own round trip.
const char* const kAtomNames[] = {"WM_DELETE_WINDOW", "WM_PROTOCOLS", "_MOTIF_WM_HINTS", "TARGETS",
	"CLIPBOARD", "TIMESTAMP", "PRIMARY_TIMESTAMP", "CLIPBOARD_TIMESTAMP", "XdndAware",
	"XdndSelection", "XdndEnter", "XdndTypeList", "XdndPosition", "XdndLeave", "XdndDrop",
	"XdndStatus", "XdndActionCopy", "XdndFinished", "text/uri-list", "text/plain;charset=UTF-8",
	"text/plain;charset=utf-8", "text/plain", "TEXT", "COMPOUND_TEXT", "UTF8_STRING", "STRING",
	"image/bmp", "image/png", "INCR", "_NET_WM_PID", "_NET_WM_NAME", "_NET_WM_ICON_NAME",
	"_NET_SUPPORTING_WM_CHECK", "_NET_WM_STATE", "_NET_WM_STATE_FULLSCREEN", "_NET_WM_STATE_MODAL",
	"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_FULLSCREEN_MONITORS", "_NET_WORKAREA", "_NET_WM_ICON",
	"_NET_ACTIVE_WINDOW", "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_MENU", "_XDND_DROP_DATA"};

// Set while FLTK opens the display: its request for an input method is refused.
thread_local bool sRefuseInputMethod = false;


void
ignore_warning(const char*, ...)
{
}

} // namespace


// FLTK opens an input method with the display, and Xlib reads the locale's tables to open one:
// a tenth of the time to the first window, for windows that take no text. FLTK's request, made
// through the process's symbol table, comes here first; any other goes on to Xlib.
XIM
XOpenIM(Display* display, struct _XrmHashBucketRec* database, char* name, char* className)
{
	if (sRefuseInputMethod)
		return NULL;
	typedef XIM (*open_function)(Display*, struct _XrmHashBucketRec*, char*, char*);
	static const open_function sOpen = reinterpret_cast<open_function>(dlsym(RTLD_NEXT, "XOpenIM"));
	if (sOpen == NULL)
		return NULL;
	return sOpen(display, database, name, className);
}


namespace BPrivate {


void
open_fltk_display(Display* display)
{
	if (fl_display != NULL)
		return;

	const int count = sizeof(kAtomNames) / sizeof(kAtomNames[0]);
	Atom atoms[count];
	XInternAtoms(display, const_cast<char**>(kAtomNames), count, False, atoms);

	// FLTK warns once when it gets no input method.
	void (*warning)(const char*, ...) = Fl::warning;
	Fl::warning = &ignore_warning;
	sRefuseInputMethod = true;
	fl_open_display(display);
	sRefuseInputMethod = false;
	Fl::warning = warning;
	// Given a display of ours, FLTK leaves Xlib's handlers as they are.
	keep_x_errors();
}


} // namespace BPrivate
