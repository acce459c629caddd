/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/AccessibleDisplay.h>

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <chrono>
#include <memory>
#include <system_error>

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/fl_utf8.h>
#include <FL/x.H>

#include <accessibility/AccessibilityBridge.h>


namespace BPrivate {


namespace {

const char* const kModuleName = "libbe-accessibility.so";
// A key waits this long at most for the key listeners: each takes a round trip to the
// desktop's registry while a screen reader runs.
const auto kKeyWait = std::chrono::milliseconds(100);
// How long the process waits on its way out for the bridge to leave the bus.
const auto kStopWait = std::chrono::milliseconds(1000);

AccessibleDisplay* sDisplay = NULL;


struct press_request {
	AccessibleDisplay* display;
	display_id window;
	display_id view;
};


// What a key listener expects as text: the character of a graphic key, else the key's name.
std::string
key_text(KeySym keysym)
{
	uint32 code = 0;
	if ((keysym > 0x20 && keysym < 0x7f) || (keysym > 0xa0 && keysym <= 0xff))
		code = static_cast<uint32>(keysym);
	else if (keysym >= 0x1000100 && keysym <= 0x110ffff)
		code = static_cast<uint32>(keysym - 0x1000000);
	if (code == 0) {
		const char* name = XKeysymToString(keysym);
		return name != NULL ? name : "";
	}
	char text[4];
	return std::string(text, fl_utf8encode(code, text));
}

} // namespace


AccessibleDisplay*
AccessibleDisplay::Start(const char* programName)
{
#ifdef BE_ACCESSIBILITY_MODULE
	// Without a session bus the bus library would launch one, and the accessibility daemons
	// with it, which would outlive the program.
	const char* bus = getenv("DBUS_SESSION_BUS_ADDRESS");
	const char* off = getenv("NO_AT_BRIDGE");
	if (bus == NULL || bus[0] == '\0' || (off != NULL && strcmp(off, "1") == 0))
		return NULL;
	if (sDisplay != NULL)
		return sDisplay;
	sDisplay = new AccessibleDisplay(programName);
	Fl::event_dispatch(&_Dispatch);
	// Stopped after the display, whose own handler is registered later.
	atexit(&_Stop);
	return sDisplay;
#else
	(void)programName;
	return NULL;
#endif
}


AccessibleDisplay::AccessibleDisplay(const char* programName)
	: fProgramName(programName != NULL ? programName : "")
{
}


void
AccessibleDisplay::SetWindow(display_id window, const window_state& state, Fl_Window* widget)
{
	fWidgets[window].window = widget;
	{
		std::lock_guard<std::mutex> guard(fLock);
		fWindows[window].state = state;
	}
	_Changed(window);
	_TrackFocus();
}


void
AccessibleDisplay::RemoveWindow(display_id window)
{
	fWidgets.erase(window);
	if (fActiveWindow == window) {
		fActiveWindow = 0;
		fFocus = NULL;
	}
	{
		std::lock_guard<std::mutex> guard(fLock);
		fWindows.erase(window);
	}
	_Changed(window);
}


void
AccessibleDisplay::SetView(display_id window, display_id view, const view_state& state,
	Fl_Widget* widget)
{
	fWidgets[window].views[view] = widget;
	{
		std::lock_guard<std::mutex> guard(fLock);
		fWindows[window].views[view] = state;
	}
	_Changed(window);
}


void
AccessibleDisplay::RemoveView(display_id window, display_id view)
{
	auto found = fWidgets.find(window);
	if (found != fWidgets.end()) {
		auto widget = found->second.views.find(view);
		if (widget != found->second.views.end()) {
			if (widget->second == fFocus)
				fFocus = NULL;
			found->second.views.erase(widget);
		}
	}
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto entry = fWindows.find(window);
		if (entry == fWindows.end())
			return;
		entry->second.views.erase(view);
		if (entry->second.focus == view)
			entry->second.focus = 0;
	}
	_Changed(window);
}


void
AccessibleDisplay::BridgeReady(AccessibilityBridge* bridge)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		for (const auto& entry : fWindows)
			fChanged.insert(entry.first);
	}
	fBridge.store(bridge, std::memory_order_release);
}


void
AccessibleDisplay::TakeChanges(accessible_changes* changes)
{
	std::lock_guard<std::mutex> guard(fLock);
	for (display_id window : fChanged) {
		auto found = fWindows.find(window);
		if (found != fWindows.end())
			(*changes)[window] = found->second;
		else
			(*changes)[window] = std::nullopt;
	}
	fChanged.clear();
}


void
AccessibleDisplay::Press(display_id window, display_id view)
{
	auto* request = new press_request{this, window, view};
	if (Fl::awake(&_PressOnDisplay, request) != 0)
		delete request;
}


void
AccessibleDisplay::_PressOnDisplay(void* data)
{
	std::unique_ptr<press_request> request(static_cast<press_request*>(data));
	AccessibleDisplay* self = request->display;
	auto window = self->fWidgets.find(request->window);
	if (window == self->fWidgets.end())
		return;
	auto view = window->second.views.find(request->view);
	if (view == window->second.views.end() || view->second == NULL)
		return;
	// As with the pointer: only a control that is shown and enabled takes a click.
	Fl_Widget* widget = view->second;
	if (widget->active_r() && widget->visible_r())
		widget->do_callback();
}


void
AccessibleDisplay::_RunBridge()
{
	Dl_info info;
	std::string path = kModuleName;
	if (dladdr(reinterpret_cast<void*>(&AccessibleDisplay::Start), &info) != 0
		&& info.dli_fname != NULL) {
		std::string library = info.dli_fname;
		size_t slash = library.rfind('/');
		if (slash != std::string::npos)
			path = library.substr(0, slash + 1) + kModuleName;
	}
	// Kept loaded: its types stay registered with GLib for the life of the process.
	void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
	if (module == NULL) {
		fprintf(stderr, "accessibility: %s\n", dlerror());
	} else {
		auto run
			= reinterpret_cast<bool (*)(AccessibleDisplay*)>(dlsym(module, "be_accessibility_run"));
		if (run == NULL || !run(this))
			fprintf(stderr, "accessibility: the accessibility bridge did not start\n");
	}
	fBridge.store(nullptr, std::memory_order_release);
	std::lock_guard<std::mutex> guard(fLock);
	fRunning = false;
	fStateChanged.notify_all();
}


void
AccessibleDisplay::_Stop()
{
	AccessibleDisplay* self = sDisplay;
	{
		std::lock_guard<std::mutex> guard(self->fLock);
		self->fQuitting = true;
		self->fStateChanged.notify_all();
	}
	if (AccessibilityBridge* bridge = self->fBridge.load(std::memory_order_acquire))
		bridge->Quit();
	bool stopped;
	{
		std::unique_lock<std::mutex> guard(self->fLock);
		stopped
			= self->fStateChanged.wait_for(guard, kStopWait, [self] { return !self->fRunning; });
	}
	// A bridge stuck on the bus is left behind rather than holding the process.
	if (!self->fThread.joinable())
		return;
	if (stopped)
		self->fThread.join();
	else
		self->fThread.detach();
}


int
AccessibleDisplay::_Dispatch(int event, Fl_Window* window)
{
	AccessibleDisplay* self = sDisplay;
	if ((event == FL_KEYDOWN || event == FL_KEYUP) && self->_Key(event))
		return 1;
	int handled = Fl::handle_(event, window);
	self->_TrackFocus();
	// The bridge's thread starts once the server has mapped the first window (FLTK reports the
	// map as FL_SHOW): the thread, and the module it loads (the loader's lock and a share of the
	// processors for tens of milliseconds), would otherwise be on the way to that window, and
	// there is nothing to show before it.
	if (event == FL_SHOW && window != NULL && window->parent() == NULL
		&& !self->fFirstWindowMapped) {
		self->fFirstWindowMapped = true;
		std::lock_guard<std::mutex> guard(self->fLock);
		if (!self->fQuitting) {
			try {
				self->fThread = std::thread([self] { self->_RunBridge(); });
				self->fRunning = true;
			} catch (const std::system_error&) {
				fprintf(stderr, "accessibility: no thread for the accessibility bridge\n");
			}
		}
	}
	return handled;
}


bool
AccessibleDisplay::_Key(int event)
{
	AccessibilityBridge* bridge = fBridge.load(std::memory_order_acquire);
	if (bridge == NULL || fl_xevent == NULL
		|| (fl_xevent->type != KeyPress && fl_xevent->type != KeyRelease))
		return false;
	XKeyEvent xkey = fl_xevent->xkey;
	KeySym keysym = NoSymbol;
	char buffer[16];
	XLookupString(&xkey, buffer, sizeof(buffer), &keysym, NULL);

	accessible_key key;
	key.press = event == FL_KEYDOWN;
	key.keysym = static_cast<uint32>(keysym);
	key.keycode = xkey.keycode;
	key.modifiers = xkey.state;
	key.time = static_cast<uint32>(xkey.time);
	key.text = key_text(keysym);

	struct answer {
		std::mutex lock;
		std::condition_variable given;
		bool done = false;
		bool taken = false;
	};
	auto shared = std::make_shared<answer>();
	bridge->Key(key, [shared](bool taken) {
		std::lock_guard<std::mutex> guard(shared->lock);
		shared->done = true;
		shared->taken = taken;
		shared->given.notify_all();
	});
	std::unique_lock<std::mutex> guard(shared->lock);
	shared->given.wait_for(guard, kKeyWait, [&shared] { return shared->done; });
	return shared->taken;
}


void
AccessibleDisplay::_TrackFocus()
{
	Fl_Widget* focus = Fl::focus();
	if (focus == fFocus)
		return;
	fFocus = focus;
	display_id window = 0;
	display_id view = 0;
	if (focus != NULL) {
		Fl_Window* top = focus->top_window();
		for (const auto& entry : fWidgets) {
			if (entry.second.window != top)
				continue;
			window = entry.first;
			for (const auto& child : entry.second.views) {
				if (child.second == focus)
					view = child.first;
			}
			break;
		}
	}
	display_id previous = fActiveWindow;
	fActiveWindow = window;
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (previous != 0 && previous != window) {
			auto found = fWindows.find(previous);
			if (found != fWindows.end()) {
				found->second.active = false;
				found->second.focus = 0;
			}
		}
		if (window != 0) {
			accessible_window& entry = fWindows[window];
			entry.active = true;
			entry.focus = view;
		}
	}
	if (previous != 0 && previous != window)
		_Changed(previous);
	if (window != 0)
		_Changed(window);
}


void
AccessibleDisplay::_Changed(display_id window)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		fChanged.insert(window);
	}
	if (AccessibilityBridge* bridge = fBridge.load(std::memory_order_acquire))
		bridge->Update();
}


} // namespace BPrivate
