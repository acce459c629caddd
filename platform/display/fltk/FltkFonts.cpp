/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/FltkFonts.h>


namespace BPrivate {


Fl_Font
face_for(const font_spec& font)
{
	return font.bold ? FL_HELVETICA_BOLD : FL_HELVETICA;
}


int
pixel_size(const font_spec& font, const DisplayScale& scale)
{
	return scale.Length(font.size, 1);
}


} // namespace BPrivate
