/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _VGROUP_H
#define _VGROUP_H


#include <MGroup.h>


// Items from top to bottom; the list ends with a null pointer.
class VGroup : public MGroup {
public:
	VGroup(MView* first, ...);
	virtual ~VGroup();
};


#endif // _VGROUP_H
