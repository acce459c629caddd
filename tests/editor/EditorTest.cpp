/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The editor as Bitwell carries it (its cascade starts at (50, 50)), driven on the headless
// display as a person would drive it.
#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <Entry.h>

#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

const char* const kClasses[3] = {"Owner", "Group", "Other"};
const char* const kBits[3] = {"read", "write", "execute"};


class EditorTest : public testing::Test {
protected:
	void TearDown() override { close_everything(fUser); }

	ScriptedUser fUser;
	TempFolder fFolder;
};


bool
same_time(const timespec& a, const timespec& b)
{
	return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}


// Opens one window on path, runs edit on it, and returns once process_refs has returned.
template<typename Edit>
void
edit_file(const ScriptedUser& user, const std::string& path, Edit edit)
{
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow(path.substr(path.rfind('/') + 1));
	edit(window);
	call.WaitReturned(user);
}

} // namespace


TEST_F(EditorTest, WindowsCascadeAndRestartAtHome)
{
	std::vector<std::string> paths;
	for (const char* name : {"one", "two", "three"})
		paths.push_back(fFolder.MakeFile(name, 0644));
	{
		AddOnCall call(process_refs, refs_message(paths));
		auto windows = fUser.WaitForWindowCount(3);
		for (int i = 0; i < 3; i++) {
			EXPECT_EQ(windows[i].state.title, paths[i].substr(paths[i].rfind('/') + 1));
			EXPECT_EQ(windows[i].state.frame.LeftTop(), BPoint(50 + 14 * i, 50 + 14 * i));
		}
		// Laid out to fit the controls, not the 10 by 10 frame it was made with.
		EXPECT_GT(windows[0].state.frame.Width(), 100);

		// One window stays open: the next call goes on with the cascade.
		fUser.Close(windows[0].id);
		fUser.Close(windows[1].id);
		fUser.WaitForWindowCount(1);
		AddOnCall second(process_refs, refs_message({paths[0]}));
		auto more = fUser.WaitForWindowCount(2);
		EXPECT_EQ(more[1].state.frame.LeftTop(), BPoint(92, 92));
		close_everything(fUser);
		call.WaitReturned(fUser);
		second.WaitReturned(fUser);
	}

	// All closed: the cascade is home again.
	AddOnCall call(process_refs, refs_message({paths[1]}));
	auto window = fUser.WaitForWindow("two");
	EXPECT_EQ(window.state.frame.LeftTop(), BPoint(50, 50));
}


TEST_F(EditorTest, BoxesShowTheBitsAndTheTitleTheName)
{
	std::string path = fFolder.MakeFile("notes.txt", 0754);
	AddOnCall call(process_refs, refs_message({path}));
	auto window = fUser.WaitForWindow("notes.txt");
	const bool expected[3][3] = {{true, true, true}, {true, false, true}, {true, false, false}};
	for (int c = 0; c < 3; c++) {
		for (int b = 0; b < 3; b++) {
			auto box = fUser.FindControl(window.id, kBits[b], kClasses[c]);
			EXPECT_EQ(fUser.IsOn(box), expected[c][b]) << kClasses[c] << " " << kBits[b];
			EXPECT_TRUE(fUser.IsEnabled(box));
		}
	}
	fUser.FindControl(window.id, "Cancel");
	fUser.FindControl(window.id, "Set");
}


TEST_F(EditorTest, NamesAreShownByteForByte)
{
	std::string longName(255, 'n');
	std::string newline = "first\nsecond";
	std::string notUtf8 = "caf\xe9-\xff\xfe";
	for (const std::string& name : {longName, newline, notUtf8}) {
		std::string path = fFolder.MakeFile(name, 0600);
		AddOnCall call(process_refs, refs_message({path}));
		auto window = fUser.WaitForWindow(name);
		EXPECT_TRUE(fUser.IsOn(fUser.FindControl(window.id, "read", "Owner")));
		fUser.Close(window.id);
		call.WaitReturned(fUser);
	}
}


TEST_F(EditorTest, CallReturnsHalfToOneAndAHalfSecondsAfterTheLastClose)
{
	std::string path = fFolder.MakeFile("file", 0644);
	AddOnCall call(process_refs, refs_message({path}));
	auto window = fUser.WaitForWindow("file");
	snooze(0);
	bigtime_t closed = system_time();
	fUser.Close(window.id);
	fUser.WaitForGone(window.id);
	call.WaitReturned(fUser);
	bigtime_t waited = call.ReturnedAt() - closed;
	EXPECT_GE(waited, 500000);
	EXPECT_LE(waited, 1500000);
}


TEST_F(EditorTest, NothingSelectedSaysSoAndReturnsAtOnce)
{
	BMessage withoutRefs(B_REFS_RECEIVED);
	BMessage emptyRefs(B_REFS_RECEIVED);
	emptyRefs.AddRef("refs", NULL);
	emptyRefs.RemoveName("refs");
	for (const BMessage* message : {&withoutRefs, &emptyRefs}) {
		AddOnCall call(process_refs, *message);
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.title, "Bitgate Error");
		EXPECT_EQ(alert.text, "Select files/folders first!");
		EXPECT_EQ(alert.buttons, std::vector<std::string>{"Dang"});
		EXPECT_FALSE(call.Returned());
		bigtime_t pressed = system_time();
		fUser.Press(alert);
		call.WaitReturned(fUser);
		EXPECT_LT(call.ReturnedAt() - pressed, 400000);
		EXPECT_TRUE(fUser.Alerts().empty());
	}
}


TEST_F(EditorTest, EntriesThatCantBeOpenedAreReportedInOrder)
{
	std::string good = fFolder.MakeFile("good", 0640);
	BMessage message
		= refs_message({fFolder.Path() + "/missing-1", good, fFolder.Path() + "/missing-2"});
	AddOnCall call(process_refs, message);

	auto first = fUser.WaitForAlert();
	EXPECT_EQ(first.text, "Woah, I've opened too many nodes...");
	EXPECT_TRUE(fUser.Windows().empty());
	fUser.Press(first);
	// The good entry's window opens, then the last entry fails while it is open.
	auto window = fUser.WaitForWindow("good");
	auto second = fUser.WaitForAlert();
	EXPECT_EQ(second.text, "Woah, I've opened too many nodes...");
	fUser.Press(second);
	EXPECT_FALSE(call.Returned());
	fUser.Close(window.id);
	call.WaitReturned(fUser);
}


TEST_F(EditorTest, NoNodeOpensThenOneFinalPause)
{
	BMessage message = refs_message({fFolder.Path() + "/a", fFolder.Path() + "/b"});
	AddOnCall call(process_refs, message);
	for (int i = 0; i < 2; i++) {
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.text, "Woah, I've opened too many nodes...");
		bigtime_t pressed = system_time();
		fUser.Press(alert);
		if (i == 1) {
			call.WaitReturned(fUser);
			EXPECT_GE(call.ReturnedAt() - pressed, 500000);
			EXPECT_LT(call.ReturnedAt() - pressed, 1000000);
		}
	}
	EXPECT_TRUE(fUser.Windows().empty());
}


TEST_F(EditorTest, RefsThatAreNotRefsAreReportedEach)
{
	BMessage message(B_REFS_RECEIVED);
	message.AddString("refs", "/etc/passwd");
	message.AddString("refs", "/etc/hostname");
	AddOnCall call(process_refs, message);
	for (int i = 0; i < 2; i++) {
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.text, "Can't read refs from message!");
		fUser.Press(alert);
	}
	call.WaitReturned(fUser);
	EXPECT_TRUE(fUser.Windows().empty());
}


TEST_F(EditorTest, SetWritesTheEditedBitsAndKeepsTheSpecialOnes)
{
	struct {
		mode_t before;
		const char* toggles[2][2];
		mode_t after;
	} cases[] = {
		{0754, {{"Other", "write"}, {NULL, NULL}}, 0756},
		{04754, {{"Other", "write"}, {"Owner", "execute"}}, 04656},
		{02750, {{"Group", "write"}, {NULL, NULL}}, 02770},
		{01777, {{"Other", "write"}, {NULL, NULL}}, 01775},
	};
	for (const auto& each : cases) {
		std::string path = fFolder.MakeFile("file", each.before);
		edit_file(fUser, path, [&](const ScriptedUser::window_info& window) {
			for (const auto& toggle : each.toggles) {
				if (toggle[0] == NULL)
					continue;
				fUser.Toggle(fUser.FindControl(window.id, toggle[1], toggle[0]));
			}
			fUser.Click(fUser.FindControl(window.id, "Set"));
			fUser.WaitForGone(window.id);
		});
		EXPECT_TRUE(fUser.Alerts().empty());
		EXPECT_EQ(mode_of(path), each.after) << std::oct << each.before;
	}
}


TEST_F(EditorTest, NoChangeWritesNothing)
{
	std::string path = fFolder.MakeFile("file", 0640);
	timespec before = change_time_of(path);
	// Unchanged, and toggled on and off again: neither writes, neither alerts.
	for (int toggles : {0, 2}) {
		edit_file(fUser, path, [&](const ScriptedUser::window_info& window) {
			auto box = fUser.FindControl(window.id, "execute", "Group");
			for (int i = 0; i < toggles; i++)
				fUser.Toggle(box);
			fUser.Click(fUser.FindControl(window.id, "Set"));
			fUser.WaitForGone(window.id);
			EXPECT_TRUE(fUser.Alerts().empty());
		});
		EXPECT_TRUE(same_time(change_time_of(path), before));
		EXPECT_EQ(mode_of(path), 0640);
	}
}


TEST_F(EditorTest, CancelWritesNothingAndWarnsAboutChanges)
{
	std::string path = fFolder.MakeFile("file", 0600);
	timespec before = change_time_of(path);
	edit_file(fUser, path, [&](const ScriptedUser::window_info& window) {
		fUser.Click(fUser.FindControl(window.id, "Cancel"));
		fUser.WaitForGone(window.id);
		EXPECT_TRUE(fUser.Alerts().empty());
	});
	edit_file(fUser, path, [&](const ScriptedUser::window_info& window) {
		fUser.Click(fUser.FindControl(window.id, "read", "Other"));
		fUser.Click(fUser.FindControl(window.id, "Cancel"));
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.text, "Should ask if you want to set the permissions anyway...");
		fUser.Press(alert);
		fUser.WaitForGone(window.id);
	});
	EXPECT_TRUE(same_time(change_time_of(path), before));
	EXPECT_EQ(mode_of(path), 0600);
}


TEST_F(EditorTest, FailedWritesSayWhy)
{
	// Deleted while its window is open: writing the orphan would report success for nothing.
	std::string deleted = fFolder.MakeFile("deleted", 0644);
	edit_file(fUser, deleted, [&](const ScriptedUser::window_info& window) {
		unlink(deleted.c_str());
		fUser.Click(fUser.FindControl(window.id, "write", "Group"));
		fUser.Click(fUser.FindControl(window.id, "Set"));
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.text, "That node doesn't exist anymore.");
		fUser.Press(alert);
		fUser.WaitForGone(window.id);
	});

	// A symbolic link's own mode can't be set on Linux; its target must not change instead.
	std::string target = fFolder.MakeFile("target", 0600);
	std::string link = fFolder.Path() + "/link";
	ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
	edit_file(fUser, link, [&](const ScriptedUser::window_info& window) {
		fUser.Click(fUser.FindControl(window.id, "write", "Other"));
		fUser.Click(fUser.FindControl(window.id, "Set"));
		auto alert = fUser.WaitForAlert();
		EXPECT_EQ(alert.text, "Unknown error!");
		fUser.Press(alert);
		fUser.WaitForGone(window.id);
	});
	EXPECT_EQ(mode_of(target), 0600);
}


TEST_F(EditorTest, ManyWindowsLeaveNoDescriptorOpen)
{
	std::vector<std::string> paths;
	for (int i = 0; i < 200; i++)
		paths.push_back(fFolder.MakeFile("file-" + std::to_string(i), 0644));
	int before = count_open_descriptors();
	{
		AddOnCall call(process_refs, refs_message(paths));
		fUser.WaitForWindowCount(200);
		close_everything(fUser);
		call.WaitReturned(fUser);
	}
	EXPECT_EQ(count_open_descriptors(), before);
}
