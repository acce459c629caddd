/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// What "Set" really gives: files with POSIX access lists, checked with getfacl and with reads
// and writes made as other users (setpriv); a volume that takes a change of mode and keeps
// nothing (exFAT through FUSE); a volume unmounted under an open window. The mounts are made in
// a mount namespace of the test's own: this program runs itself again under unshare, the
// child's part selected by BITGATE_CHILD.
#include <fcntl.h>
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

// Nobody on the system: ids of the test's own.
const gid_t kOwningGroup = 4242;
const uid_t kGroupMember = 4243;
const uid_t kNamedUser = 4244;
const gid_t kNamedGroup = 4246;
const uid_t kNamedGroupMember = 4247;
const uid_t kOther = 4245;


// The access list as getfacl shows it, without the header, ids as numbers.
std::string
getfacl(const std::string& path, const char* options = "-cnp")
{
	return output_of(std::string("getfacl ") + options + " '" + path + "'");
}


// Empty when setfacl took the entries, else what it said.
std::string
setfacl(const std::string& path, const std::string& entries)
{
	return output_of("setfacl " + entries + " '" + path + "'");
}


// Whether uid, in group gid alone, may open path to read ('r') or to write ('w'), or run it
// ('x').
bool
may(uid_t uid, gid_t gid, const std::string& path, char how)
{
	pid_t child = fork();
	if (child == 0) {
		int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
		dup2(null, STDERR_FILENO);
		std::string user = "--reuid=" + std::to_string(uid);
		std::string group = "--regid=" + std::to_string(gid);
		execlp("setpriv", "setpriv", user.c_str(), group.c_str(), "--clear-groups", "sh", "-c",
			how == 'w'		 ? ": >> \"$1\""
				: how == 'x' ? "test -x \"$1\""
							 : ": < \"$1\"",
			"sh", path.c_str(), (char*)NULL);
		_exit(127);
	}
	int status;
	waitpid(child, &status, 0);
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}


struct access_check {
	const char* who;
	uid_t uid;
	gid_t gid;
};

const access_check kPeople[] = {
	{"group member", kGroupMember, kOwningGroup},
	{"named user", kNamedUser, kNamedUser},
	{"named group member", kNamedGroupMember, kNamedGroup},
	{"other", kOther, kOther},
};


// What each of kPeople may do, as "rw" letters, "-" for nothing.
std::string
access_of(const std::string& path)
{
	std::string text;
	for (const access_check& person : kPeople) {
		std::string letters = std::string(may(person.uid, person.gid, path, 'r') ? "r" : "")
			+ (may(person.uid, person.gid, path, 'w') ? "w" : "");
		text += std::string(person.who) + ": " + (letters.empty() ? "-" : letters) + "\n";
	}
	return text;
}


// Why access lists can't be tried here, or empty when they can.
std::string
access_lists_refused(const TempFolder& folder)
{
	if (getuid() != 0)
		return "needs root to give files to other users and to act as them";
	if (output_of("command -v getfacl && command -v setfacl && echo found").find("found")
		== std::string::npos) {
		return "needs getfacl and setfacl (acl)";
	}
	std::string probe = folder.MakeFile("probe", 0600);
	std::string said = setfacl(probe, "-m u:" + std::to_string(kNamedUser) + ":r--");
	unlink(probe.c_str());
	if (!said.empty())
		return "the volume under " + folder.Path() + " takes no access lists: " + said;
	return "";
}


// Why this system won't let us make a mount namespace, or empty when it will.
std::string
namespaces_refused(const std::vector<std::string>& launcher)
{
	std::string command;
	for (const std::string& word : launcher)
		command += word + " ";
	std::string said = output_of(command + "true; echo $?");
	if (said == "0\n")
		return "";
	return command + "true failed: " + said;
}


std::vector<std::string>
namespace_launcher()
{
	if (getuid() == 0)
		return {"unshare", "-m"};
	return {"unshare", "-Urm"};
}


// Opens a window on path, toggles the boxes given as frame and label, presses "Set" and
// returns the text of the alert that follows, or empty if none came.
std::string
toggle_and_set(const std::string& path,
	const std::vector<std::pair<const char*, const char*>>& boxes)
{
	ScriptedUser user;
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow(path.substr(path.rfind('/') + 1));
	for (const auto& box : boxes)
		user.Toggle(user.FindControl(window.id, box.second, box.first));
	user.Click(user.FindControl(window.id, "Set"));
	user.WaitFor("the window to close or an alert", [&] {
		bool gone = true;
		for (const auto& each : user.Windows())
			gone = gone && each.id != window.id;
		return gone || !user.Alerts().empty();
	});
	std::string text;
	if (!user.Alerts().empty()) {
		auto alert = user.WaitForAlert();
		text = alert.text;
		user.Press(alert);
	}
	user.WaitForGone(window.id);
	call.WaitReturned(user);
	return text;
}


// The nine boxes of a window on path as "rwx" letters per class, then closes it unchanged.
std::string
boxes_of(const std::string& path)
{
	ScriptedUser user;
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow(path.substr(path.rfind('/') + 1));
	std::string text;
	for (const char* frame : {"Owner", "Group", "Other"}) {
		for (const char* bit : {"read", "write", "execute"})
			text += user.IsOn(user.FindControl(window.id, bit, frame)) ? bit[0] : '-';
	}
	user.Close(window.id);
	call.WaitReturned(user);
	return text;
}


void
show(const char* what, const std::string& path, const std::string& text)
{
	printf("%s %s:\n%s", what, path.c_str(), text.c_str());
}


class AccessListTest : public testing::Test {
protected:
	void SetUp() override
	{
		std::string refused = access_lists_refused(fFolder);
		if (!refused.empty())
			GTEST_SKIP() << refused;
	}

	void TearDown() override { close_everything(ScriptedUser()); }

	// A file of the owning group with the entries given, as setfacl -m takes them.
	std::string MakeListed(const std::string& name, mode_t mode, const std::string& entries)
	{
		std::string path = fFolder.MakeFile(name, mode);
		EXPECT_EQ(chown(path.c_str(), 0, kOwningGroup), 0);
		EXPECT_EQ(setfacl(path, "-m " + entries), "");
		return path;
	}

	TempFolder fFolder;
};

} // namespace


TEST_F(AccessListTest, GroupBoxesShowAndSetWhatTheOwningGroupMayDo)
{
	std::string named = std::to_string(kNamedUser);
	std::string namedGroup = std::to_string(kNamedGroup);
	std::string path
		= MakeListed("shared", 0640, "u:" + named + ":rw-,g:" + namedGroup + ":r-x,m::r--");
	show("getfacl before", path, getfacl(path));
	EXPECT_EQ(access_of(path), "group member: r\nnamed user: r\nnamed group member: r\nother: -\n");
	// The mode's group bits are the mask; the box shows the owning group's own entry.
	EXPECT_EQ(boxes_of(path), "rw-r-----");

	EXPECT_EQ(toggle_and_set(path, {{"Group", "write"}}), "");

	std::string after = getfacl(path);
	show("getfacl after", path, after);
	EXPECT_EQ(after,
		"user::rw-\nuser:" + named + ":r--\ngroup::rw-\ngroup:" + namedGroup
			+ ":r-x\t#effective:r--\nmask::rw-\nother::---\n\n");
	EXPECT_EQ(access_of(path),
		"group member: rw\nnamed user: r\nnamed group member: r\nother: -\n");
	EXPECT_EQ(boxes_of(path), "rw-rw----");
}


TEST_F(AccessListTest, AFileClosedToTheGroupGainsOnlyWhatWasTicked)
{
	std::string named = std::to_string(kNamedUser);
	std::string path = MakeListed("closed", 0600, "u:" + named + ":rw-,m::---");
	show("getfacl before", path, getfacl(path));
	EXPECT_EQ(access_of(path), "group member: -\nnamed user: -\nnamed group member: -\nother: -\n");
	EXPECT_EQ(boxes_of(path), "rw-------");

	EXPECT_EQ(toggle_and_set(path, {{"Group", "read"}}), "");

	std::string after = getfacl(path);
	show("getfacl after", path, after);
	EXPECT_EQ(after,
		"user::rw-\nuser:" + named + ":-w-\t#effective:---\ngroup::r--\nmask::r--\nother::---\n\n");
	EXPECT_EQ(access_of(path), "group member: r\nnamed user: -\nnamed group member: -\nother: -\n");
}


TEST_F(AccessListTest, OwnerAndOthersAreSetAndAFoldersDefaultListKept)
{
	std::string named = std::to_string(kNamedUser);
	std::string folder = fFolder.Path() + "/folder";
	ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
	ASSERT_EQ(chown(folder.c_str(), 0, kOwningGroup), 0);
	ASSERT_EQ(chmod(folder.c_str(), 02750), 0);
	ASSERT_EQ(setfacl(folder, "-m u:" + named + ":r-x"), "");
	ASSERT_EQ(setfacl(folder, "-d -m u:" + named + ":rwx,g::r-x"), "");
	std::string defaults = getfacl(folder, "-cnpd");
	show("getfacl before", folder, getfacl(folder));

	EXPECT_EQ(toggle_and_set(folder, {{"Other", "read"}, {"Other", "execute"}, {"Owner", "write"}}),
		"");

	std::string after = getfacl(folder);
	show("getfacl after", folder, after);
	EXPECT_EQ(getfacl(folder, "-cnpd"), defaults);
	EXPECT_NE(after.find("user::r-x\nuser:" + named + ":r-x\ngroup::r-x\nmask::r-x\nother::r-x\n"),
		std::string::npos);
	EXPECT_EQ(mode_of(folder), 02555);
	EXPECT_TRUE(may(kOther, kOther, folder, 'r'));
	EXPECT_TRUE(may(kNamedUser, kNamedUser, folder, 'r'));
}


// The owner is no more privileged than any user: the list is written with the owner's rights.
TEST_F(AccessListTest, AnOwnerWithoutPrivilegesSetsTheGroup)
{
	if (!may(kNamedUser, kOwningGroup, test_program_path(), 'x'))
		GTEST_SKIP() << "another user can't run " << test_program_path()
					 << ": a folder above the build is closed to other users";
	// Here the other user is the named one.
	const uid_t named = kOther;
	std::string path = MakeListed("owners", 0640, "u:" + std::to_string(named) + ":rw-,m::r--");
	ASSERT_EQ(chown(path.c_str(), kNamedUser, kOwningGroup), 0);
	show("getfacl before", path, getfacl(path));
	std::string user = "--reuid=" + std::to_string(kNamedUser);
	std::string group = "--regid=" + std::to_string(kOwningGroup);
	EXPECT_EQ(run_child({"setpriv", user, group, "--clear-groups"}, "AccessListChild.SetGroupWrite",
				  kChildVariable, path),
		0);
	std::string after = getfacl(path);
	show("getfacl after", path, after);
	EXPECT_EQ(after,
		"user::rw-\nuser:" + std::to_string(named) + ":r--\ngroup::rw-\nmask::rw-\nother::---\n\n");
	EXPECT_TRUE(may(kGroupMember, kOwningGroup, path, 'w'));
	EXPECT_FALSE(may(named, named, path, 'w'));
	EXPECT_TRUE(may(named, named, path, 'r'));
}


TEST(AccessListChild, SetGroupWrite)
{
	const char* path = getenv(kChildVariable);
	if (path == NULL)
		GTEST_SKIP() << "run by AccessListTest";
	ASSERT_NE(getuid(), 0u);
	EXPECT_EQ(toggle_and_set(path, {{"Group", "write"}}), "");
}


TEST(UnreachableNodeTest, AMovedNodeIsStillWritten)
{
	TempFolder folder;
	std::string path = folder.MakeFile("before", 0640);
	std::string moved = folder.Path() + "/after";
	ScriptedUser user;
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow("before");
	ASSERT_EQ(rename(path.c_str(), moved.c_str()), 0);
	user.Toggle(user.FindControl(window.id, "read", "Other"));
	user.Click(user.FindControl(window.id, "Set"));
	user.WaitForGone(window.id);
	call.WaitReturned(user);
	EXPECT_TRUE(user.Alerts().empty());
	EXPECT_EQ(mode_of(moved), 0644);
}


TEST(UnreachableNodeTest, AVolumeUnmountedUnderTheWindowIsANodeThatIsGone)
{
	std::string refused = namespaces_refused(namespace_launcher());
	if (!refused.empty())
		GTEST_SKIP() << "needs a mount namespace of its own, which this system refuses: "
					 << refused;
	TempFolder folder;
	EXPECT_EQ(run_child(namespace_launcher(), "VolumeChild.UnmountedUnderTheWindow", kChildVariable,
				  folder.Path()),
		0);
}


TEST(UnkeptPermissionsTest, AVolumeThatKeepsNoModeSaysSo)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to mount through FUSE";
	if (access("/dev/fuse", R_OK | W_OK) != 0)
		GTEST_SKIP() << "no /dev/fuse here: FUSE file systems can't be mounted";
	if (output_of("command -v mkfs.exfat && command -v mount.exfat-fuse && echo found")
			.find("found")
		== std::string::npos) {
		GTEST_SKIP() << "needs mkfs.exfat (exfatprogs) and mount.exfat-fuse (exfat-fuse)";
	}
	std::string refused = namespaces_refused(namespace_launcher());
	if (!refused.empty())
		GTEST_SKIP() << "needs a mount namespace of its own, which this system refuses: "
					 << refused;
	TempFolder folder;
	EXPECT_EQ(
		run_child(namespace_launcher(), "VolumeChild.KeepsNoMode", kChildVariable, folder.Path()),
		0);
	std::string skipped = output_of("cat '" + folder.Path() + "/skipped'");
	if (skipped.find("No such file") == std::string::npos)
		GTEST_SKIP() << skipped;
}


TEST(VolumeChild, UnmountedUnderTheWindow)
{
	const char* folder = getenv(kChildVariable);
	if (folder == NULL)
		GTEST_SKIP() << "run by UnreachableNodeTest";
	ASSERT_EQ(mount("scratch", folder, "tmpfs", 0, "size=1m"), 0);
	std::string path = std::string(folder) + "/file";
	ASSERT_EQ(close(open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644)), 0);
	ASSERT_EQ(chmod(path.c_str(), 0644), 0);
	int kept = open(path.c_str(), O_PATH | O_CLOEXEC);
	ASSERT_GE(kept, 0);

	ScriptedUser user;
	AddOnCall call(process_refs, refs_message({path}));
	auto window = user.WaitForWindow("file");
	ASSERT_EQ(umount2(folder, MNT_DETACH), 0);
	user.Toggle(user.FindControl(window.id, "write", "Other"));
	user.Click(user.FindControl(window.id, "Set"));
	auto alert = user.WaitForAlert();
	EXPECT_EQ(alert.text, "That node doesn't exist anymore.");
	user.Press(alert);
	user.WaitForGone(window.id);
	call.WaitReturned(user);

	struct stat st;
	ASSERT_EQ(fstat(kept, &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0644u);
	close(kept);
}


TEST(VolumeChild, KeepsNoMode)
{
	const char* folder = getenv(kChildVariable);
	if (folder == NULL)
		GTEST_SKIP() << "run by UnkeptPermissionsTest";
	std::string image = std::string(folder) + "/volume.img";
	std::string mountPoint = std::string(folder) + "/volume";
	ASSERT_EQ(mkdir(mountPoint.c_str(), 0755), 0);
	ASSERT_EQ(close(open(image.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600)), 0);
	ASSERT_EQ(truncate(image.c_str(), 8 << 20), 0);
	ASSERT_EQ(output_of("mkfs.exfat '" + image + "' >/dev/null"), "");
	// Run as root, the FUSE driver wants a block device.
	std::string device = output_of("losetup --find --show '" + image + "'");
	if (device.compare(0, 5, "/dev/") != 0) {
		std::string reason = "no loop device for the exFAT image: " + device;
		FILE* file = fopen((std::string(folder) + "/skipped").c_str(), "we");
		fputs(reason.c_str(), file);
		fclose(file);
		GTEST_SKIP() << reason;
	}
	device.pop_back();
	// Unmounting ends the file system's daemon, which would keep the namespace alive; the loop
	// device is the system's, not the namespace's.
	struct Volume {
		~Volume()
		{
			umount2(mountPoint.c_str(), 0);
			output_of("losetup -d '" + device + "'");
		}
		std::string device;
		std::string mountPoint;
	} volume{device, mountPoint};
	std::string said = output_of("mount.exfat-fuse '" + device + "' '" + mountPoint + "'");
	struct stat inside;
	struct stat outside;
	ASSERT_EQ(stat(mountPoint.c_str(), &inside), 0);
	ASSERT_EQ(stat(folder, &outside), 0);
	ASSERT_NE(inside.st_dev, outside.st_dev) << said;

	std::string path = mountPoint + "/file";
	ASSERT_EQ(close(open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644)), 0);
	mode_t before = mode_of(path);
	std::string text;
	std::string printed;
	{
		OutputCapture output;
		text = toggle_and_set(path, {{"Other", "write"}});
		printed = output.Text();
	}
	printf("on exFAT, alert \"%s\", output:\n%s", text.c_str(), printed.c_str());
	char expected[80];
	snprintf(expected, sizeof(expected),
		"Bitgate: set permissions to %04o, but the volume kept %04o\n",
		static_cast<unsigned>(before ^ 0002), static_cast<unsigned>(before));
	EXPECT_NE(printed.find(expected), std::string::npos);
	EXPECT_EQ(text, "This volume did not keep the new permissions.");
	EXPECT_EQ(mode_of(path), before);
}
