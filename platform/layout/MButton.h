/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MBUTTON_H
#define _MBUTTON_H


#include <Button.h>

#include <MView.h>


// A push button that sends its message (which it owns) to target on each click.
class MButton : public MView, public BButton {
public:
	MButton(const char* label, BMessage* message = NULL, BHandler* target = NULL,
		minimax size = minimax(-1, -1, -1, -1, 1.0));
	virtual ~MButton();

	virtual minimax layoutprefs();
	virtual BRect layout(BRect rect);
};


#endif // _MBUTTON_H
