/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef FLTK_FONTS_H
#define FLTK_FONTS_H


#include <FL/Enumerations.H>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>


namespace BPrivate {


// The face FLTK draws a font of the kits in.
Fl_Font face_for(const font_spec& font);
// The font's size in pixels at the scale.
int pixel_size(const font_spec& font, const DisplayScale& scale);


} // namespace BPrivate


#endif // FLTK_FONTS_H
