/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _CHECK_BOX_H
#define _CHECK_BOX_H


#include <Control.h>


class BCheckBox : public BControl {
public:
	BCheckBox(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW | B_NAVIGABLE);
	virtual ~BCheckBox();

	virtual void GetPreferredSize(float* _width, float* _height);

protected:
	virtual void FillDisplayState(BPrivate::view_state* state) const;
	virtual void UserClicked();
};


#endif // _CHECK_BOX_H
