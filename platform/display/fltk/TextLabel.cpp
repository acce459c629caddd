/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/TextLabel.h>


namespace BPrivate {


TextLabel::TextLabel(view_record* record, const DisplayScale& scale)
	: PassiveWidget<Fl_Box>(record, scale)
{
}


void
TextLabel::draw()
{
	draw_box();
	int inset = w() > fScale.Length(11) ? fScale.Length(3) : 0;
	draw_label(x() + inset, y(), w() - 2 * inset, h());
}


} // namespace BPrivate
