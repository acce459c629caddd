/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DISPLAY_OPENING_H
#define DISPLAY_OPENING_H


#include <X11/Xlib.h>


namespace BPrivate {


// Hands an open X display to FLTK, on the thread that will run FLTK, at the lowest cost to the
// first window: the atoms FLTK and the drop target use are asked for in one round trip instead of
// one each, and no input method is opened, since no window of ours takes text. Only the first
// call does anything.
void open_fltk_display(Display* display);


} // namespace BPrivate


#endif // DISPLAY_OPENING_H
