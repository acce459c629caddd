/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "DropWindow.h"

#include <Application.h>

#include "DropView.h"


DropWindow::DropWindow(BRect frame)
	: BWindow(frame, "Drop", B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE, B_CURRENT_WORKSPACE)
{
	AddChild(new DropView(Bounds(), "myView", "Drag a file to me"), NULL);
}


DropWindow::~DropWindow()
{
}


bool
DropWindow::QuitRequested()
{
	be_app->PostMessage(B_QUIT_REQUESTED);
	return true;
}
