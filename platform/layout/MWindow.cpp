/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MWindow.h>

#include <View.h>

#include <MView.h>


MWindow::MWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
	: BWindow(frame, title, type, flags, workspace)
{
}


MWindow::~MWindow()
{
}


void
MWindow::Show()
{
	if (IsHidden()) {
		if (MView* top = dynamic_cast<MView*>(ChildAt(0))) {
			minimax prefs = top->layoutprefs();
			ResizeTo(prefs.mini.x - 1, prefs.mini.y - 1);
			top->layout(Bounds());
		}
	}
	BWindow::Show();
}


void
MWindow::MessageReceived(BMessage* message)
{
	BWindow::MessageReceived(message);
}
