/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _BUTTON_H
#define _BUTTON_H


#include <Control.h>


class BButton : public BControl {
public:
	BButton(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BButton();

	virtual void GetPreferredSize(float* _width, float* _height);

protected:
	virtual void FillDisplayState(BPrivate::view_state* state) const;
};


#endif // _BUTTON_H
