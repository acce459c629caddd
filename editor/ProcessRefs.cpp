/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "ProcessRefs.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <new>
#include <string>

#include <Entry.h>
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

// The length of the UTF-8 character that starts text, if it is a printable one; 0 if not.
size_t
printable_length(const unsigned char* text, size_t left)
{
	unsigned char first = text[0];
	if (first < 0x80)
		return first >= 0x20 && first != 0x7f ? 1 : 0;
	size_t length = first >= 0xf0 ? 4 : first >= 0xe0 ? 3 : 2;
	if (first < 0xc2 || first > 0xf4 || left < length)
		return 0;
	unsigned long codePoint = first & (0x7f >> length);
	for (size_t i = 1; i < length; i++) {
		if ((text[i] & 0xc0) != 0x80)
			return 0;
		codePoint = (codePoint << 6) | (text[i] & 0x3f);
	}
	static const unsigned long kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
	if (codePoint < kLowest[length] || codePoint > 0x10ffff
		|| (codePoint >= 0xd800 && codePoint <= 0xdfff) || (codePoint >= 0x80 && codePoint <= 0x9f))
		return 0;
	return length;
}


// A name as it may go to a terminal: controls and bytes that are no UTF-8 as \xNN, the
// backslash doubled, so that it can't work the terminal and reads back exactly.
std::string
escaped(const char* text)
{
	std::string result;
	const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
	size_t size = strlen(text);
	for (size_t i = 0; i < size;) {
		size_t length = printable_length(bytes + i, size - i);
		if (length == 1 && bytes[i] == '\\') {
			result += "\\\\";
		} else if (length > 0) {
			result.append(text + i, length);
		} else {
			char code[5];
			snprintf(code, sizeof(code), "\\x%02x", bytes[i]);
			result += code;
			length = 1;
		}
		i += length;
	}
	return result;
}


// The alert says nothing of which item or why; the line does.
void
report_unopened(const entry_ref& ref, int error)
{
	// A ref whose folder isn't the one it names any more fails with no call of the system's.
	if (error == 0)
		error = ENOENT;
	char path[B_PATH_NAME_LENGTH];
	const char* item = get_path_for_ref(&ref, path, sizeof(path)) == B_OK ? path
		: ref.name != NULL												  ? ref.name
																		  : "";
	try {
		printf("Bitgate: can't open \"%s\": %s\n", escaped(item).c_str(), strerror(error));
	} catch (const std::bad_alloc&) {
		printf("Bitgate: can't open an item: %s\n", strerror(error));
	}
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

		errno = 0;
		BNode* node = new (std::nothrow) BNode(&ref);
		int error = node != NULL ? errno : ENOMEM;
		status_t status = node != NULL ? node->InitCheck() : B_NO_MEMORY;
		if (status != B_OK) {
			delete node;
			report_unopened(ref, error);
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
