/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "DropView.h"

#include <stdio.h>

#include <Entry.h>
#include <Font.h>
#include <Message.h>

#include <ProcessRefs.h>


DropView::DropView(BRect frame, const char* name, const char* text)
	: BStringView(frame, name, text, B_FOLLOW_ALL, B_WILL_DRAW)
{
	SetFont(be_bold_font, B_FONT_ALL);
	SetFontSize(24.0);
}


DropView::~DropView()
{
}


void
DropView::MessageReceived(BMessage* message)
{
	printf("DropView's PrintToStream()\n");
	message->PrintToStream();

	entry_ref ref;
	if (message->what == B_SIMPLE_DATA && message->FindRef("refs", &ref) == B_OK) {
		SetText(ref.name);
		process_refs(ref, message, NULL);
		return;
	}
	BStringView::MessageReceived(message);
}


void
DropView::MouseDown(BPoint where)
{
	(void)where;
	SetText("Don't click, drag!");
}
