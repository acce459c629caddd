/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/FltkDisplay.h>

#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <new>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <Message.h>

#include <display/fltk/AccessibleDisplay.h>
#include <display/fltk/ButtonWidget.h>
#include <display/fltk/CheckBoxWidget.h>
#include <display/fltk/DisplayOpening.h>
#include <display/fltk/DropMessage.h>
#include <display/ScaledFrames.h>
#include <display/VisibleText.h>
#include <display/fltk/WorkArea.h>
#include <display/fltk/XErrors.h>
#include <display/fltk/XdndTarget.h>


namespace BPrivate {


namespace {

// The caption of a labeled frame starts this far from the frame's left.
const int kCaptionInset = 8;
const int kFrameMargin = 2;


std::string
program_name()
{
	char path[PATH_MAX];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	if (length <= 0)
		return "be";
	path[length] = '\0';
	const char* slash = strrchr(path, '/');
	return slash != NULL ? slash + 1 : path;
}


int
pixel_size(const font_spec& font, const DisplayScale& scale)
{
	return scale.Length(font.size, 1);
}


Fl_Font
face_for(const font_spec& font)
{
	return font.bold ? FL_HELVETICA_BOLD : FL_HELVETICA;
}


// Metrics depend on the font's size in pixels at the display's scale and at 1.0.
int
font_key(const font_spec& font, const DisplayScale& scale)
{
	return (pixel_size(font, scale) * 4096 + pixel_size(font, DisplayScale())) * 2
		+ (font.bold ? 1 : 0);
}


// A text metric in logical units, on the display thread: the larger of the font's at the
// display's scale and at 1.0. Fonts don't grow exactly with their size, since glyphs and lines
// are rounded to whole pixels, more so when small; so the kits lay a window out the same at
// every scale, and the text drawn always fits the room they make for it.
template<class Measure>
float
logical_metric(const font_spec& font, const DisplayScale& scale, Measure measure)
{
	fl_font(face_for(font), pixel_size(font, scale));
	float value = scale.Logical(static_cast<float>(measure()));
	if (scale.Factor() != 1) {
		fl_font(face_for(font), pixel_size(font, DisplayScale()));
		value = std::max(value, static_cast<float>(measure()));
	}
	return value;
}


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
noop(void*)
{
}

} // namespace


struct FltkDisplay::view_record {
	display_id id = 0;
	display_id window = 0;
	view_state state;
	Fl_Widget* widget = NULL;
};


struct FltkDisplay::window_record {
	display_id id = 0;
	window_state state;
	bool hasState = false;
	// Views came, went or moved since the widgets were last put in order.
	bool needsRelink = false;
	FltkWindow* widget = NULL;
	std::map<display_id, std::unique_ptr<view_record>> views;
};


// A view that is no control: frames, plain views, text and icons. A click on it that no child
// takes is the view's mouse-down.
template<class Base>
class PassiveWidget : public Base {
public:
	PassiveWidget(FltkDisplay::view_record* record, const DisplayScale& scale)
		:
		Base(0, 0, 1, 1),
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
	FltkDisplay::view_record* fRecord;
	const DisplayScale& fScale;
};


class ViewGroup : public PassiveWidget<Fl_Group> {
public:
	ViewGroup(FltkDisplay::view_record* record, const DisplayScale& scale)
		:
		PassiveWidget<Fl_Group>(record, scale)
	{
		end();
		resizable(NULL);
	}

	// Every view gets its own frame from the kits, in window coordinates.
	void resize(int x, int y, int w, int h) override
	{
		Fl_Widget::resize(x, y, w, h);
	}

	void draw() override
	{
		const view_state& state = fRecord->state;
		if (state.kind == VIEW_BORDER && state.kind_detail == 1)
			draw_frame(FL_UP_FRAME, x(), y(), w(), h(), color(), fScale.LineWidth());
		else if (state.kind == VIEW_BORDER && state.kind_detail == 3)
			_DrawCaptionFrame();
		draw_children();
	}

private:
	void _DrawCaptionFrame()
	{
		const view_state& state = fRecord->state;
		fl_font(face_for(state.font), pixel_size(state.font, fScale));
		// The line sits inside the border's margin, so that frames side by side don't touch.
		int margin = fScale.Length(kFrameMargin);
		int lineY = y() + fl_height() / 2;
		draw_engraved_frame(x() + margin, lineY, w() - 2 * margin, h() - (lineY - y()) - margin,
			fScale.LineWidth());
		if (state.label.empty())
			return;
		int textWidth = static_cast<int>(ceil(fl_width(state.label.c_str())));
		int inset = fScale.Length(kCaptionInset);
		int air = fScale.Length(3);
		fl_color(color());
		fl_rectf(x() + inset - air, y(), textWidth + 2 * air, fl_height());
		fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
		fl_draw(state.label.c_str(), x() + inset, y() + fl_height() - fl_descent());
	}
};


class AlertIcon : public PassiveWidget<Fl_Widget> {
public:
	AlertIcon(FltkDisplay::view_record* record, const DisplayScale& scale)
		:
		PassiveWidget<Fl_Widget>(record, scale)
	{
	}

	// A stop sign: a red octagon with a white bar.
	void draw() override
	{
		double side = std::min(w(), h());
		double cx = x() + w() / 2.0;
		double cy = y() + h() / 2.0;
		double radius = side / 2.0;
		fl_color(fl_rgb_color(196, 24, 24));
		fl_begin_polygon();
		for (int i = 0; i < 8; i++) {
			double angle = (22.5 + 45.0 * i) * M_PI / 180.0;
			fl_vertex(cx + radius * cos(angle), cy + radius * sin(angle));
		}
		fl_end_polygon();
		fl_color(FL_WHITE);
		int barWidth = static_cast<int>(side * 0.6);
		int barHeight = std::max(3, static_cast<int>(side * 0.16));
		fl_rectf(static_cast<int>(cx - barWidth / 2.0), static_cast<int>(cy - barHeight / 2.0),
			barWidth, barHeight);
	}
};


class TextLabel : public PassiveWidget<Fl_Box> {
public:
	TextLabel(FltkDisplay::view_record* record, const DisplayScale& scale)
		:
		PassiveWidget<Fl_Box>(record, scale)
	{
	}

	// FLTK keeps a label aligned to a side 3 pixels from it, at any scale.
	void draw() override
	{
		draw_box();
		int inset = w() > fScale.Length(11) ? fScale.Length(3) : 0;
		draw_label(x() + inset, y(), w() - 2 * inset, h());
	}
};


class FltkWindow : public Fl_Double_Window {
public:
	FltkWindow(display_id id, const std::map<display_id, std::unique_ptr<FltkDisplay::view_record>>*
			views, const DisplayScale& scale)
		:
		Fl_Double_Window(0, 0, 1, 1),
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

	void SetBehaviour(bool alert, bool closable)
	{
		fAlert = alert;
		fClosable = closable;
	}

	// Drops come from XdndTarget, not as FLTK's events, at a point in pixels.
	void Drop(int x, int y, const char* data, size_t length)
	{
		deliver_drop(fId, BPoint(fScale.Logical(x), fScale.Logical(y)),
			drop_message(data, length));
	}

	// Another client destroyed the window: as if its close box was used. An alert, which has
	// none, goes as with Escape, so that whoever waits for it carries on.
	void Destroyed()
	{
		if (fAlert) {
			if (const FltkDisplay::view_record* button = _FirstButton())
				deliver_click(fId, button->id);
		} else if (fClosable) {
			deliver_close(fId);
		}
	}

	int handle(int event) override
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

private:
	bool _HandleKey()
	{
		int key = Fl::event_key();
		bool enter = key == FL_Enter || key == FL_KP_Enter;
		if (fAlert && (enter || key == FL_Escape)) {
			if (const FltkDisplay::view_record* button = _FirstButton())
				deliver_click(fId, button->id);
			return true;
		}
		if (enter) {
			for (const auto& entry : *fViews) {
				const FltkDisplay::view_record& view = *entry.second;
				if (view.state.kind == VIEW_BUTTON && view.widget == Fl::focus()
					&& view.widget->active_r()) {
					deliver_click(fId, view.id);
					return true;
				}
			}
		}
		return false;
	}

	const FltkDisplay::view_record* _FirstButton() const
	{
		const FltkDisplay::view_record* first = NULL;
		for (const auto& entry : *fViews) {
			const FltkDisplay::view_record& view = *entry.second;
			if (view.state.kind != VIEW_BUTTON || !view.state.enabled)
				continue;
			if (first == NULL || view.state.parent < first->state.parent
				|| (view.state.parent == first->state.parent
					&& view.state.index < first->state.index))
				first = &view;
		}
		return first;
	}

	// Escape comes here too; only the close box asks the window to quit, and the kits hide it.
	static void _Callback(Fl_Widget*, void* data)
	{
		FltkWindow* window = static_cast<FltkWindow*>(data);
		if (Fl::event() == FL_CLOSE && window->fClosable)
			deliver_close(window->fId);
	}

	display_id fId;
	const std::map<display_id, std::unique_ptr<FltkDisplay::view_record>>* fViews;
	const DisplayScale& fScale;
	bool fAlert;
	bool fClosable;
};


namespace {

void
check_box_pressed(Fl_Widget* widget, void* data)
{
	auto* record = static_cast<FltkDisplay::view_record*>(data);
	// The kits toggle the box and send its new value back.
	static_cast<Fl_Check_Button*>(widget)->value(record->state.value != 0 ? 1 : 0);
	deliver_click(record->window, record->id);
}


void
button_pressed(Fl_Widget*, void* data)
{
	auto* record = static_cast<FltkDisplay::view_record*>(data);
	deliver_click(record->window, record->id);
}


Fl_Widget*
make_widget(FltkDisplay::view_record* record, const DisplayScale& scale)
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
is_group(const FltkDisplay::view_record& record)
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


// Sees the X events before FLTK does: those of windows of ours going without being hidden.
int
watch_windows(void* event, void*)
{
	const XEvent& xEvent = *static_cast<const XEvent*>(event);
	if (xEvent.type != DestroyNotify
		|| xEvent.xdestroywindow.event != xEvent.xdestroywindow.window)
		return 0;
	// A window hidden by us is no longer found.
	if (FltkWindow* window = dynamic_cast<FltkWindow*>(fl_find(xEvent.xdestroywindow.window)))
		window->Destroyed();
	return 0;
}


bool
take_drop(Fl_Window* window, int x, int y, const char* data, size_t length)
{
	FltkWindow* target = dynamic_cast<FltkWindow*>(window);
	if (target == NULL)
		return false;
	target->Drop(x, y, data, length);
	return true;
}

} // namespace


std::unique_ptr<FltkDisplay>
FltkDisplay::Create()
{
	std::string program = program_name();
	const char* name = getenv("DISPLAY");
	Display* display = NULL;
	if (name != NULL && name[0] != '\0')
		display = XOpenDisplay(NULL);
	if (display == NULL) {
		if (name == NULL || name[0] == '\0') {
			fprintf(stderr, "%s: can't open the X display: DISPLAY is not set\n",
				program.c_str());
		} else {
			fprintf(stderr, "%s: can't open the X display \"%s\"\n", program.c_str(), name);
		}
		exit(1);
	}
	return std::unique_ptr<FltkDisplay>(new FltkDisplay(display));
}


FltkDisplay::FltkDisplay(void* xDisplay)
{
	std::mutex readyLock;
	std::condition_variable readyChanged;
	bool ready = false;
	fThread = std::thread([&, xDisplay] {
		{
			std::lock_guard<std::mutex> guard(readyLock);
			fThreadId = std::this_thread::get_id();
			// FLTK's awake queue is made by the first post; make it here, before anyone else
			// can post.
			Fl::lock();
			Fl::awake(&noop, NULL);
			open_fltk_display(static_cast<Display*>(xDisplay));
			fScale = DisplayScale::FromDpi(XGetDefault(fl_display, "Xft", "dpi"));
			Fl::scheme("gtk+");
			// Bold text is set in a face with the metrics of the platform's own bold font, so
			// that texts sized for it (the drop window's line) fit; fontconfig falls back to
			// DejaVu Sans Bold where it is missing.
			Fl::set_font(FL_HELVETICA_BOLD, "BLiberation Sans");
			static std::string sClass = program_name();
			Fl_Window::default_xclass(sClass.c_str());
			fAccessible = AccessibleDisplay::Start(sClass.c_str());
			ready = true;
			// Under the lock: the waiting constructor returns, and its condition goes, as soon
			// as it is released.
			readyChanged.notify_all();
		}
		_Run(xDisplay);
	});
	std::unique_lock<std::mutex> guard(readyLock);
	readyChanged.wait(guard, [&ready] { return ready; });
}


FltkDisplay::~FltkDisplay()
{
	Shutdown();
}


void
FltkDisplay::Shutdown()
{
	{
		std::lock_guard<std::mutex> guard(fQueueLock);
		if (fQuitting)
			return;
		fQuitting = true;
	}
	if (std::this_thread::get_id() == fThreadId) {
		fThread.detach();
		return;
	}
	Fl::awake(&noop, NULL);
	fThread.join();
}


void
FltkDisplay::_Run(void*)
{
	XdndTarget drops(&take_drop);
	Fl::add_system_handler(&watch_windows, NULL);
	while (true) {
		Fl::wait(1e20);
		for (XID resource : take_x_errors())
			drops.WindowFailed(resource);
		std::lock_guard<std::mutex> guard(fQueueLock);
		if (fQuitting) {
			fStopped = true;
			break;
		}
	}
	// Wake whoever still waits for an answer.
	_Drain(this);
	for (auto& entry : fWindows) {
		if (entry.second->widget != NULL)
			entry.second->widget->hide();
	}
	Fl::remove_system_handler(&watch_windows);
	Fl::unlock();
}


void
FltkDisplay::_Post(std::function<void()> request)
{
	bool wake;
	{
		std::lock_guard<std::mutex> guard(fQueueLock);
		if (fStopped)
			return;
		wake = fQueue.empty();
		fQueue.push_back(std::move(request));
	}
	// One wake-up per batch: FLTK's own queue is small and drops what overflows it.
	if (wake)
		Fl::awake(&_Drain, this);
}


void
FltkDisplay::_Call(const std::function<void()>& request)
{
	if (std::this_thread::get_id() == fThreadId) {
		request();
		return;
	}
	std::mutex doneLock;
	std::condition_variable doneChanged;
	bool done = false;
	_Post([&] {
		request();
		std::lock_guard<std::mutex> guard(doneLock);
		done = true;
		doneChanged.notify_all();
	});
	std::unique_lock<std::mutex> guard(doneLock);
	doneChanged.wait(guard, [&] {
		if (done)
			return true;
		std::lock_guard<std::mutex> queueGuard(fQueueLock);
		return fStopped && fQueue.empty();
	});
}


void
FltkDisplay::_Drain(void* data)
{
	FltkDisplay* self = static_cast<FltkDisplay*>(data);
	std::vector<std::function<void()>> requests;
	{
		std::lock_guard<std::mutex> guard(self->fQueueLock);
		requests.swap(self->fQueue);
	}
	for (auto& request : requests) {
		try {
			request();
		} catch (const std::bad_alloc&) {
			fprintf(stderr, "display: out of memory\n");
		}
	}
	// Only windows whose tree changed: a batch touches few of the windows open.
	for (auto& entry : self->fWindows) {
		if (entry.second->needsRelink)
			self->_Relink(*entry.second);
	}
}


void
FltkDisplay::SetWindow(display_id window, const window_state& state)
{
	_Post([this, window, state] { _ApplyWindow(window, state); });
}


void
FltkDisplay::RemoveWindow(display_id window) noexcept
{
	try {
		_Post([this, window] {
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
		});
	} catch (const std::bad_alloc&) {
	}
}


void
FltkDisplay::SetView(display_id window, display_id view, const view_state& state)
{
	_Post([this, window, view, state] { _ApplyView(window, view, state); });
}


void
FltkDisplay::RemoveView(display_id window, display_id view) noexcept
{
	try {
		_Post([this, window, view] { _RemoveView(window, view); });
	} catch (const std::bad_alloc&) {
	}
}


float
FltkDisplay::StringWidth(const font_spec& font, const char* text)
{
	if (text == NULL || text[0] == '\0')
		return 0;
	// As the text is shown.
	std::pair<int, std::string> key(font_key(font, fScale), visible_text(text));
	{
		std::lock_guard<std::mutex> guard(fMetricsLock);
		auto found = fWidths.find(key);
		if (found != fWidths.end())
			return found->second;
	}
	float width = 0;
	_Call([&] {
		width = logical_metric(font, fScale, [&key] { return fl_width(key.second.c_str()); });
	});
	std::lock_guard<std::mutex> guard(fMetricsLock);
	fWidths.emplace(std::move(key), width);
	return width;
}


void
FltkDisplay::GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading)
{
	int key = font_key(font, fScale);
	std::pair<float, float> height(0, 0);
	bool known = false;
	{
		std::lock_guard<std::mutex> guard(fMetricsLock);
		auto found = fHeights.find(key);
		if (found != fHeights.end()) {
			height = found->second;
			known = true;
		}
	}
	if (!known) {
		_Call([&] {
			height.first = logical_metric(font, fScale, [] { return fl_height() - fl_descent(); });
			height.second = logical_metric(font, fScale, [] { return fl_descent(); });
		});
		std::lock_guard<std::mutex> guard(fMetricsLock);
		fHeights[key] = height;
	}
	if (ascent != NULL)
		*ascent = height.first;
	if (descent != NULL)
		*descent = height.second;
	if (leading != NULL)
		*leading = 0;
}


BRect
FltkDisplay::ScreenFrame()
{
	// Asked for when needed (an alert centres itself), not at the opening: finding the screens
	// takes three round trips that no first window needs.
	{
		std::lock_guard<std::mutex> guard(fMetricsLock);
		if (fScreen)
			return *fScreen;
	}
	std::optional<BRect> screen;
	_Call([&] {
		int x, y, w, h;
		Fl::screen_xywh(x, y, w, h, 0);
		screen = fScale.LogicalFrame(x, y, w, h);
	});
	// A display that stopped answers nothing, and nothing is kept.
	if (!screen)
		return BRect();
	std::lock_guard<std::mutex> guard(fMetricsLock);
	fScreen = screen;
	return *screen;
}


BRect
FltkDisplay::PlaceWindow(const BRect& frame)
{
	BRect placed = frame;
	_Call([&] {
		if (fWorkArea == NULL)
			fWorkArea = std::make_unique<WorkArea>(fl_display);
		int x, y, w, h;
		fScale.GetPixelFrame(frame, &x, &y, &w, &h);
		int left = x;
		int top = y;
		// From whole pixels, so that the kits' frame is where the window really goes.
		if (fWorkArea->Keep(&left, &top, w, h, _FramedWindow()) && (left != x || top != y))
			placed.OffsetTo(fScale.Logical(left), fScale.Logical(top));
	});
	return placed;
}


// The newest window of ours on screen that is decorated as a new one will be: alerts may not be.
unsigned long
FltkDisplay::_FramedWindow() const
{
	for (auto entry = fWindows.rbegin(); entry != fWindows.rend(); ++entry) {
		const window_record& record = *entry->second;
		if (!record.state.alert && record.widget->shown())
			return fl_xid(record.widget);
	}
	return None;
}


FltkDisplay::window_record*
FltkDisplay::_WindowRecord(display_id window)
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
FltkDisplay::_ApplyWindow(display_id window, const window_state& state)
{
	window_record* record = _WindowRecord(window);
	FltkWindow* widget = record->widget;
	bool first = !record->hasState;
	record->state = state;
	record->hasState = true;

	widget->SetBehaviour(state.alert, state.closable);
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
FltkDisplay::_ApplyView(display_id window, display_id view, const view_state& state)
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
	if (state.kind == VIEW_BUTTON && frame.Width() + 1 > 4 * kFrameMargin
		&& frame.Height() + 1 > 4 * kFrameMargin)
		frame.InsetBy(kFrameMargin, kFrameMargin);
	int x, y, w, h;
	fScale.GetPixelFrame(frame, &x, &y, &w, &h);
	if (x != widget->x() || y != widget->y() || w != widget->w() || h != widget->h())
		widget->resize(x, y, w, h);
	windowRecord->widget->redraw();
	if (fAccessible != NULL)
		fAccessible->SetView(window, view, in_pixels(state, fScale), widget);
}


void
FltkDisplay::_RemoveView(display_id window, display_id view)
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
FltkDisplay::_DestroyWidget(window_record& window, view_record& view)
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
FltkDisplay::_Relink(window_record& record)
{
	record.needsRelink = false;
	// Widgets take their parents' and siblings' order, so that drawing and Tab follow the views.
	std::map<Fl_Group*, std::vector<std::pair<int32, Fl_Widget*>>> children;
	for (auto& entry : record.views) {
		view_record& view = *entry.second;
		if (view.widget == NULL)
			continue;
		Fl_Group* parent = record.widget;
		if (view.state.parent != 0) {
			auto found = record.views.find(view.state.parent);
			if (found != record.views.end() && found->second->widget != NULL
				&& is_group(*found->second))
				parent = found->second->widget->as_group();
		}
		children[parent].emplace_back(view.state.index, view.widget);
	}
	for (auto& entry : children) {
		Fl_Group* group = entry.first;
		auto& list = entry.second;
		std::stable_sort(list.begin(), list.end(),
			[](const auto& a, const auto& b) { return a.first < b.first; });
		for (size_t i = 0; i < list.size(); i++) {
			int index = static_cast<int>(i);
			if (index >= group->children() || group->child(index) != list[i].second)
				group->insert(*list[i].second, index);
		}
	}
}


} // namespace BPrivate
