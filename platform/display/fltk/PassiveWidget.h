/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef PASSIVE_WIDGET_H
#define PASSIVE_WIDGET_H


#include <FL/Fl.H>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>
#include <display/fltk/DisplayRecords.h>


namespace BPrivate {


// A view that is no control: frames, plain views, text and icons. A click on it that no child
// takes is the view's mouse-down.
template<class Base>
class PassiveWidget : public Base {
public:
	PassiveWidget(view_record* record, const DisplayScale& scale)
		: Base(0, 0, 1, 1),
		  fRecord(record),
		  fScale(scale)
	{
	}

	int handle(int event) override
	{
		int handled = Base::handle(event);
		if (handled != 0 || event != FL_PUSH)
			return handled;
		const BRect& frame = fRecord->state.frame;
		deliver_mouse_down(fRecord->window, fRecord->id,
			BPoint(fScale.Logical(Fl::event_x()) - frame.left,
				fScale.Logical(Fl::event_y()) - frame.top));
		return 1;
	}

protected:
	view_record* fRecord;
	const DisplayScale& fScale;
};


} // namespace BPrivate


#endif // PASSIVE_WIDGET_H
