/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef PERMS_WINDOW_H
#define PERMS_WINDOW_H


#include <atomic>

#include <Entry.h>
#include <Node.h>
#include <StorageDefs.h>

#include <MWindow.h>


// Edits the nine permission bits of one item. The window owns the item's node from its
// constructor on and deletes it when it goes.
class PermsWindow : public MWindow {
public:
	PermsWindow(BNode* node, const entry_ref* ref);
	virtual ~PermsWindow();

	virtual void MessageReceived(BMessage* message);

	void BuildControls();

private:
	status_t ApplyPermissions();

	// Gives the window's place in _windowCount back when the window goes, also when its
	// constructor fails after it was counted; the last one sends the cascade home.
	struct CountedWindow {
		~CountedWindow();

		bool counted = false;
	};

	BNode* fNode;
	char fName[B_FILE_NAME_LENGTH];
	mode_t fOldPerms;
	mode_t fNewPerms;
	// Whether fOldPerms was read from the item: a window that could not read it writes nothing.
	bool fPermsRead;
	CountedWindow fCounted;
};


// Where the next window opens, and how many windows exist; shared by all windows of the
// deliverable. Both change together, under one lock, so that a window opened while the last
// one closes gets a consistent place.
extern BRect _offset;
extern std::atomic<int32> _windowCount;


#endif // PERMS_WINDOW_H
