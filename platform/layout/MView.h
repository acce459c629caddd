/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MVIEW_H
#define _MVIEW_H


#include <Rect.h>

#include <layout.h>


// A layout item. Every layout object is both an MView and a BView (two separate bases): a
// dynamic_cast turns one into the other.
class MView {
public:
	MView();
	virtual ~MView();

	// The item's limits and weight, computed from its contents.
	virtual minimax layoutprefs() = 0;
	// Places the item in rect (its parent's coordinates, inclusive) and lays out its contents.
	virtual BRect layout(BRect rect) = 0;

	minimax ct_mpm;
};


#endif // _MVIEW_H
