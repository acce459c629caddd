/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/FltkWindow.h>

#include <FL/Fl.H>

#include <display/fltk/DropMessage.h>


namespace BPrivate {


FltkWindow::FltkWindow(display_id id, const view_records* views, const DisplayScale& scale)
	: Fl_Double_Window(0, 0, 1, 1),
	  fId(id),
	  fViews(views),
	  fScale(scale),
	  fAlert(false),
	  fClosable(true)
{
	end();
	resizable(NULL);
	callback(&_Callback, this);
}


void
FltkWindow::SetAlert(bool alert)
{
	fAlert = alert;
}


void
FltkWindow::SetClosable(bool closable)
{
	fClosable = closable;
}


void
FltkWindow::Drop(int x, int y, const char* data, size_t length)
{
	deliver_drop(fId, BPoint(fScale.Logical(x), fScale.Logical(y)), drop_message(data, length));
}


void
FltkWindow::Destroyed()
{
	if (fAlert) {
		if (const view_record* button = _FirstButton())
			deliver_click(fId, button->id);
	} else if (fClosable) {
		deliver_close(fId);
	}
}


int
FltkWindow::handle(int event)
{
	switch (event) {
		case FL_KEYBOARD:
		case FL_SHORTCUT:
			if (_HandleKey())
				return 1;
			break;
	}
	return Fl_Double_Window::handle(event);
}


bool
FltkWindow::_HandleKey()
{
	int key = Fl::event_key();
	bool enter = key == FL_Enter || key == FL_KP_Enter;
	if (fAlert && (enter || key == FL_Escape)) {
		if (const view_record* button = _FirstButton())
			deliver_click(fId, button->id);
		return true;
	}
	if (enter) {
		for (const auto& entry : *fViews) {
			const view_record& view = *entry.second;
			if (view.state.kind == VIEW_BUTTON && view.widget == Fl::focus()
				&& view.widget->active_r()) {
				deliver_click(fId, view.id);
				return true;
			}
		}
	}
	return false;
}


const view_record*
FltkWindow::_FirstButton() const
{
	const view_record* first = NULL;
	for (const auto& entry : *fViews) {
		const view_record& view = *entry.second;
		if (view.state.kind != VIEW_BUTTON || !view.state.enabled)
			continue;
		if (first == NULL || view.state.parent < first->state.parent
			|| (view.state.parent == first->state.parent && view.state.index < first->state.index))
			first = &view;
	}
	return first;
}


// Escape comes here too; only the close box asks the window to quit, and the kits hide it.
void
FltkWindow::_Callback(Fl_Widget*, void* data)
{
	FltkWindow* window = static_cast<FltkWindow*>(data);
	if (Fl::event() == FL_CLOSE && window->fClosable)
		deliver_close(window->fId);
}


} // namespace BPrivate
