/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "PermsWindow.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <memory>
#include <mutex>

#include <Entry.h>

#include <HGroup.h>
#include <MBorder.h>
#include <MButton.h>
#include <MCheckBox.h>
#include <MView.h>
#include <VGroup.h>

#include "ErrorAlert.h"


// All zero: the add-on has no start-up initialisation; Bitwell sets its own start.
BRect _offset(0, 0, 0, 0);
std::atomic<int32> _windowCount(0);


namespace {

// Guards _offset together with the changes of _windowCount.
std::mutex sCascadeLock;

const BRect kZeroFrame(0, 0, 0, 0);
const BRect kFallbackFrame(50, 50, 200, 200);
const BPoint kHomeCorner(50, 50);
const float kCascadeStep = 14;
// The nine bits the window shows and toggles.
const mode_t kPermissionBits = 0777;

const uint32 kMsgCancel = '-chg';
const uint32 kMsgSet = '+chg';

struct permission_control {
	uint32 what;
	const char* label;
	mode_t bit;
};

const char* const kClassLabels[3] = {"Owner", "Group", "Other"};

const permission_control kControls[3][3] = {
	{{'u_r_', "read", 0400}, {'u_w_', "write", 0200}, {'u_x_', "execute", 0100}},
	{{'g_r_', "read", 0040}, {'g_w_', "write", 0020}, {'g_x_', "execute", 0010}},
	{{'o_r_', "read", 0004}, {'o_w_', "write", 0002}, {'o_x_', "execute", 0001}},
};


BRect
current_offset()
{
	std::lock_guard<std::mutex> guard(sCascadeLock);
	return _offset;
}


const permission_control*
control_for(uint32 what)
{
	for (const auto& group : kControls) {
		for (const permission_control& control : group) {
			if (control.what == what)
				return &control;
		}
	}
	return NULL;
}

} // namespace


PermsWindow::PermsWindow(BNode* node, const entry_ref* ref)
	: MWindow(current_offset(), "Bitgate", B_TITLED_WINDOW, B_WILL_ACCEPT_FIRST_CLICK,
		B_CURRENT_WORKSPACE),
	  fNode(node),
	  fOldPerms(0),
	  fNewPerms(0),
	  fPermsRead(false)
{
	strcpy(fName, "Bitgate");

	{
		std::lock_guard<std::mutex> guard(sCascadeLock);
		// If the last window closed since the frame was taken, the cascade went home: follow.
		if (_offset != Frame())
			MoveTo(_offset.LeftTop());
		if (_offset == kZeroFrame) {
			printf("Hey: _offset was [ 0, 0 ], [ 0, 0 ], I must be on R3 (x86).\n");
			_offset = kFallbackFrame;
			MoveTo(_offset.LeftTop());
		}
		// A desktop keeps windows off its top bar: the cascade goes on from where this window
		// really opens, so that no title bar hides another.
		MoveOnScreen();
		_offset.OffsetTo(Frame().LeftTop());
		_offset.OffsetBy(kCascadeStep, kCascadeStep);
		_windowCount++;
		fCounted.counted = true;
	}

	BEntry entry(ref, false);
	if (entry.InitCheck() != B_OK) {
		ErrorAlert("Can't create entry from node.");
		return;
	}
	if (entry.GetName(fName) != B_OK) {
		ErrorAlert("Can't get name from entry.");
		return;
	}
	if (fNode->GetPermissions(&fOldPerms) != B_OK) {
		ErrorAlert("Can't get permissions from node.");
		return;
	}
	fNewPerms = fOldPerms;
	fPermsRead = true;
}


PermsWindow::~PermsWindow()
{
	delete fNode;
}


PermsWindow::CountedWindow::~CountedWindow()
{
	if (!counted)
		return;
	std::lock_guard<std::mutex> guard(sCascadeLock);
	if (--_windowCount == 0)
		_offset.OffsetTo(kHomeCorner);
}


void
PermsWindow::BuildControls()
{
	SetTitle(fName);

	// Each object is held until the next one takes it over, so that nothing is lost when
	// memory runs out half way; groups and borders own what they are given even then.
	std::unique_ptr<MView> frames[3];
	for (int32 group = 0; group < 3; group++) {
		std::unique_ptr<MView> boxes[3];
		for (int32 i = 0; i < 3; i++) {
			const permission_control& control = kControls[group][i];
			std::unique_ptr<BMessage> message(new BMessage(control.what));
			MCheckBox* box = new MCheckBox(control.label, message.release(), this,
				(fOldPerms & control.bit) != 0);
			boxes[i].reset(box);
			// Bits that were never read can't be edited.
			box->SetEnabled(fPermsRead);
		}
		std::unique_ptr<MView> column(
			new VGroup(boxes[0].release(), boxes[1].release(), boxes[2].release(), NULL));
		frames[group].reset(
			new MBorder(M_LABELED_BORDER, 6, kClassLabels[group], column.release()));
	}
	std::unique_ptr<MView> permissionRow(
		new HGroup(frames[0].release(), frames[1].release(), frames[2].release(), NULL));

	std::unique_ptr<BMessage> cancelMessage(new BMessage(kMsgCancel));
	std::unique_ptr<MView> cancel(
		new MButton("Cancel", cancelMessage.release(), this, minimax(-1, -1, -1, -1, 1.0)));
	std::unique_ptr<BMessage> setMessage(new BMessage(kMsgSet));
	std::unique_ptr<MView> set(
		new MButton("Set", setMessage.release(), this, minimax(-1, -1, -1, -1, 1.0)));
	std::unique_ptr<MView> buttonRow(new HGroup(cancel.release(), set.release(), NULL));

	std::unique_ptr<MView> content(new VGroup(permissionRow.release(), buttonRow.release(), NULL));
	std::unique_ptr<MView> topView(new MBorder(M_RAISED_BORDER, 3, "", content.release()));
	AddChild(dynamic_cast<BView*>(topView.get()), NULL);
	// The window owns its view tree.
	topView.release();
}


void
PermsWindow::MessageReceived(BMessage* message)
{
	if (const permission_control* control = control_for(message->what)) {
		fNewPerms ^= control->bit;
		return;
	}

	switch (message->what) {
		case kMsgSet:
		{
			status_t status = ApplyPermissions();
			if (status == B_NOT_ALLOWED)
				ErrorAlert("Can't set permissions on a read-only Bvolume.");
			else if (status == B_BAD_VALUE)
				ErrorAlert("That node doesn't exist anymore.");
			else if (status == B_MISMATCHED_VALUES)
				ErrorAlert("This volume did not keep the new permissions.");
			else if (status != B_OK)
				ErrorAlert("Unknown error!");
			Quit();
			break;
		}
		case kMsgCancel:
			if (fNewPerms != fOldPerms)
				ErrorAlert("Should ask if you want to set the permissions anyway...");
			Quit();
			break;
		default:
			MWindow::MessageReceived(message);
			break;
	}
}


status_t
PermsWindow::ApplyPermissions()
{
	if (fNewPerms == fOldPerms || !fPermsRead)
		return B_OK;

	// The word may have changed since the window read it: another process's change, or the
	// kernel dropping setuid and setgid when the file was written. Only the bits the person
	// toggled are set as the window shows them; every other bit stays as it is now.
	mode_t current;
	status_t status = fNode->GetPermissions(&current);
	if (status != B_OK) {
		int error = errno;
		printf("Bitgate: can't read permissions again: %s\n", strerror(error));
		return status;
	}
	mode_t toggled = (fOldPerms ^ fNewPerms) & kPermissionBits;
	mode_t perms = (current & ~toggled) | (fNewPerms & toggled);
	if (perms == current)
		return B_OK;
	status = fNode->SetPermissions(perms);
	if (status == B_MISMATCHED_VALUES) {
		mode_t found;
		if (fNode->GetPermissions(&found) == B_OK) {
			printf("Bitgate: set permissions to %04o, but the volume kept %04o\n",
				static_cast<unsigned>(perms), static_cast<unsigned>(found));
		} else {
			printf("Bitgate: set permissions to %04o, but the volume did not keep them\n",
				static_cast<unsigned>(perms));
		}
	} else if (status != B_OK) {
		int error = errno;
		printf("Bitgate: can't set permissions to %04o: %s\n", static_cast<unsigned>(perms),
			strerror(error));
	}
	return status;
}
