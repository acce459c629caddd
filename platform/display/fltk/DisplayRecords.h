/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DISPLAY_RECORDS_H
#define DISPLAY_RECORDS_H


#include <map>
#include <memory>

#include <display/DisplayServer.h>


class Fl_Widget;


namespace BPrivate {


class FltkWindow;


// What the display thread keeps of a view: what the kits sent, and the widget showing it.
struct view_record {
	display_id id = 0;
	display_id window = 0;
	view_state state;
	Fl_Widget* widget = NULL;
};

typedef std::map<display_id, std::unique_ptr<view_record>> view_records;


// What the display thread keeps of a window and its views.
struct window_record {
	display_id id = 0;
	window_state state;
	bool hasState = false;
	// Views came, went or moved since the widgets were last put in order.
	bool needsRelink = false;
	FltkWindow* widget = NULL;
	view_records views;
};


} // namespace BPrivate


#endif // DISPLAY_RECORDS_H
