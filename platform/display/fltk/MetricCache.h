/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef METRIC_CACHE_H
#define METRIC_CACHE_H


#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>


namespace BPrivate {


class RequestQueue;


// The text metrics and the screen's frame, measured on the display thread at the first asking
// and kept: the kits ask for the same few again and again, from any of their threads.
class MetricCache {
public:
	MetricCache(RequestQueue& requests, const DisplayScale& scale);

	float StringWidth(const font_spec& font, const char* text);
	void GetFontHeight(const font_spec& font, float* ascent, float* descent, float* leading);
	BRect ScreenFrame();

private:
	RequestQueue& fRequests;
	const DisplayScale& fScale;

	std::mutex fLock;
	std::map<std::pair<int, std::string>, float> fWidths;
	std::map<int, std::pair<float, float>> fHeights;
	std::optional<BRect> fScreen;
};


} // namespace BPrivate


#endif // METRIC_CACHE_H
