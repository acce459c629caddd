/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/ScaledFrames.h>

#include <string>

#include <FL/fl_draw.H>


namespace BPrivate {


void
draw_frame(Fl_Boxtype type, int x, int y, int w, int h, Fl_Color color, int width)
{
	// Each ring is the frame drawn one pixel further in; it covers the highlight the ring
	// before left inside itself, so only the innermost keeps one.
	for (int i = 0; i < width && 2 * i < w && 2 * i < h; i++)
		fl_draw_box(type, x + i, y + i, w - 2 * i, h - 2 * i, color);
}


void
draw_engraved_frame(int x, int y, int w, int h, int width)
{
	// Groups of four grays (top, left, bottom, right), from the outside in.
	std::string rings;
	for (int i = 0; i < width; i++)
		rings += "HHWW";
	for (int i = 0; i < width; i++)
		rings += "WWHH";
	fl_frame(rings.c_str(), x, y, w, h);
}


} // namespace BPrivate
