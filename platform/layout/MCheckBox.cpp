/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MCheckBox.h>


MCheckBox::MCheckBox(const char* label, BMessage* message, BHandler* target, bool state)
	: BCheckBox(BRect(0, 0, 0, 0), label, label, message, B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW | B_NAVIGABLE)
{
	SetTarget(target);
	SetValue(state ? B_CONTROL_ON : B_CONTROL_OFF);
}


MCheckBox::~MCheckBox()
{
}


minimax
MCheckBox::layoutprefs()
{
	float width;
	float height;
	GetPreferredSize(&width, &height);
	ct_mpm.mini.Set(width, height);
	ct_mpm.maxi.Set(100000, height);
	return ct_mpm;
}


BRect
MCheckBox::layout(BRect rect)
{
	MoveTo(rect.LeftTop());
	ResizeTo(rect.Width(), rect.Height());
	return rect;
}
