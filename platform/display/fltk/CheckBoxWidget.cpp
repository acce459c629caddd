/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/CheckBoxWidget.h>

#include <FL/Fl.H>
#include <FL/fl_draw.H>


namespace BPrivate {


CheckBoxWidget::CheckBoxWidget(const DisplayScale& scale)
	: Fl_Check_Button(0, 0, 1, 1),
	  fScale(scale)
{
}


void
CheckBoxWidget::draw()
{
	// At 1.0 FLTK's own drawing is what this one scales.
	if (fScale.Factor() == 1) {
		Fl_Check_Button::draw();
		return;
	}
	int side = labelsize();
	int gap = fScale.Length(2);
	int boxX = x() + gap;
	int boxY = y() + (h() - side) / 2;
	draw_box(down_box(), boxX, boxY, side, side, FL_BACKGROUND2_COLOR);
	// The frame again, a pixel further in each time, grays out with the box when disabled.
	for (int i = 1; i < fScale.LineWidth(); i++) {
		draw_box(fl_frame(down_box()), boxX + i, boxY + i, side - 2 * i, side - 2 * i,
			FL_BACKGROUND2_COLOR);
	}

	if (value() != 0) {
		// A tick of three strokes one logical unit apart, as FLTK draws it at 1.0.
		Fl_Color mark = Fl::is_scheme("gtk+") ? FL_SELECTION_COLOR : selection_color();
		fl_color(active_r() ? mark : fl_inactive(mark));
		int inset = fScale.Length(3);
		int tickX = boxX + inset;
		int tickWidth = side - 2 * inset;
		int down = tickWidth / 3;
		int up = tickWidth - down;
		int tickY = boxY + (side + up) / 2 - down - fScale.Length(2);
		int strokes = fScale.Length(3, 1);
		for (int i = 0; i < strokes; i++, tickY++) {
			fl_line(tickX, tickY, tickX + down, tickY + down);
			fl_line(tickX + down, tickY + down, tickX + tickWidth - 1, tickY + down - up + 1);
		}
	}

	int labelX = side + 2 * gap;
	draw_label(x() + labelX, y(), w() - labelX, h());
	if (Fl::focus() == this)
		draw_focus();
}


} // namespace BPrivate
