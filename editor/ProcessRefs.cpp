/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "ProcessRefs.h"

#include <stdio.h>

#include <new>

#include <Alert.h>
#include <Node.h>
#include <OS.h>

#include "PermsWindow.h"


namespace {

const bigtime_t kPollInterval = 500000;

} // namespace


void
process_refs(entry_ref directory, BMessage* message, void* reserved)
{
	(void)directory;
	(void)reserved;

	int32 count = 0;
	type_code type;
	if (message != NULL)
		message->GetInfo("refs", &type, &count);
	if (count == 0) {
		ErrorAlert("Select files/folders first!");
		return;
	}

	for (int32 index = 0; index < count; index++) {
		entry_ref ref;
		if (message->FindRef("refs", index, &ref) != B_OK) {
			ErrorAlert("Can't read refs from message!");
			continue;
		}

		BNode* node = new(std::nothrow) BNode(&ref);
		if (node == NULL || node->InitCheck() != B_OK) {
			ErrorAlert("Woah, I've opened too many nodes...");
			delete node;
			continue;
		}

		PermsWindow* window = NULL;
		try {
			window = new PermsWindow(node, &ref);
			window->BuildControls();
			window->Show();
		} catch (const std::bad_alloc&) {
			ErrorAlert("Can't create PermsWindow!");
			// A window that was made owns the node; it never ran, so quitting deletes it here,
			// node and count with it.
			if (window != NULL)
				window->Quit();
			else
				delete node;
		}
	}

	while (_windowCount.load() != 0)
		snooze(kPollInterval);
	snooze(kPollInterval);
}


void
ErrorAlert(const char* text)
{
	try {
		BAlert* alert = new BAlert("Bitgate Error", text, "Dang", NULL, NULL, B_WIDTH_AS_USUAL,
			B_STOP_ALERT);
		alert->Go();
	} catch (const std::bad_alloc&) {
		printf("aieee... - %s\n", text);
	}
}
