/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DISPLAY_SERVER_H
#define DISPLAY_SERVER_H


#include <memory>
#include <string>
#include <vector>

#include <Rect.h>
#include <SupportDefs.h>


class BMessage;


namespace BPrivate {


typedef int32 display_id;

enum view_kind {
	VIEW_PLAIN,
	VIEW_TEXT,
	VIEW_CHECK_BOX,
	VIEW_BUTTON,
	VIEW_BORDER,
	VIEW_ALERT_ICON
};

// The frames a VIEW_BORDER draws, as the layout library numbers its own.
enum border_kind {
	BORDER_NONE = 0,
	BORDER_RAISED = 1,
	BORDER_DEPRESSED = 2,
	BORDER_LABELED = 3
};

struct font_spec {
	float size = 12;
	bool bold = false;
};

// What a window shows, as the kits describe it. Frames are in screen coordinates and inclusive,
// as BRect is: a window 200 pixels wide has frame.Width() 199.
struct window_state {
	BRect frame;
	std::string title;
	// The window has a close box, and closing it asks the window to quit.
	bool closable = true;
	bool shown = false;
	// An alert: kept above the other windows, which stay usable.
	bool alert = false;
};

// One view of a window's tree; frames are in the window's coordinates. parent is 0 for a view
// at the top of the window; index orders the children of one parent (drawing, keyboard focus).
struct view_state {
	view_kind kind = VIEW_PLAIN;
	display_id parent = 0;
	int32 index = 0;
	BRect frame;
	std::string name;
	std::string label;
	font_spec font;
	int32 value = 0;
	bool enabled = true;
	// VIEW_BORDER: its border_kind; BORDER_RAISED is a plain frame, BORDER_LABELED a frame with
	// the label as caption. VIEW_ALERT_ICON: the alert type.
	int32 kind_detail = 0;
};


// What shows the windows. The kits call it from any of their threads; a backend serialises the
// calls itself. Removals never throw. The input a backend receives goes back to the kits through
// the deliver_* functions below, which hand it to the installed InputPort.
class DisplayServer {
public:
	virtual ~DisplayServer();

	virtual void SetWindow(display_id window, const window_state& state) = 0;
	virtual void RemoveWindow(display_id window) noexcept = 0;
	virtual void SetView(display_id window, display_id view, const view_state& state) = 0;
	virtual void RemoveView(display_id window, display_id view) noexcept = 0;

	virtual float StringWidth(const font_spec& font, const char* text) = 0;
	virtual void GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading)
		= 0;
	virtual BRect ScreenFrame() = 0;
	// Where a window asking for frame goes: moved, if need be, so that it and its decorations
	// lie in the part of the screen that the desktop leaves to windows (below its top bar).
	// frame itself where no desktop reserves anything (a bare X server, the headless display).
	virtual BRect PlaceWindow(const BRect& frame);
};


// The backend in use. The first call installs the default one if none was installed.
DisplayServer* display_server();
// Installs a backend before any window exists; the platform keeps it until the process ends.
void install_display_server(std::unique_ptr<DisplayServer> server);
display_id new_display_id();

// Input, from a backend's thread. Each is posted to the window's own thread, so a window that is
// busy handles it when it is done; input for a window that is gone is dropped.
// A click on a control toggles or presses it as a person's click does, then sends its message.
void deliver_click(display_id window, display_id view);
// A click on a view that is not a control: the view's MouseDown(where), where in its coordinates.
void deliver_mouse_down(display_id window, display_id view, BPoint where);
void deliver_close(display_id window);
// A drop at where (window coordinates), handed to the view under that point. A drop of files is
// a B_SIMPLE_DATA message with their refs under "refs".
void deliver_drop(display_id window, BPoint where, const BMessage& message);


} // namespace BPrivate


#endif // DISPLAY_SERVER_H
