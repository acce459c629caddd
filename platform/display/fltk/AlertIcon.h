/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef ALERT_ICON_H
#define ALERT_ICON_H


#include <FL/Fl_Widget.H>

#include <display/fltk/PassiveWidget.h>


namespace BPrivate {


// An alert's icon: a stop sign, a red octagon with a white bar.
class AlertIcon : public PassiveWidget<Fl_Widget> {
public:
	AlertIcon(view_record* record, const DisplayScale& scale);

	void draw() override;
};


} // namespace BPrivate


#endif // ALERT_ICON_H
