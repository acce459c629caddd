/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef CHILD_ORDER_H
#define CHILD_ORDER_H


#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include <display/DisplayServer.h>


namespace BPrivate {


// Where one view of a window goes: under the view parent, 0 for the window itself, at index.
struct child_place {
	display_id view = 0;
	display_id parent = 0;
	int32 index = 0;
};


// The children of each parent of a window's tree in the views' order, which drawing, the
// keyboard focus and the accessibility tree follow: by index, views of one index in the order
// places gives them. Only parents with children are keys.
inline std::map<display_id, std::vector<display_id>>
children_in_order(const std::vector<child_place>& places)
{
	std::map<display_id, std::vector<std::pair<int32, display_id>>> order;
	for (const child_place& place : places)
		order[place.parent].emplace_back(place.index, place.view);
	std::map<display_id, std::vector<display_id>> children;
	for (auto& entry : order) {
		std::stable_sort(entry.second.begin(), entry.second.end(),
			[](const auto& a, const auto& b) { return a.first < b.first; });
		std::vector<display_id>& list = children[entry.first];
		for (const auto& child : entry.second)
			list.push_back(child.second);
	}
	return children;
}


} // namespace BPrivate


#endif // CHILD_ORDER_H
