/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef BUTTON_WIDGET_H
#define BUTTON_WIDGET_H


#include <FL/Fl_Button.H>

#include <display/DisplayScale.h>


namespace BPrivate {


// FLTK's button with its frame as wide as a line at the display's scale.
class ButtonWidget : public Fl_Button {
public:
	ButtonWidget(const DisplayScale& scale);

	void draw() override;

private:
	const DisplayScale& fScale;
};


} // namespace BPrivate


#endif // BUTTON_WIDGET_H
