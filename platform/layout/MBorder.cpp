/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MBorder.h>

#include <algorithm>
#include <new>

#include <display/DisplayServer.h>


namespace {

const float kLine = 2;

// The display numbers its border kinds as the layout does, so a kind goes to it as it is.
static_assert(int32(M_NO_BORDER) == BPrivate::BORDER_NONE
	&& int32(M_RAISED_BORDER) == BPrivate::BORDER_RAISED
	&& int32(M_DEPRESSED_BORDER) == BPrivate::BORDER_DEPRESSED
	&& int32(M_LABELED_BORDER) == BPrivate::BORDER_LABELED);

} // namespace


MBorder::MBorder(int32 kind, int32 spacing, const char* label, MView* child)
	: BView(BRect(0, 0, 0, 0), "MBorder", B_FOLLOW_ALL, B_WILL_DRAW),
	  fKind(kind),
	  fSpacing(spacing),
	  fChild(NULL)
{
	// The border owns its child from the call on, even if it fails to take it.
	try {
		fLabel = label != NULL ? label : "";
		if (BView* view = dynamic_cast<BView*>(child)) {
			AddChild(view);
			fChild = child;
		}
	} catch (const std::bad_alloc&) {
		BView* view = dynamic_cast<BView*>(child);
		if (view == NULL || view->Parent() != this)
			delete child;
		throw;
	}
}


MBorder::~MBorder()
{
}


minimax
MBorder::layoutprefs()
{
	minimax inner = fChild != NULL ? fChild->layoutprefs() : minimax(0, 0, 0, 0);
	float side = _Side();
	float top = _Top();
	float width = inner.mini.x + 2 * side;
	if (fKind == M_LABELED_BORDER)
		width = std::max(width, StringWidth(fLabel.c_str()) + 4 * side);
	ct_mpm.mini.Set(width, inner.mini.y + top + side);
	ct_mpm.maxi.Set(std::max(width, inner.maxi.x + 2 * side), inner.maxi.y + top + side);
	return ct_mpm;
}


BRect
MBorder::layout(BRect rect)
{
	MoveTo(rect.LeftTop());
	ResizeTo(rect.Width(), rect.Height());
	if (fChild != NULL) {
		float side = _Side();
		fChild->layout(BRect(side, _Top(), rect.Width() - side, rect.Height() - side));
	}
	return rect;
}


const char*
MBorder::Label() const
{
	return fLabel.c_str();
}


void
MBorder::FillDisplayState(BPrivate::view_state* state) const
{
	BView::FillDisplayState(state);
	state->kind = BPrivate::VIEW_BORDER;
	state->label = fLabel;
	state->kind_detail = fKind;
}


float
MBorder::_Top() const
{
	if (fKind != M_LABELED_BORDER)
		return _Side();
	font_height height;
	GetFontHeight(&height);
	return height.ascent + height.descent + fSpacing;
}


float
MBorder::_Side() const
{
	return (fKind == M_NO_BORDER ? 0 : kLine) + fSpacing;
}
