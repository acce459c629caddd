/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef ACCESSIBLE_DISPLAY_H
#define ACCESSIBLE_DISPLAY_H


#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include <display/DisplayServer.h>


class Fl_Widget;
class Fl_Window;


namespace BPrivate {


class AccessibilityBridge;


// A window as the accessibility tree shows it: what the kits sent the display, and where the
// keyboard focus is.
struct accessible_window {
	window_state state;
	std::map<display_id, view_state> views;
	// The window has the keyboard (X's input focus).
	bool active = false;
	// The view with the keyboard focus, 0 for none.
	display_id focus = 0;
};

// Changed windows by id; an empty entry is a window that went.
typedef std::map<display_id, std::optional<accessible_window>> accessible_changes;


// The on-screen display's side of the accessibility layer. The display thread tells it what
// the windows show, it follows the focus and the keys from FLTK's event dispatch, and a bridge
// on a thread of its own (a module loaded there, off the path to the first window) puts it
// into the desktop's accessibility tree.
class AccessibleDisplay {
public:
	// On the display thread, once the display is open. Starts the layer where a session bus is
	// set and NO_AT_BRIDGE is not 1; returns NULL (and does nothing) elsewhere.
	static AccessibleDisplay* Start(const char* programName);

	// On the display thread.
	void SetWindow(display_id window, const window_state& state, Fl_Window* widget);
	void RemoveWindow(display_id window);
	void SetView(display_id window, display_id view, const view_state& state, Fl_Widget* widget);
	void RemoveView(display_id window, display_id view);

	// On the bridge's thread.
	const std::string& ProgramName() const { return fProgramName; }
	void BridgeReady(AccessibilityBridge* bridge);
	// Moves the windows changed since the last call into changes.
	void TakeChanges(accessible_changes* changes);

	// From any thread: presses the view as a person's click does, on the display thread.
	void Press(display_id window, display_id view);

private:
	AccessibleDisplay(const char* programName);

	void _RunBridge();
	static void _Stop();
	static int _Dispatch(int event, Fl_Window* window);
	static void _PressOnDisplay(void* data);
	bool _Key(int event);
	void _TrackFocus();
	void _Changed(display_id window);

	std::string fProgramName;
	std::thread fThread;
	std::mutex fLock;
	// The bridge's thread ended.
	std::condition_variable fStateChanged;
	// The display thread's own.
	bool fFirstWindowMapped = false;
	bool fQuitting = false;
	bool fRunning = false;
	std::atomic<AccessibilityBridge*> fBridge{nullptr};

	// Under fLock.
	std::map<display_id, accessible_window> fWindows;
	std::set<display_id> fChanged;

	// The display thread's own: the widgets of each window, and where the focus was.
	struct widgets {
		Fl_Window* window = NULL;
		std::map<display_id, Fl_Widget*> views;
	};
	std::map<display_id, widgets> fWidgets;
	Fl_Widget* fFocus = NULL;
	display_id fActiveWindow = 0;
};


} // namespace BPrivate


#endif // ACCESSIBLE_DISPLAY_H
