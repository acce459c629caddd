/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef INPUT_PORT_H
#define INPUT_PORT_H


#include <display/DisplayServer.h>


namespace BPrivate {


// Where the input a backend receives goes: the kit that owns the windows installs one, so that
// the display calls nothing above it. Called from a backend's thread.
class InputPort {
public:
	virtual ~InputPort();

	virtual void Click(display_id window, display_id view) = 0;
	virtual void MouseDown(display_id window, display_id view, BPoint where) = 0;
	virtual void Close(display_id window) = 0;
	virtual void Drop(display_id window, BPoint where, const BMessage& message) = 0;
};


// Installs the port the deliver_* functions hand input to; until one is, input is dropped, as no
// window exists to take it. The port lives until the process ends.
void install_input_port(InputPort* port);


} // namespace BPrivate


#endif // INPUT_PORT_H
