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

const char* const kLimitText
	= "Can't open more windows: a system limit is reached. The remaining %d items were left out.";


// The process has run out of descriptors, memory or threads: no fault of the item, and the
// items after it would fail the same way.
bool
is_limit(status_t status)
{
	return status == B_NO_MORE_FDS || status == B_NO_MEMORY || status == B_NO_MORE_THREADS;
}


// Said once for all the items a limit stops, this one included.
void
report_limit(int32 leftOut)
{
	char text[160];
	snprintf(text, sizeof(text), kLimitText, static_cast<int>(leftOut));
	ErrorAlert(text);
}

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
		bool last = index == count - 1;

		BNode* node = new(std::nothrow) BNode(&ref);
		status_t status = node != NULL ? node->InitCheck() : B_NO_MEMORY;
		if (status != B_OK) {
			delete node;
			if (is_limit(status) && !last) {
				report_limit(count - index);
				break;
			}
			ErrorAlert("Woah, I've opened too many nodes...");
			continue;
		}

		PermsWindow* window = NULL;
		bool running = false;
		try {
			window = new PermsWindow(node, &ref);
			window->BuildControls();
			// Locked across Show(), so that the window can't quit and go before it is known
			// whether it got its thread.
			window->Lock();
			window->Show();
			running = window->IsRunning();
			if (running)
				window->Unlock();
		} catch (const std::bad_alloc&) {
			ErrorAlert("Can't create PermsWindow!");
			// A window that was made owns the node; it never ran, so quitting deletes it here,
			// node and count with it.
			if (window != NULL)
				window->Quit();
			else
				delete node;
			continue;
		}
		if (!running) {
			// No thread to be had: the window goes at once, with its node and its count.
			window->Quit();
			if (!last) {
				report_limit(count - index);
				break;
			}
			ErrorAlert("Can't create PermsWindow!");
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
