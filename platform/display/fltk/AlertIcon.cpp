/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/AlertIcon.h>

#include <math.h>

#include <algorithm>

#include <FL/fl_draw.H>


namespace BPrivate {


AlertIcon::AlertIcon(view_record* record, const DisplayScale& scale)
	: PassiveWidget<Fl_Widget>(record, scale)
{
}


void
AlertIcon::draw()
{
	double side = std::min(w(), h());
	double cx = x() + w() / 2.0;
	double cy = y() + h() / 2.0;
	double radius = side / 2.0;
	fl_color(fl_rgb_color(196, 24, 24));
	fl_begin_polygon();
	for (int i = 0; i < 8; i++) {
		double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
		fl_vertex(cx + radius * cos(angle), cy + radius * sin(angle));
	}
	fl_end_polygon();
	fl_color(FL_WHITE);
	int barWidth = static_cast<int>(side * 0.6);
	int barHeight = std::max(3, static_cast<int>(side * 0.16));
	fl_rectf(static_cast<int>(cx - barWidth / 2.0), static_cast<int>(cy - barHeight / 2.0),
		barWidth, barHeight);
}


} // namespace BPrivate
