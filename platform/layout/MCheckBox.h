/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MCHECKBOX_H
#define _MCHECKBOX_H


#include <CheckBox.h>

#include <MView.h>


// A check box that sends its message (which it owns) to target each time the user toggles it.
class MCheckBox : public MView, public BCheckBox {
public:
	MCheckBox(const char* label, BMessage* message = NULL, BHandler* target = NULL,
		bool state = false);
	virtual ~MCheckBox();

	virtual minimax layoutprefs();
	virtual BRect layout(BRect rect);
};


#endif // _MCHECKBOX_H
