/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _STRING_VIEW_H
#define _STRING_VIEW_H


#include <string>

#include <View.h>


// One line of text, drawn in the view's font; it redraws when the text changes.
class BStringView : public BView {
public:
	BStringView(BRect frame, const char* name, const char* text,
		uint32 resizingMode = B_FOLLOW_LEFT_TOP, uint32 flags = B_WILL_DRAW);
	virtual ~BStringView();

	void SetText(const char* text);
	const char* Text() const;

	virtual void MessageReceived(BMessage* message);
	virtual void GetPreferredSize(float* _width, float* _height);

protected:
	virtual void FillDisplayState(BPrivate::view_state* state) const;

private:
	std::string fText;
};


#endif // _STRING_VIEW_H
