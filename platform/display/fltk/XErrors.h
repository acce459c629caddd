/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef X_ERRORS_H
#define X_ERRORS_H


#include <vector>

#include <X11/Xlib.h>


namespace BPrivate {


// Xlib's own handler ends the process at the first protocol error, and any client can cause
// one: a drag naming a window that doesn't exist, a window of ours destroyed by another
// client. Errors are kept instead, for the display thread to make sense of between events;
// losing the connection still ends the process as Xlib's handler of that does.
void keep_x_errors();

// The resources named by the errors since the last call, oldest first.
std::vector<XID> take_x_errors();


} // namespace BPrivate


#endif // X_ERRORS_H
