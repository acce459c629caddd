/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef HEADLESS_DISPLAY_H
#define HEADLESS_DISPLAY_H


#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <display/DisplayServer.h>


namespace BPrivate {


// A display without a screen: it keeps what the kits show, measures text with fixed metrics
// close to those of DejaVu Sans, and lets a ScriptedUser look at it and act on it.
class HeadlessDisplay : public DisplayServer {
public:
	struct window_info {
		display_id id = 0;
		window_state state;
	};

	struct view_info {
		display_id window = 0;
		display_id id = 0;
		view_state state;
	};

	// The installed headless display; installs one if the backend in use is another.
	static HeadlessDisplay* Install();

	void SetWindow(display_id window, const window_state& state) override;
	void RemoveWindow(display_id window) noexcept override;
	void SetView(display_id window, display_id view, const view_state& state) override;
	void RemoveView(display_id window, display_id view) noexcept override;
	float StringWidth(const font_spec& font, const char* text) override;
	void GetFontHeight(const font_spec& font, float* ascent, float* descent,
		float* leading) override;
	BRect ScreenFrame() override;

	// A snapshot of every window the kits created, in the order they were created.
	std::vector<window_info> Windows() const;
	// A snapshot of a window's views, in the order they were made; empty once it is gone.
	std::vector<view_info> Views(display_id window) const;

	// Counts the changes made so far; WaitForChange returns once there were more than since,
	// or at the deadline.
	uint64 Generation() const;
	void WaitForChange(uint64 since, std::chrono::steady_clock::time_point deadline) const;

private:
	struct window_model {
		window_state state;
		std::map<display_id, view_state> views;
	};

	mutable std::mutex fLock;
	mutable std::condition_variable fChanged;
	std::map<display_id, window_model> fWindows;
	uint64 fGeneration = 0;
};


} // namespace BPrivate


#endif // HEADLESS_DISPLAY_H
