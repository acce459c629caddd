/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/ButtonWidget.h>

#include <FL/Fl.H>

#include <display/ScaledFrames.h>


namespace BPrivate {


ButtonWidget::ButtonWidget(const DisplayScale& scale)
	:
	Fl_Button(0, 0, 1, 1),
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
	// The rings inside FLTK's own one; the label keeps clear of them, the focus mark is drawn
	// again on top.
	Fl_Boxtype type = value() != 0 ? fl_down(box()) : box();
	draw_frame(fl_frame(type), x() + 1, y() + 1, w() - 2, h() - 2, color(), width - 1);
	if (Fl::focus() == this && Fl::visible_focus())
		draw_focus();
}


} // namespace BPrivate
