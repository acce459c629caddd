/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DROP_VIEW_H
#define DROP_VIEW_H


#include <StringView.h>


// The text that fills the drop window. Files dropped on it go to process_refs, in the window's
// own thread, which handles nothing else until their permissions windows have all closed.
class DropView : public BStringView {
public:
	DropView(BRect frame, const char* name, const char* text);
	virtual ~DropView();

	virtual void MessageReceived(BMessage* message);
	virtual void MouseDown(BPoint where);
};


#endif // DROP_VIEW_H
