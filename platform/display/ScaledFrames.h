/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef SCALED_FRAMES_H
#define SCALED_FRAMES_H


#include <FL/Enumerations.H>


namespace BPrivate {


// FLTK draws its frames with lines one pixel wide at any scale; these draw them width pixels
// wide, growing inwards.

// The frame of a box type of FLTK's (an up or down frame of the scheme in use).
void draw_frame(Fl_Boxtype type, int x, int y, int w, int h, Fl_Color color, int width);
// An engraved frame: a dark ring in a light one.
void draw_engraved_frame(int x, int y, int w, int h, int width);


} // namespace BPrivate


#endif // SCALED_FRAMES_H
