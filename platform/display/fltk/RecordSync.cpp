/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/RecordSync.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Group.H>
#include <FL/x.H>

#include <display/ChildOrder.h>
#include <display/VisibleText.h>
#include <display/fltk/AccessibleDisplay.h>
#include <display/fltk/AlertIcon.h>
#include <display/fltk/ButtonWidget.h>
#include <display/fltk/CheckBoxWidget.h>
#include <display/fltk/FltkFonts.h>
#include <display/fltk/FltkWindow.h>
#include <display/fltk/TextLabel.h>
#include <display/fltk/ViewGroup.h>


namespace BPrivate {


namespace {

// FLTK reads '@' in labels as a symbol and, on buttons, '&' as a shortcut mark.
std::string
label_text(const std::string& label, bool button)
{
	std::string text;
	for (char c : label) {
		if (c == '@' || (button && c == '&'))
			text += c;
		text += c;
	}
	return text;
}


void
check_box_pressed(Fl_Widget* widget, void* data)
{
	auto* record = static_cast<view_record*>(data);
	// The kits toggle the box and send its new value back.
	static_cast<Fl_Check_Button*>(widget)->value(record->state.value != 0 ? 1 : 0);
	deliver_click(record->window, record->id);
}


void
button_pressed(Fl_Widget*, void* data)
{
	auto* record = static_cast<view_record*>(data);
	deliver_click(record->window, record->id);
}


Fl_Widget*
make_widget(view_record* record, const DisplayScale& scale)
{
	Fl_Group::current(NULL);
	switch (record->state.kind) {
		case VIEW_TEXT:
		{
			TextLabel* label = new TextLabel(record, scale);
			label->box(FL_NO_BOX);
			label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
			return label;
		}
		case VIEW_CHECK_BOX:
		{
			Fl_Check_Button* box = new CheckBoxWidget(scale);
			box->callback(&check_box_pressed, record);
			return box;
		}
		case VIEW_BUTTON:
		{
			Fl_Button* button = new ButtonWidget(scale);
			button->callback(&button_pressed, record);
			return button;
		}
		case VIEW_ALERT_ICON:
			return new AlertIcon(record, scale);
		case VIEW_PLAIN:
		case VIEW_BORDER:
			break;
	}
	return new ViewGroup(record, scale);
}


bool
is_group(const view_record& record)
{
	return record.state.kind == VIEW_PLAIN || record.state.kind == VIEW_BORDER;
}


// Assistive tools place their highlights and pointer on screen pixels.
template<typename State>
State
in_pixels(State state, const DisplayScale& scale)
{
	int x, y, w, h;
	scale.GetPixelFrame(state.frame, &x, &y, &w, &h);
	state.frame.Set(x, y, x + w - 1, y + h - 1);
	return state;
}

} // namespace


RecordSync::RecordSync(const DisplayScale& scale)
	: fScale(scale)
{
}


void
RecordSync::SetAccessible(AccessibleDisplay* accessible)
{
	fAccessible = accessible;
}


void
RecordSync::RemoveWindow(display_id window)
{
	auto found = fWindows.find(window);
	if (found == fWindows.end())
		return;
	if (fAccessible != NULL)
		fAccessible->RemoveWindow(window);
	if (found->second->widget != NULL) {
		found->second->widget->hide();
		delete found->second->widget;
	}
	fWindows.erase(found);
}


void
RecordSync::RelinkChanged()
{
	// Only windows whose tree changed: a batch touches few of the windows open.
	for (auto& entry : fWindows) {
		if (entry.second->needsRelink)
			_Relink(*entry.second);
	}
}


void
RecordSync::HideAll()
{
	for (auto& entry : fWindows) {
		if (entry.second->widget != NULL)
			entry.second->widget->hide();
	}
}


// Alerts may not be decorated as others are.
unsigned long
RecordSync::FramedWindow() const
{
	for (auto entry = fWindows.rbegin(); entry != fWindows.rend(); ++entry) {
		const window_record& record = *entry->second;
		if (!record.state.alert && record.widget->shown())
			return fl_xid(record.widget);
	}
	return None;
}


window_record*
RecordSync::_WindowRecord(display_id window)
{
	auto found = fWindows.find(window);
	if (found != fWindows.end())
		return found->second.get();
	auto record = std::make_unique<window_record>();
	record->id = window;
	Fl_Group::current(NULL);
	record->widget = new FltkWindow(window, &record->views, fScale);
	window_record* result = record.get();
	fWindows.emplace(window, std::move(record));
	return result;
}


void
RecordSync::ApplyWindow(display_id window, const window_state& state)
{
	window_record* record = _WindowRecord(window);
	FltkWindow* widget = record->widget;
	bool first = !record->hasState;
	record->state = state;
	record->hasState = true;

	widget->SetAlert(state.alert);
	widget->SetClosable(state.closable);
	std::string title = visible_text(state.title);
	if (first || widget->label() == NULL || title != widget->label())
		widget->copy_label(title.c_str());
	int x, y, w, h;
	fScale.GetPixelFrame(state.frame, &x, &y, &w, &h);
	w = std::max(1, w);
	h = std::max(1, h);
	if (x != widget->x() || y != widget->y() || w != widget->w() || h != widget->h())
		widget->resize(x, y, w, h);
	if (state.alert && !widget->non_modal())
		widget->set_non_modal();

	if (state.shown && !widget->shown()) {
		if (record->needsRelink)
			_Relink(*record);
		widget->show();
	} else if (!state.shown && widget->shown()) {
		widget->hide();
	}
	if (fAccessible != NULL)
		fAccessible->SetWindow(window, in_pixels(state, fScale), widget);
}


void
RecordSync::ApplyView(display_id window, display_id view, const view_state& state)
{
	window_record* windowRecord = _WindowRecord(window);
	auto& slot = windowRecord->views[view];
	if (slot == NULL) {
		slot = std::make_unique<view_record>();
		slot->id = view;
		slot->window = window;
	}
	view_record& record = *slot;
	if (record.widget != NULL && record.state.kind != state.kind)
		_DestroyWidget(*windowRecord, record);
	if (record.widget == NULL || record.state.parent != state.parent
		|| record.state.index != state.index)
		windowRecord->needsRelink = true;
	record.state = state;
	if (record.widget == NULL) {
		record.widget = make_widget(&record, fScale);
		windowRecord->widget->add(record.widget);
	}
	Fl_Widget* widget = record.widget;

	bool button = state.kind == VIEW_BUTTON || state.kind == VIEW_CHECK_BOX;
	if (state.kind != VIEW_BORDER && state.kind != VIEW_PLAIN) {
		std::string label = label_text(visible_text(state.label), button);
		if (widget->label() == NULL || label != widget->label())
			widget->copy_label(label.c_str());
	}
	widget->labelfont(face_for(state.font));
	widget->labelsize(pixel_size(state.font, fScale));
	if (state.kind == VIEW_CHECK_BOX)
		static_cast<Fl_Check_Button*>(widget)->value(state.value != 0 ? 1 : 0);
	if (state.enabled && !widget->active())
		widget->activate();
	else if (!state.enabled && widget->active())
		widget->deactivate();

	// Buttons side by side, or under a frame, keep a little air between them.
	BRect frame = state.frame;
	if (state.kind == VIEW_BUTTON && frame.Width() + 1 > 4 * ViewGroup::kFrameMargin
		&& frame.Height() + 1 > 4 * ViewGroup::kFrameMargin)
		frame.InsetBy(ViewGroup::kFrameMargin, ViewGroup::kFrameMargin);
	int x, y, w, h;
	fScale.GetPixelFrame(frame, &x, &y, &w, &h);
	if (x != widget->x() || y != widget->y() || w != widget->w() || h != widget->h())
		widget->resize(x, y, w, h);
	windowRecord->widget->redraw();
	if (fAccessible != NULL)
		fAccessible->SetView(window, view, in_pixels(state, fScale), widget);
}


void
RecordSync::RemoveView(display_id window, display_id view)
{
	auto windowFound = fWindows.find(window);
	if (windowFound == fWindows.end())
		return;
	window_record& record = *windowFound->second;
	auto found = record.views.find(view);
	if (found == record.views.end())
		return;
	if (fAccessible != NULL)
		fAccessible->RemoveView(window, view);
	_DestroyWidget(record, *found->second);
	record.views.erase(found);
	record.needsRelink = true;
	record.widget->redraw();
}


void
RecordSync::_DestroyWidget(window_record& window, view_record& view)
{
	Fl_Widget* widget = view.widget;
	if (widget == NULL)
		return;
	// Children of the view that are still around stay, until they go or find a new parent.
	if (Fl_Group* group = widget->as_group()) {
		while (group->children() > 0)
			window.widget->add(group->child(0));
	}
	if (widget->parent() != NULL)
		widget->parent()->remove(widget);
	delete widget;
	view.widget = NULL;
}


void
RecordSync::_Relink(window_record& record)
{
	record.needsRelink = false;
	// Widgets take their parents' and siblings' order, so that drawing and Tab follow the views.
	// A view whose parent shows no group goes at the top of the window.
	std::vector<child_place> places;
	for (const auto& entry : record.views) {
		const view_record& view = *entry.second;
		if (view.widget == NULL)
			continue;
		child_place place;
		place.view = view.id;
		place.index = view.state.index;
		if (view.state.parent != 0) {
			auto found = record.views.find(view.state.parent);
			if (found != record.views.end() && found->second->widget != NULL
				&& is_group(*found->second))
				place.parent = view.state.parent;
		}
		places.push_back(place);
	}
	for (const auto& entry : children_in_order(places)) {
		Fl_Group* group
			= entry.first == 0 ? record.widget : record.views.at(entry.first)->widget->as_group();
		const std::vector<display_id>& list = entry.second;
		for (size_t i = 0; i < list.size(); i++) {
			Fl_Widget* widget = record.views.at(list[i])->widget;
			int index = static_cast<int>(i);
			if (index >= group->children() || group->child(index) != widget)
				group->insert(*widget, index);
		}
	}
}


} // namespace BPrivate
