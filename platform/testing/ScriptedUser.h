/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef SCRIPTED_USER_H
#define SCRIPTED_USER_H


#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <display/headless/HeadlessDisplay.h>


namespace BPrivate {


// A person in front of the headless display, for tests: looks at the windows, clicks, closes,
// drops. Every wait has a deadline; when it passes, the wait throws std::runtime_error saying
// what it was waiting for and what the screen showed.
class ScriptedUser {
public:
	typedef HeadlessDisplay::window_info window_info;
	typedef HeadlessDisplay::view_info view_info;

	struct alert_info {
		display_id window = 0;
		std::string title;
		std::string text;
		std::vector<std::string> buttons;
	};

	explicit ScriptedUser(std::chrono::milliseconds timeout = std::chrono::seconds(10));

	HeadlessDisplay* Display() const { return fDisplay; }

	// Shown windows that are not alerts, in the order they were opened.
	std::vector<window_info> Windows() const;
	std::vector<alert_info> Alerts() const;

	window_info WaitForWindow(const std::string& title) const;
	std::vector<window_info> WaitForWindowCount(size_t count) const;
	void WaitForNoWindows() const;
	void WaitForGone(display_id window) const;
	alert_info WaitForAlert() const;
	void WaitFor(const std::string& what, const std::function<bool()>& condition) const;

	// The control labelled label; with frame, the one inside the border captioned frame.
	view_info FindControl(display_id window, const std::string& label,
		const std::string& frame = "") const;
	std::optional<view_info> FindView(display_id window, const std::string& name) const;
	// The current state of a view found before; throws if it is gone.
	view_state StateOf(const view_info& view) const;
	bool IsOn(const view_info& control) const;
	bool IsEnabled(const view_info& control) const;

	// Clicks the control as a person would; its window handles the click in its own thread.
	void Click(const view_info& control) const;
	// Clicks a check box and waits until it shows the other state.
	void Toggle(const view_info& box) const;
	void Close(display_id window) const;
	void ClickView(display_id window, BPoint where) const;
	void Drop(display_id window, BPoint where, const std::vector<std::string>& paths) const;
	void Drop(display_id window, BPoint where, const BMessage& message) const;
	// Presses the alert's button labelled label, or its only button, and waits until it is gone.
	void Press(const alert_info& alert, const std::string& label = "") const;

private:
	std::chrono::steady_clock::time_point _Deadline() const;
	[[noreturn]] void _Fail(const std::string& what) const;
	std::string _Describe() const;
	static alert_info _AlertOf(const HeadlessDisplay& display, const window_info& window);

	HeadlessDisplay* fDisplay;
	std::chrono::milliseconds fTimeout;
};


} // namespace BPrivate


#endif // SCRIPTED_USER_H
