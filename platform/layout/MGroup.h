/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MGROUP_H
#define _MGROUP_H


#include <stdarg.h>

#include <vector>

#include <View.h>

#include <MView.h>


// A row or a column of layout items. The room beyond the children's minimum sizes is shared
// out by weight, so children of equal weight get equal sizes where their minimums allow.
class MGroup : public MView, public BView {
public:
	virtual ~MGroup();

	virtual minimax layoutprefs();
	virtual BRect layout(BRect rect);

protected:
	MGroup(bool vertical);
	// Takes first and the items after it in rest, up to a null pointer.
	void _AddItems(MView* first, va_list rest);

private:
	bool fVertical;
	std::vector<MView*> fItems;
};


#endif // _MGROUP_H
