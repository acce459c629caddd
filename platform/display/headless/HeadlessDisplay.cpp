/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/headless/HeadlessDisplay.h>

#include <math.h>


namespace BPrivate {


HeadlessDisplay*
HeadlessDisplay::Install()
{
	if (HeadlessDisplay* current = dynamic_cast<HeadlessDisplay*>(display_server()))
		return current;
	auto display = std::make_unique<HeadlessDisplay>();
	HeadlessDisplay* result = display.get();
	install_display_server(std::move(display));
	return result;
}


void
HeadlessDisplay::SetWindow(display_id window, const window_state& state)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		fWindows[window].state = state;
		fGeneration++;
	}
	fChanged.notify_all();
}


void
HeadlessDisplay::RemoveWindow(display_id window) noexcept
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		fWindows.erase(window);
		fGeneration++;
	}
	fChanged.notify_all();
}


void
HeadlessDisplay::SetView(display_id window, display_id view, const view_state& state)
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto found = fWindows.find(window);
		if (found == fWindows.end())
			return;
		found->second.views[view] = state;
		fGeneration++;
	}
	fChanged.notify_all();
}


void
HeadlessDisplay::RemoveView(display_id window, display_id view) noexcept
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto found = fWindows.find(window);
		if (found == fWindows.end())
			return;
		found->second.views.erase(view);
		fGeneration++;
	}
	fChanged.notify_all();
}


float
HeadlessDisplay::StringWidth(const font_spec& font, const char* text)
{
	// Counts characters, not bytes: continuation bytes of UTF-8 add nothing.
	int32 characters = 0;
	for (const char* c = text; *c != '\0'; c++) {
		if ((static_cast<unsigned char>(*c) & 0xc0) != 0x80)
			characters++;
	}
	return ceilf(characters * font.size * (font.bold ? 0.66f : 0.6f));
}


void
HeadlessDisplay::GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading)
{
	*ascent = ceilf(font.size * 0.93f);
	*descent = ceilf(font.size * 0.24f);
	*leading = 0;
}


BRect
HeadlessDisplay::ScreenFrame()
{
	return BRect(0, 0, 1279, 1023);
}


uint64
HeadlessDisplay::Generation() const
{
	std::lock_guard<std::mutex> guard(fLock);
	return fGeneration;
}


void
HeadlessDisplay::WaitForChange(uint64 since, std::chrono::steady_clock::time_point deadline) const
{
	std::unique_lock<std::mutex> guard(fLock);
	fChanged.wait_until(guard, deadline, [&] { return fGeneration != since; });
}


std::vector<HeadlessDisplay::window_info>
HeadlessDisplay::Windows() const
{
	std::lock_guard<std::mutex> guard(fLock);
	std::vector<window_info> windows;
	for (const auto& [id, model] : fWindows)
		windows.push_back(window_info{id, model.state});
	return windows;
}


std::vector<HeadlessDisplay::view_info>
HeadlessDisplay::Views(display_id window) const
{
	std::lock_guard<std::mutex> guard(fLock);
	std::vector<view_info> views;
	auto found = fWindows.find(window);
	if (found == fWindows.end())
		return views;
	for (const auto& [id, state] : found->second.views)
		views.push_back(view_info{window, id, state});
	return views;
}


} // namespace BPrivate
