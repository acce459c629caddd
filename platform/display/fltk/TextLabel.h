/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef TEXT_LABEL_H
#define TEXT_LABEL_H


#include <FL/Fl_Box.H>

#include <display/fltk/PassiveWidget.h>


namespace BPrivate {


// A line of text.
class TextLabel : public PassiveWidget<Fl_Box> {
public:
	TextLabel(view_record* record, const DisplayScale& scale);

	// FLTK keeps a label aligned to a side 3 pixels from it, at any scale.
	void draw() override;
};


} // namespace BPrivate


#endif // TEXT_LABEL_H
