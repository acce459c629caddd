/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MGroup.h>

#include <math.h>

#include <algorithm>
#include <new>

#include <HGroup.h>
#include <VGroup.h>


namespace {

const float kUnbounded = 100000;


// Shares total pixels out among items by weight, within each item's limits: an item whose share
// falls outside its limits is held at the limit, and the rest is shared again among the others.
std::vector<float>
share_out(float total, const std::vector<minimax>& prefs, bool vertical)
{
	size_t count = prefs.size();
	std::vector<float> sizes(count, 0);
	std::vector<bool> held(count, false);
	float remaining = total;
	for (bool changed = true; changed;) {
		changed = false;
		float weights = 0;
		for (size_t i = 0; i < count; i++) {
			if (!held[i])
				weights += std::max(prefs[i].weight, 0.0001f);
		}
		for (size_t i = 0; i < count && !changed; i++) {
			if (held[i])
				continue;
			float share = remaining * std::max(prefs[i].weight, 0.0001f) / weights;
			float least = vertical ? prefs[i].mini.y : prefs[i].mini.x;
			float most = vertical ? prefs[i].maxi.y : prefs[i].maxi.x;
			if (share < least || share > most) {
				sizes[i] = share < least ? least : most;
				held[i] = true;
				remaining -= sizes[i];
				changed = true;
			}
		}
	}
	// Whole pixels; what rounding leaves goes to the last free item.
	float used = 0;
	float weights = 0;
	for (size_t i = 0; i < count; i++) {
		if (held[i])
			used += sizes[i];
		else
			weights += std::max(prefs[i].weight, 0.0001f);
	}
	float free = total - used;
	ssize_t last = -1;
	for (size_t i = 0; i < count; i++) {
		if (held[i])
			continue;
		sizes[i] = floorf(free * std::max(prefs[i].weight, 0.0001f) / weights);
		last = static_cast<ssize_t>(i);
	}
	if (last >= 0) {
		float given = 0;
		for (size_t i = 0; i < count; i++)
			given += sizes[i];
		sizes[last] += std::max(0.0f, total - given);
	}
	return sizes;
}

} // namespace


MGroup::MGroup(bool vertical)
	: BView(BRect(0, 0, 0, 0), vertical ? "VGroup" : "HGroup", B_FOLLOW_ALL, 0),
	  fVertical(vertical)
{
}


void
MGroup::_AddItems(MView* first, va_list rest)
{
	// The group owns its items from the call on: if it runs out of memory on the way, it
	// deletes those it could not take yet, and the ones it took go with it.
	MView* item = first;
	try {
		for (; item != NULL; item = va_arg(rest, MView*)) {
			BView* view = dynamic_cast<BView*>(item);
			if (view == NULL)
				continue;
			fItems.reserve(fItems.size() + 1);
			AddChild(view);
			fItems.push_back(item);
		}
	} catch (const std::bad_alloc&) {
		for (; item != NULL; item = va_arg(rest, MView*)) {
			BView* view = dynamic_cast<BView*>(item);
			if (view == NULL || view->Parent() != this)
				delete item;
		}
		throw;
	}
}


MGroup::~MGroup()
{
}


minimax
MGroup::layoutprefs()
{
	float along = 0;
	float alongMost = 0;
	float across = 0;
	for (MView* item : fItems) {
		minimax prefs = item->layoutprefs();
		along += fVertical ? prefs.mini.y : prefs.mini.x;
		alongMost += fVertical ? prefs.maxi.y : prefs.maxi.x;
		across = std::max(across, fVertical ? prefs.mini.x : prefs.mini.y);
	}
	alongMost = std::min(std::max(alongMost, along), kUnbounded);
	if (fVertical) {
		ct_mpm.mini.Set(across, along);
		ct_mpm.maxi.Set(kUnbounded, alongMost);
	} else {
		ct_mpm.mini.Set(along, across);
		ct_mpm.maxi.Set(alongMost, kUnbounded);
	}
	return ct_mpm;
}


BRect
MGroup::layout(BRect rect)
{
	MoveTo(rect.LeftTop());
	ResizeTo(rect.Width(), rect.Height());

	std::vector<minimax> prefs;
	for (MView* item : fItems)
		prefs.push_back(item->layoutprefs());
	float width = rect.Width() + 1;
	float height = rect.Height() + 1;
	std::vector<float> sizes = share_out(fVertical ? height : width, prefs, fVertical);

	float position = 0;
	for (size_t i = 0; i < fItems.size(); i++) {
		float across
			= fVertical ? std::min(width, prefs[i].maxi.x) : std::min(height, prefs[i].maxi.y);
		BRect frame = fVertical ? BRect(0, position, across - 1, position + sizes[i] - 1)
								: BRect(position, 0, position + sizes[i] - 1, across - 1);
		fItems[i]->layout(frame);
		position += sizes[i];
	}
	return rect;
}


VGroup::VGroup(MView* first, ...)
	: MGroup(true)
{
	va_list rest;
	va_start(rest, first);
	try {
		_AddItems(first, rest);
	} catch (...) {
		va_end(rest);
		throw;
	}
	va_end(rest);
}


VGroup::~VGroup()
{
}


HGroup::HGroup(MView* first, ...)
	: MGroup(false)
{
	va_list rest;
	va_start(rest, first);
	try {
		_AddItems(first, rest);
	} catch (...) {
		va_end(rest);
		throw;
	}
	va_end(rest);
}


HGroup::~HGroup()
{
}
