/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Writes the system refuses. Root may change any file's mode, so the refused write runs as
// another user (setpriv), and the read-only volume is a tmpfs in a namespace of its own
// (unshare): this program runs itself again in each, with the child's part selected by
// BITGATE_CHILD.
#include <stdio.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

const char* const kChildVariable = "BITGATE_CHILD";


// Whether the unprivileged user may run this program: not when a folder above the build is closed
// to others, as root's home is.
bool
other_user_can_run_this()
{
	pid_t child = fork();
	if (child == 0) {
		std::string path = test_program_path();
		execlp("setpriv", "setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "test",
			"-x", path.c_str(), (char*)NULL);
		_exit(127);
	}
	int status;
	waitpid(child, &status, 0);
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}


// Why this system won't let unshare -Urm make a user and mount namespace, or empty when it will:
// containers and chroots may forbid them.
std::string
namespaces_refused()
{
	FILE* output = popen("unshare -Urm true 2>&1", "r");
	if (output == NULL)
		return "can't run unshare";
	std::string text;
	char buffer[256];
	while (fgets(buffer, sizeof(buffer), output) != NULL)
		text += buffer;
	int status = pclose(output);
	if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
		return "";
	while (!text.empty() && text.back() == '\n')
		text.pop_back();
	return text.empty() ? "unshare -Urm true failed" : text;
}


// Turns on Other write, presses "Set" and returns the text of the alert that follows.
std::string
set_and_read_alert(const std::string& path)
{
	ScriptedUser user;
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow(path.substr(path.rfind('/') + 1));
	user.Click(user.FindControl(window.id, "write", "Other"));
	user.Click(user.FindControl(window.id, "Set"));
	auto alert = user.WaitForAlert();
	user.Press(alert);
	user.WaitForGone(window.id);
	call.WaitReturned(user);
	return alert.text;
}

} // namespace


TEST(RefusedWriteTest, AnotherOwnersFileIsRefused)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to make a file of another owner";
	if (!other_user_can_run_this())
		GTEST_SKIP() << "the unprivileged user can't reach " << test_program_path()
					 << ": a folder above the build is closed to other users";
	TempFolder folder;
	std::string path = folder.MakeFile("roots-file", 0644);
	int status = run_child({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"},
		"RefusedWriteChild.NotTheOwner", kChildVariable, path);
	EXPECT_EQ(status, 0);
	EXPECT_EQ(mode_of(path), 0644);

	// With an access list the write is the list's, refused the same way.
	std::string listed = folder.MakeFile("roots-listed-file", 0644);
	std::string getfacl = "getfacl -cnp '" + listed + "'";
	if (system(("setfacl -m u:4244:r-- '" + listed + "' 2>/dev/null").c_str()) != 0)
		GTEST_SKIP() << "no access lists on the volume under " << folder.Path();
	std::string before = output_of(getfacl);
	status = run_child({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"},
		"RefusedWriteChild.NotTheOwner", kChildVariable, listed);
	EXPECT_EQ(status, 0);
	EXPECT_EQ(output_of(getfacl), before);
}


TEST(RefusedWriteTest, AReadOnlyVolumeIsRefused)
{
	std::string refused = namespaces_refused();
	if (!refused.empty())
		GTEST_SKIP() << "needs a user and mount namespace of its own, which this system refuses: "
					 << refused;
	TempFolder folder;
	int status = run_child({"unshare", "-Urm"}, "RefusedWriteChild.ReadOnlyVolume", kChildVariable,
		folder.Path());
	EXPECT_EQ(status, 0);
}


TEST(RefusedWriteChild, NotTheOwner)
{
	const char* path = getenv(kChildVariable);
	if (path == NULL)
		GTEST_SKIP() << "run by RefusedWriteTest";
	ASSERT_NE(getuid(), 0u);
	EXPECT_EQ(set_and_read_alert(path), "Unknown error!");
	EXPECT_EQ(mode_of(path), 0644);
}


TEST(RefusedWriteChild, ReadOnlyVolume)
{
	const char* folder = getenv(kChildVariable);
	if (folder == NULL)
		GTEST_SKIP() << "run by RefusedWriteTest";
	ASSERT_EQ(mount("none", folder, "tmpfs", 0, NULL), 0);
	std::string path = std::string(folder) + "/file";
	FILE* file = fopen(path.c_str(), "w");
	ASSERT_NE(file, nullptr);
	fclose(file);
	chmod(path.c_str(), 0644);
	ASSERT_EQ(mount(NULL, folder, NULL, MS_REMOUNT | MS_RDONLY, NULL), 0);

	EXPECT_EQ(set_and_read_alert(path), "Can't set permissions on a read-only Bvolume.");
	EXPECT_EQ(mode_of(path), 0644);
	umount(folder);
}
