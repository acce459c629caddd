/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MBORDER_H
#define _MBORDER_H


#include <string>

#include <View.h>

#include <MView.h>


enum {
	M_NO_BORDER = 0,
	M_RAISED_BORDER = 1,
	M_DEPRESSED_BORDER = 2,
	M_LABELED_BORDER = 3
};


// A frame around one item, spacing pixels inside the line; M_LABELED_BORDER shows the label as
// a caption in the top line.
class MBorder : public MView, public BView {
public:
	MBorder(int32 kind, int32 spacing, const char* label, MView* child);
	virtual ~MBorder();

	virtual minimax layoutprefs();
	virtual BRect layout(BRect rect);

	const char* Label() const;

protected:
	virtual void FillDisplayState(BPrivate::view_state* state) const;

private:
	float _Top() const;
	float _Side() const;

	int32 fKind;
	int32 fSpacing;
	std::string fLabel;
	MView* fChild;
};


#endif // _MBORDER_H
