/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/MetricCache.h>

#include <algorithm>

#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <display/VisibleText.h>
#include <display/fltk/FltkFonts.h>
#include <display/fltk/RequestQueue.h>


namespace BPrivate {


namespace {

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

} // namespace


MetricCache::MetricCache(RequestQueue& requests, const DisplayScale& scale)
	: fRequests(requests),
	  fScale(scale)
{
}


float
MetricCache::StringWidth(const font_spec& font, const char* text)
{
	if (text == NULL || text[0] == '\0')
		return 0;
	// As the text is shown.
	std::pair<int, std::string> key(font_key(font, fScale), visible_text(text));
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto found = fWidths.find(key);
		if (found != fWidths.end())
			return found->second;
	}
	float width = 0;
	fRequests.Call([&] {
		width = logical_metric(font, fScale, [&key] { return fl_width(key.second.c_str()); });
	});
	std::lock_guard<std::mutex> guard(fLock);
	fWidths.emplace(std::move(key), width);
	return width;
}


void
MetricCache::GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading)
{
	int key = font_key(font, fScale);
	std::pair<float, float> height(0, 0);
	bool known = false;
	{
		std::lock_guard<std::mutex> guard(fLock);
		auto found = fHeights.find(key);
		if (found != fHeights.end()) {
			height = found->second;
			known = true;
		}
	}
	if (!known) {
		fRequests.Call([&] {
			height.first = logical_metric(font, fScale, [] { return fl_height() - fl_descent(); });
			height.second = logical_metric(font, fScale, [] { return fl_descent(); });
		});
		std::lock_guard<std::mutex> guard(fLock);
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
MetricCache::ScreenFrame()
{
	// Asked for when needed (an alert centres itself), not at the opening: finding the screens
	// takes three round trips that no first window needs.
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (fScreen)
			return *fScreen;
	}
	std::optional<BRect> screen;
	fRequests.Call([&] {
		int x, y, w, h;
		Fl::screen_xywh(x, y, w, h, 0);
		screen = fScale.LogicalFrame(x, y, w, h);
	});
	// A display that stopped answers nothing, and nothing is kept.
	if (!screen)
		return BRect();
	std::lock_guard<std::mutex> guard(fLock);
	fScreen = screen;
	return *screen;
}


} // namespace BPrivate
