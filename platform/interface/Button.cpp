/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Button.h>

#include <display/DisplayServer.h>


BButton::BButton(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
}


BButton::~BButton()
{
}


void
BButton::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	if (_width != NULL)
		*_width = StringWidth(Label()) + 32;
	if (_height != NULL)
		*_height = height.ascent + height.descent + height.leading + 12;
}


void
BButton::FillDisplayState(BPrivate::view_state* state) const
{
	BControl::FillDisplayState(state);
	state->kind = BPrivate::VIEW_BUTTON;
}
