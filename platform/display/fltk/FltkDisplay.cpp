/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/FltkDisplay.h>

#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <new>
#include <string>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <display/fltk/AccessibleDisplay.h>
#include <display/fltk/DisplayOpening.h>
#include <display/fltk/FltkWindow.h>
#include <display/fltk/WorkArea.h>
#include <display/fltk/XErrors.h>
#include <display/fltk/XdndTarget.h>
#include <support/private/ProgramName.h>


namespace BPrivate {


namespace {

// The executable's own name: the X class and the accessibility tree name the program by it.
std::string
executable_name()
{
	char path[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return "be";
	return program_name(std::string(path, length));
}


// Sees the X events before FLTK does: those of windows of ours going without being hidden.
int
watch_windows(void* event, void*)
{
	const XEvent& xEvent = *static_cast<const XEvent*>(event);
	if (xEvent.type != DestroyNotify || xEvent.xdestroywindow.event != xEvent.xdestroywindow.window)
		return 0;
	// A window hidden by us is no longer found.
	if (FltkWindow* window = dynamic_cast<FltkWindow*>(fl_find(xEvent.xdestroywindow.window)))
		window->Destroyed();
	return 0;
}


bool
take_drop(Fl_Window* window, int x, int y, const char* data, size_t length)
{
	FltkWindow* target = dynamic_cast<FltkWindow*>(window);
	if (target == NULL)
		return false;
	target->Drop(x, y, data, length);
	return true;
}

} // namespace


std::unique_ptr<FltkDisplay>
FltkDisplay::Create()
{
	std::string program = executable_name();
	const char* name = getenv("DISPLAY");
	Display* display = NULL;
	if (name != NULL && name[0] != '\0')
		display = XOpenDisplay(NULL);
	if (display == NULL) {
		if (name == NULL || name[0] == '\0') {
			fprintf(stderr, "%s: can't open the X display: DISPLAY is not set\n", program.c_str());
		} else {
			fprintf(stderr, "%s: can't open the X display \"%s\"\n", program.c_str(), name);
		}
		exit(1);
	}
	return std::unique_ptr<FltkDisplay>(new FltkDisplay(display));
}


FltkDisplay::FltkDisplay(void* xDisplay)
	: fRecords(fScale),
	  fRequests([this] { fRecords.RelinkChanged(); }),
	  fMetrics(fRequests, fScale)
{
	fRequests.Start([this, xDisplay] { _Open(xDisplay); }, [this] { _Run(); });
}


FltkDisplay::~FltkDisplay()
{
	Shutdown();
}


void
FltkDisplay::Shutdown()
{
	fRequests.Stop();
}


void
FltkDisplay::_Open(void* xDisplay)
{
	open_fltk_display(static_cast<Display*>(xDisplay));
	fScale = DisplayScale::FromDpi(XGetDefault(fl_display, "Xft", "dpi"));
	Fl::scheme("gtk+");
	// Bold text is set in a face with the metrics of the platform's own bold font, so that texts
	// sized for it (the drop window's line) fit; fontconfig falls back to DejaVu Sans Bold where
	// it is missing.
	Fl::set_font(FL_HELVETICA_BOLD, "BLiberation Sans");
	static std::string sClass = executable_name();
	Fl_Window::default_xclass(sClass.c_str());
	fRecords.SetAccessible(AccessibleDisplay::Start(sClass.c_str()));
}


void
FltkDisplay::_Run()
{
	XdndTarget drops(&take_drop);
	Fl::add_system_handler(&watch_windows, NULL);
	while (true) {
		Fl::wait(1e20);
		for (XID resource : take_x_errors())
			drops.WindowFailed(resource);
		if (fRequests.Stopping())
			break;
	}
	// Wake whoever still waits for an answer.
	fRequests.Drain();
	fRecords.HideAll();
	Fl::remove_system_handler(&watch_windows);
	Fl::unlock();
}


void
FltkDisplay::SetWindow(display_id window, const window_state& state)
{
	fRequests.Post([this, window, state] { fRecords.ApplyWindow(window, state); });
}


void
FltkDisplay::RemoveWindow(display_id window) noexcept
{
	try {
		fRequests.Post([this, window] { fRecords.RemoveWindow(window); });
	} catch (const std::bad_alloc&) {
	}
}


void
FltkDisplay::SetView(display_id window, display_id view, const view_state& state)
{
	fRequests.Post([this, window, view, state] { fRecords.ApplyView(window, view, state); });
}


void
FltkDisplay::RemoveView(display_id window, display_id view) noexcept
{
	try {
		fRequests.Post([this, window, view] { fRecords.RemoveView(window, view); });
	} catch (const std::bad_alloc&) {
	}
}


float
FltkDisplay::StringWidth(const font_spec& font, const char* text)
{
	return fMetrics.StringWidth(font, text);
}


void
FltkDisplay::GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading)
{
	fMetrics.GetFontHeight(font, ascent, descent, leading);
}


BRect
FltkDisplay::ScreenFrame()
{
	return fMetrics.ScreenFrame();
}


BRect
FltkDisplay::PlaceWindow(const BRect& frame)
{
	BRect placed = frame;
	fRequests.Call([&] {
		if (fWorkArea == NULL)
			fWorkArea = std::make_unique<WorkArea>(fl_display);
		int x, y, w, h;
		fScale.GetPixelFrame(frame, &x, &y, &w, &h);
		int left = x;
		int top = y;
		// From whole pixels, so that the kits' frame is where the window really goes.
		if (fWorkArea->Keep(&left, &top, w, h, fRecords.FramedWindow()) && (left != x || top != y))
			placed.OffsetTo(fScale.Logical(left), fScale.Logical(top));
	});
	return placed;
}


} // namespace BPrivate
