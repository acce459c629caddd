/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <testing/ScriptedUser.h>

#include <stdexcept>

#include <Entry.h>
#include <Message.h>


namespace BPrivate {


ScriptedUser::ScriptedUser(std::chrono::milliseconds timeout)
	: fDisplay(HeadlessDisplay::Install()),
	  fTimeout(timeout)
{
}


std::vector<ScriptedUser::window_info>
ScriptedUser::Windows() const
{
	std::vector<window_info> shown;
	for (const window_info& window : fDisplay->Windows()) {
		if (window.state.shown && !window.state.alert)
			shown.push_back(window);
	}
	return shown;
}


std::vector<ScriptedUser::alert_info>
ScriptedUser::Alerts() const
{
	std::vector<alert_info> alerts;
	for (const window_info& window : fDisplay->Windows()) {
		if (window.state.shown && window.state.alert)
			alerts.push_back(_AlertOf(*fDisplay, window));
	}
	return alerts;
}


ScriptedUser::window_info
ScriptedUser::WaitForWindow(const std::string& title) const
{
	window_info found;
	WaitFor("a window titled \"" + title + "\"", [&] {
		for (const window_info& window : Windows()) {
			if (window.state.title == title) {
				found = window;
				return true;
			}
		}
		return false;
	});
	return found;
}


std::vector<ScriptedUser::window_info>
ScriptedUser::WaitForWindowCount(size_t count) const
{
	std::vector<window_info> windows;
	WaitFor(std::to_string(count) + " shown windows", [&] {
		windows = Windows();
		return windows.size() == count;
	});
	return windows;
}


void
ScriptedUser::WaitForNoWindows() const
{
	WaitFor("no window left", [&] { return Windows().empty() && Alerts().empty(); });
}


void
ScriptedUser::WaitForGone(display_id window) const
{
	WaitFor("window " + std::to_string(window) + " to go", [&] {
		for (const window_info& each : fDisplay->Windows()) {
			if (each.id == window)
				return false;
		}
		return true;
	});
}


ScriptedUser::alert_info
ScriptedUser::WaitForAlert() const
{
	alert_info found;
	WaitFor("an alert", [&] {
		std::vector<alert_info> alerts = Alerts();
		if (alerts.empty() || alerts.front().buttons.empty())
			return false;
		found = alerts.front();
		return true;
	});
	return found;
}


void
ScriptedUser::WaitFor(const std::string& what, const std::function<bool()>& condition) const
{
	// The condition may look at more than the display (the disk, a thread), so it is also
	// checked every few milliseconds, not only after each change of the display.
	auto deadline = _Deadline();
	for (;;) {
		uint64 generation = fDisplay->Generation();
		if (condition())
			return;
		auto now = std::chrono::steady_clock::now();
		if (now >= deadline)
			_Fail(what);
		fDisplay->WaitForChange(generation,
			std::min(deadline, now + std::chrono::milliseconds(10)));
	}
}


ScriptedUser::view_info
ScriptedUser::FindControl(display_id window, const std::string& label,
	const std::string& frame) const
{
	std::vector<view_info> views = fDisplay->Views(window);
	auto byId = [&views](display_id id) -> const view_info* {
		for (const view_info& view : views) {
			if (view.id == id)
				return &view;
		}
		return nullptr;
	};
	for (const view_info& view : views) {
		if (view.state.label != label
			|| (view.state.kind != VIEW_CHECK_BOX && view.state.kind != VIEW_BUTTON))
			continue;
		if (frame.empty())
			return view;
		for (const view_info* parent = byId(view.state.parent); parent != nullptr;
			 parent = byId(parent->state.parent)) {
			if (parent->state.kind == VIEW_BORDER && parent->state.label == frame)
				return view;
		}
	}
	_Fail("a control \"" + label + "\"" + (frame.empty() ? "" : " in \"" + frame + "\"")
		+ " in window " + std::to_string(window));
}


std::optional<ScriptedUser::view_info>
ScriptedUser::FindView(display_id window, const std::string& name) const
{
	for (const view_info& view : fDisplay->Views(window)) {
		if (view.state.name == name)
			return view;
	}
	return std::nullopt;
}


view_state
ScriptedUser::StateOf(const view_info& view) const
{
	for (const view_info& each : fDisplay->Views(view.window)) {
		if (each.id == view.id)
			return each.state;
	}
	_Fail("view " + std::to_string(view.id) + " (\"" + view.state.label + "\") to exist");
}


bool
ScriptedUser::IsOn(const view_info& control) const
{
	return StateOf(control).value != 0;
}


bool
ScriptedUser::IsEnabled(const view_info& control) const
{
	return StateOf(control).enabled;
}


void
ScriptedUser::Click(const view_info& control) const
{
	deliver_click(control.window, control.id);
}


void
ScriptedUser::Toggle(const view_info& box) const
{
	bool was = IsOn(box);
	Click(box);
	WaitFor("\"" + box.state.label + "\" to toggle", [&] { return IsOn(box) != was; });
}


void
ScriptedUser::Close(display_id window) const
{
	deliver_close(window);
}


void
ScriptedUser::ClickView(display_id window, BPoint where) const
{
	// The deepest view under the point gets the click, in its own coordinates.
	std::vector<view_info> views = fDisplay->Views(window);
	const view_info* target = nullptr;
	for (const view_info& view : views) {
		if (view.state.frame.Contains(where)
			&& (target == nullptr
				|| target->state.frame.Width() * target->state.frame.Height()
					>= view.state.frame.Width() * view.state.frame.Height()))
			target = &view;
	}
	if (target == nullptr)
		_Fail("a view under (" + std::to_string(where.x) + ", " + std::to_string(where.y) + ")");
	if (target->state.kind == VIEW_CHECK_BOX || target->state.kind == VIEW_BUTTON)
		deliver_click(window, target->id);
	else
		deliver_mouse_down(window, target->id, where - target->state.frame.LeftTop());
}


void
ScriptedUser::Drop(display_id window, BPoint where, const std::vector<std::string>& paths) const
{
	BMessage message(B_SIMPLE_DATA);
	for (const std::string& path : paths) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) != B_OK)
			_Fail("a ref for " + path);
		message.AddRef("refs", &ref);
	}
	Drop(window, where, message);
}


void
ScriptedUser::Drop(display_id window, BPoint where, const BMessage& message) const
{
	deliver_drop(window, where, message);
}


void
ScriptedUser::Press(const alert_info& alert, const std::string& label) const
{
	for (const view_info& view : fDisplay->Views(alert.window)) {
		if (view.state.kind == VIEW_BUTTON && (label.empty() || view.state.label == label)) {
			deliver_click(alert.window, view.id);
			WaitForGone(alert.window);
			return;
		}
	}
	_Fail("a button \"" + label + "\" in the alert \"" + alert.text + "\"");
}


std::chrono::steady_clock::time_point
ScriptedUser::_Deadline() const
{
	return std::chrono::steady_clock::now() + fTimeout;
}


void
ScriptedUser::_Fail(const std::string& what) const
{
	throw std::runtime_error("timed out after " + std::to_string(fTimeout.count())
		+ " ms waiting for " + what + "; on screen: " + _Describe());
}


std::string
ScriptedUser::_Describe() const
{
	std::string text;
	for (const window_info& window : fDisplay->Windows()) {
		text += "[" + std::string(window.state.alert ? "alert " : "window ") + "\""
			+ window.state.title + "\"" + (window.state.shown ? "" : " hidden");
		if (window.state.alert)
			text += ": \"" + _AlertOf(*fDisplay, window).text + "\"";
		text += "] ";
	}
	return text.empty() ? "nothing" : text;
}


ScriptedUser::alert_info
ScriptedUser::_AlertOf(const HeadlessDisplay& display, const window_info& window)
{
	alert_info alert;
	alert.window = window.id;
	alert.title = window.state.title;
	for (const view_info& view : display.Views(window.id)) {
		if (view.state.kind == VIEW_TEXT)
			alert.text = view.state.label;
		else if (view.state.kind == VIEW_BUTTON)
			alert.buttons.push_back(view.state.label);
	}
	return alert;
}


} // namespace BPrivate
