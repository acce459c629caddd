/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MButton.h>


MButton::MButton(const char* label, BMessage* message, BHandler* target, minimax size)
	: BButton(BRect(0, 0, 0, 0), label, label, message, B_FOLLOW_LEFT_TOP,
		B_WILL_DRAW | B_NAVIGABLE)
{
	ct_mpm = size;
	SetTarget(target);
}


MButton::~MButton()
{
}


minimax
MButton::layoutprefs()
{
	// The limits given at construction hold where they are set; negative ones are the button's.
	float width;
	float height;
	GetPreferredSize(&width, &height);
	minimax prefs = ct_mpm;
	if (prefs.mini.x < 0)
		prefs.mini.x = width;
	if (prefs.mini.y < 0)
		prefs.mini.y = height;
	if (prefs.maxi.x < 0)
		prefs.maxi.x = 100000;
	if (prefs.maxi.y < 0)
		prefs.maxi.y = prefs.mini.y;
	return prefs;
}


BRect
MButton::layout(BRect rect)
{
	MoveTo(rect.LeftTop());
	ResizeTo(rect.Width(), rect.Height());
	return rect;
}
