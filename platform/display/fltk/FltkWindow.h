/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef FLTK_WINDOW_H
#define FLTK_WINDOW_H


#include <stddef.h>

#include <FL/Fl_Double_Window.H>

#include <display/DisplayScale.h>
#include <display/fltk/DisplayRecords.h>


namespace BPrivate {


// A window of the kits on screen: its keys (Enter, and Escape in an alert), its close box, and
// the drops and destruction the display hands it.
class FltkWindow : public Fl_Double_Window {
public:
	FltkWindow(display_id id, const view_records* views, const DisplayScale& scale);

	// An alert answers Enter and Escape with its first button; a window that can't be closed
	// ignores its close box.
	void SetAlert(bool alert);
	void SetClosable(bool closable);

	// Drops come from XdndTarget, not as FLTK's events, at a point in pixels.
	void Drop(int x, int y, const char* data, size_t length);
	// Another client destroyed the window: as if its close box was used. An alert, which has
	// none, goes as with Escape, so that whoever waits for it carries on.
	void Destroyed();

	int handle(int event) override;

private:
	bool _HandleKey();
	const view_record* _FirstButton() const;
	static void _Callback(Fl_Widget*, void* data);

	display_id fId;
	const view_records* fViews;
	const DisplayScale& fScale;
	bool fAlert;
	bool fClosable;
};


} // namespace BPrivate


#endif // FLTK_WINDOW_H
