/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "DropApplication.h"

#include <stdio.h>

#include <Entry.h>
#include <View.h>


DropApplication::DropApplication()
	: BApplication("application/x-vnd.vrm-Bitwell")
{
	fWindow = new DropWindow(BRect(100.0, 80.0, 300.0, 120.0));
	fWindow->Show();
}


DropApplication::~DropApplication()
{
}


void
DropApplication::RefsReceived(BMessage* message)
{
	printf("My PrintToStream():\n");
	message->PrintToStream();

	entry_ref ref;
	if (message->FindRef("refs", &ref) != B_OK)
		return;

	BMessage drop(B_SIMPLE_DATA);
	drop.AddRef("refs", &ref);
	printf("Your PrintToStream():\n");
	drop.PrintToStream();

	// The drop window's thread holds its lock while it is inside process_refs: this waits
	// until the permissions windows of an earlier drop have all closed. A window that quit
	// meanwhile can't be locked, and the file goes with it. The post is made under the lock, so
	// that the window and its view are still there.
	if (!fWindow->Lock())
		return;
	BView* view = fWindow->ChildAt(0);
	fWindow->PostMessage(&drop, view, NULL);
	fWindow->Unlock();
}
