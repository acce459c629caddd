/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _LAYOUT_H
#define _LAYOUT_H


#include <Point.h>


// Size limits and weight of a layout item, in pixels. A negative limit asks the item for its own
// size there; the weight shares out the room left over among the children of a group.
class minimax {
public:
	minimax(int minX = 0, int minY = 0, int maxX = 100000, int maxY = 100000, float weight = 1.0);

	BPoint mini;
	BPoint maxi;
	float weight;
};


#endif // _LAYOUT_H
