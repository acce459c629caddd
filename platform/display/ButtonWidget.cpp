/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/ButtonWidget.h>

#include <FL/Fl.H>


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
	// The frame again, a pixel further in each time (grayed out with the button when disabled);
	// the label keeps clear of it, the focus mark is drawn again on top.
	Fl_Boxtype frame = fl_frame(value() != 0 ? fl_down(box()) : box());
	for (int i = 1; i < width && 2 * i < w() && 2 * i < h(); i++)
		draw_box(frame, x() + i, y() + i, w() - 2 * i, h() - 2 * i, color());
	if (Fl::focus() == this && Fl::visible_focus())
		draw_focus();
}


} // namespace BPrivate
