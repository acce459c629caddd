/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/ButtonWidget.h>

#include <algorithm>

#include <FL/Fl.H>


namespace BPrivate {


ButtonWidget::ButtonWidget(const DisplayScale& scale)
	: Fl_Button(0, 0, 1, 1),
	  fScale(scale)
{
}


void
ButtonWidget::draw()
{
	Fl_Button::draw();
	int width = fScale.LineWidth();
	if (width == 1)
		return;
	// The frame again, a pixel further in each time (grayed out with the button when disabled);
	// the label keeps clear of it, and the focus mark, covered, moves in as far.
	Fl_Boxtype frame = fl_frame(value() != 0 ? fl_down(box()) : box());
	int rings = std::min(width, std::min(w(), h()) / 2);
	for (int i = 1; i < rings; i++)
		draw_box(frame, x() + i, y() + i, w() - 2 * i, h() - 2 * i, color());
	int inset = std::max(0, rings - 1);
	if (Fl::focus() == this && Fl::visible_focus())
		draw_focus(box(), x() + inset, y() + inset, w() - 2 * inset, h() - 2 * inset);
}


} // namespace BPrivate
