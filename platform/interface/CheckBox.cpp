/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <CheckBox.h>

#include <algorithm>

#include <display/DisplayServer.h>


namespace {

// The box, and the gap between the box and its label.
const float kBoxSize = 14;
const float kLabelGap = 6;

} // namespace


BCheckBox::BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
	: BControl(frame, name, label, message, resizingMode, flags)
{
}


BCheckBox::~BCheckBox()
{
}


void
BCheckBox::GetPreferredSize(float* _width, float* _height)
{
	font_height height;
	GetFontHeight(&height);
	float textHeight = height.ascent + height.descent + height.leading;
	if (_width != NULL)
		*_width = kBoxSize + kLabelGap + StringWidth(Label()) + 4;
	if (_height != NULL)
		*_height = std::max(kBoxSize, textHeight) + 6;
}


void
BCheckBox::FillDisplayState(BPrivate::view_state* state) const
{
	BControl::FillDisplayState(state);
	state->kind = BPrivate::VIEW_CHECK_BOX;
}


void
BCheckBox::UserClicked()
{
	SetValue(Value() == B_CONTROL_OFF ? B_CONTROL_ON : B_CONTROL_OFF);
}
