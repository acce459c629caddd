/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Windows whose item could not be read. Linux gives no way to make a readable node whose name
// or bits can't be read, so this program takes stat and fstat over: they fail for items whose
// path holds a marker.
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include <gtest/gtest.h>

#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

const char* const kUnstatableFolder = "folder-that-vanishes";
const char* const kUnstatableFile = "bits-that-cant-be-read";
// The folder stops answering stat only once its ref was made.
std::atomic<bool> sFolderVanished(false);


bool
descriptor_has(int fd, const char* marker)
{
	char link[64];
	char path[4096];
	snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
	ssize_t length = readlink(link, path, sizeof(path) - 1);
	if (length < 0)
		return false;
	path[length] = '\0';
	return strstr(path, marker) != NULL;
}

} // namespace


extern "C" int
stat(const char* path, struct stat* st)
{
	static auto real
		= reinterpret_cast<int (*)(const char*, struct stat*)>(dlsym(RTLD_NEXT, "stat"));
	if (sFolderVanished && strstr(path, kUnstatableFolder) != NULL) {
		errno = ENOENT;
		return -1;
	}
	return real(path, st);
}


extern "C" int
fstat(int fd, struct stat* st)
{
	static auto real = reinterpret_cast<int (*)(int, struct stat*)>(dlsym(RTLD_NEXT, "fstat"));
	if (descriptor_has(fd, kUnstatableFile)) {
		errno = EIO;
		return -1;
	}
	return real(fd, st);
}


namespace {

// Expects a window whose nine boxes are off and disabled, whose "Set" writes nothing.
void
expect_read_only_window(const ScriptedUser& user, const ScriptedUser::window_info& window)
{
	for (const char* frame : {"Owner", "Group", "Other"}) {
		for (const char* bit : {"read", "write", "execute"}) {
			auto box = user.FindControl(window.id, bit, frame);
			EXPECT_FALSE(user.IsOn(box)) << frame << " " << bit;
			EXPECT_FALSE(user.IsEnabled(box)) << frame << " " << bit;
			user.Click(box);
		}
	}
	user.Click(user.FindControl(window.id, "Set"));
	user.WaitForGone(window.id);
	EXPECT_TRUE(user.Alerts().empty());
}

} // namespace


TEST(ConstructionTest, BitsThatCantBeReadGiveAWindowThatWritesNothing)
{
	ScriptedUser user;
	TempFolder folder;
	std::string path = folder.MakeFile(kUnstatableFile, 0644);
	timespec before = change_time_of(path);

	AddOnCall call(process_refs, refs_message({path}));
	auto alert = user.WaitForAlert();
	EXPECT_EQ(alert.text, "Can't get permissions from node.");
	EXPECT_TRUE(user.Windows().empty());
	user.Press(alert);
	expect_read_only_window(user, user.WaitForWindow(kUnstatableFile));
	call.WaitReturned(user);
	timespec after = change_time_of(path);
	EXPECT_TRUE(after.tv_sec == before.tv_sec && after.tv_nsec == before.tv_nsec);
	EXPECT_EQ(mode_of(path), 0644);
}


TEST(ConstructionTest, AnEntryThatCantBeMadeKeepsTheDefaultTitle)
{
	ScriptedUser user;
	TempFolder folder;
	std::string inner = folder.Path() + "/" + kUnstatableFolder;
	ASSERT_EQ(mkdir(inner.c_str(), 0755), 0);
	std::string path = inner + "/file";
	FILE* file = fopen(path.c_str(), "w");
	ASSERT_NE(file, nullptr);
	fclose(file);
	chmod(path.c_str(), 0600);

	// The ref is made while the folder can still be looked at.
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(path.c_str(), &ref), B_OK);
	BMessage message(B_REFS_RECEIVED);
	message.AddRef("refs", &ref);
	sFolderVanished = true;

	AddOnCall call(process_refs, message);
	auto alert = user.WaitForAlert();
	EXPECT_EQ(alert.text, "Can't create entry from node.");
	user.Press(alert);
	expect_read_only_window(user, user.WaitForWindow("Bitgate"));
	call.WaitReturned(user);
	sFolderVanished = false;
	EXPECT_EQ(mode_of(path), 0600);
}
