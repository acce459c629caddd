/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/ViewGroup.h>

#include <math.h>

#include <FL/fl_draw.H>

#include <display/ScaledFrames.h>
#include <display/fltk/FltkFonts.h>


namespace BPrivate {


namespace {

// The caption of a labeled frame starts this far from the frame's left.
const int kCaptionInset = 8;

} // namespace


ViewGroup::ViewGroup(view_record* record, const DisplayScale& scale)
	: PassiveWidget<Fl_Group>(record, scale)
{
	end();
	resizable(NULL);
}


void
ViewGroup::resize(int x, int y, int w, int h)
{
	Fl_Widget::resize(x, y, w, h);
}


void
ViewGroup::draw()
{
	const view_state& state = fRecord->state;
	if (state.kind == VIEW_BORDER && state.kind_detail == BORDER_RAISED)
		draw_frame(FL_UP_FRAME, x(), y(), w(), h(), color(), fScale.LineWidth());
	else if (state.kind == VIEW_BORDER && state.kind_detail == BORDER_LABELED)
		_DrawCaptionFrame();
	draw_children();
}


void
ViewGroup::_DrawCaptionFrame()
{
	const view_state& state = fRecord->state;
	fl_font(face_for(state.font), pixel_size(state.font, fScale));
	// The line sits inside the border's margin, so that frames side by side don't touch.
	int margin = fScale.Length(kFrameMargin);
	int lineY = y() + fl_height() / 2;
	draw_engraved_frame(x() + margin, lineY, w() - 2 * margin, h() - (lineY - y()) - margin,
		fScale.LineWidth());
	if (state.label.empty())
		return;
	int textWidth = static_cast<int>(ceil(fl_width(state.label.c_str())));
	int inset = fScale.Length(kCaptionInset);
	int air = fScale.Length(3);
	fl_color(color());
	fl_rectf(x() + inset - air, y(), textWidth + 2 * air, fl_height());
	fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
	fl_draw(state.label.c_str(), x() + inset, y() + fl_height() - fl_descent());
}


} // namespace BPrivate
