/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef VIEW_GROUP_H
#define VIEW_GROUP_H


#include <FL/Fl_Group.H>

#include <display/fltk/PassiveWidget.h>


namespace BPrivate {


// A plain view or a border: a group of the widgets of its child views, with the border's frame.
class ViewGroup : public PassiveWidget<Fl_Group> {
public:
	// Frames keep this much room inside a border, and buttons around them.
	static const int kFrameMargin = 2;

	ViewGroup(view_record* record, const DisplayScale& scale);

	// Every view gets its own frame from the kits, in window coordinates.
	void resize(int x, int y, int w, int h) override;
	void draw() override;

private:
	void _DrawCaptionFrame();
};


} // namespace BPrivate


#endif // VIEW_GROUP_H
