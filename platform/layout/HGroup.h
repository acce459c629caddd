/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _HGROUP_H
#define _HGROUP_H


#include <MGroup.h>


// Items from left to right; the list ends with a null pointer.
class HGroup : public MGroup {
public:
	HGroup(MView* first, ...);
	virtual ~HGroup();
};


#endif // _HGROUP_H
