/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef WINDOW_INPUT_H
#define WINDOW_INPUT_H


#include <display/InputPort.h>


class BWindow;


namespace BPrivate {


// The windows by display token, so that input from the display finds its window while it exists.
// Each input is posted to the window's own thread, so a window that is busy handles it when it is
// done; input for a window that is gone is dropped.
class WindowInput : public InputPort {
public:
	static const uint32 kMsgClick = '_CLK';
	static const char* const kViewField;
	static const char* const kWhereField;

	// Installs the port at the first window.
	static void Register(display_id token, BWindow* window);
	static void Unregister(display_id token);

	void Click(display_id window, display_id view) override;
	void MouseDown(display_id window, display_id view, BPoint where) override;
	void Close(display_id window) override;
	void Drop(display_id window, BPoint where, const BMessage& message) override;
};


} // namespace BPrivate


#endif // WINDOW_INPUT_H
