/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <StringView.h>

#include <display/DisplayServer.h>


BStringView::BStringView(BRect frame, const char* name, const char* text, uint32 resizingMode,
	uint32 flags)
	: BView(frame, name, resizingMode, flags),
	  fText(text != NULL ? text : "")
{
}


BStringView::~BStringView()
{
}


void
BStringView::SetText(const char* text)
{
	fText = text != NULL ? text : "";
	Invalidate();
}


const char*
BStringView::Text() const
{
	return fText.c_str();
}


void
BStringView::MessageReceived(BMessage* message)
{
	BView::MessageReceived(message);
}


void
BStringView::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = StringWidth(fText.c_str());
	if (_height != NULL)
		*_height = height.ascent + height.descent + height.leading;
}


void
BStringView::FillDisplayState(BPrivate::view_state* state) const
{
	BView::FillDisplayState(state);
	state->kind = BPrivate::VIEW_TEXT;
	state->label = fText;
}
