/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef CHECK_BOX_WIDGET_H
#define CHECK_BOX_WIDGET_H


#include <FL/Fl_Check_Button.H>

#include <display/DisplayScale.h>


namespace BPrivate {


// FLTK's check button, drawn at the display's scale: FLTK 1.3 sizes the square by the label's
// font, which is scaled already, but keeps its gaps, its frame and its mark in fixed pixels.
class CheckBoxWidget : public Fl_Check_Button {
public:
	CheckBoxWidget(const DisplayScale& scale);

	void draw() override;

private:
	const DisplayScale& fScale;
};


} // namespace BPrivate


#endif // CHECK_BOX_WIDGET_H
