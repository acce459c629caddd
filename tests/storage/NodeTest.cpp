/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <dirent.h>
#include <errno.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdio.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <Node.h>

#include "TempFolder.h"


extern char** environ;


namespace {


mode_t
mode_of(const std::string& path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		return static_cast<mode_t>(-1);
	return st.st_mode & 07777;
}


int
count_open_descriptors()
{
	DIR* folder = opendir("/proc/self/fd");
	if (folder == NULL)
		return -1;
	int count = 0;
	while (readdir(folder) != NULL)
		count++;
	closedir(folder);
	return count;
}


class NodeTest : public ::testing::Test {
protected:
	void SetUp() override { ASSERT_TRUE(fFolder.IsValid()); }

	TempFolder fFolder;
};


} // namespace


TEST_F(NodeTest, OpensEachKindOfNodeItself)
{
	ASSERT_TRUE(fFolder.MakeFile("file"));
	ASSERT_EQ(mkdir((fFolder / "dir").c_str(), 0755), 0);
	ASSERT_EQ(symlink("file", (fFolder / "link").c_str()), 0);
	ASSERT_EQ(symlink("nowhere", (fFolder / "dangling").c_str()), 0);

	BNode file((fFolder / "file").c_str());
	ASSERT_EQ(file.InitCheck(), B_OK);
	EXPECT_TRUE(file.IsFile());
	EXPECT_FALSE(file.IsDirectory());

	BNode folder((fFolder / "dir/").c_str());
	ASSERT_EQ(folder.InitCheck(), B_OK);
	EXPECT_TRUE(folder.IsDirectory());

	for (const char* name : {"link", "dangling"}) {
		SCOPED_TRACE(name);
		BNode link((fFolder / name).c_str());
		ASSERT_EQ(link.InitCheck(), B_OK);
		EXPECT_TRUE(link.IsSymLink());
		EXPECT_FALSE(link.IsFile());
		struct stat expected;
		struct stat st;
		ASSERT_EQ(lstat((fFolder / name).c_str(), &expected), 0);
		ASSERT_EQ(link.GetStat(&st), B_OK);
		EXPECT_EQ(st.st_ino, expected.st_ino);
	}

	int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	ASSERT_GE(listener, 0);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	std::string socketPath = fFolder / "socket";
	ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
	memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
	ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
	close(listener);
	BNode socketNode(socketPath.c_str());
	ASSERT_EQ(socketNode.InitCheck(), B_OK);
	struct stat st;
	ASSERT_EQ(socketNode.GetStat(&st), B_OK);
	EXPECT_TRUE(S_ISSOCK(st.st_mode));

	BNode root("/");
	ASSERT_EQ(root.InitCheck(), B_OK);
	struct stat rootStat;
	ASSERT_EQ(stat("/", &rootStat), 0);
	ASSERT_EQ(root.GetStat(&st), B_OK);
	EXPECT_EQ(st.st_ino, rootStat.st_ino);
}


TEST_F(NodeTest, FifoOpensWithoutWaitingForAWriter)
{
	std::string fifo = fFolder / "fifo";
	ASSERT_EQ(mkfifo(fifo.c_str(), 0640), 0);

	// In a child, so an open that waits for a writer ends in the alarm instead of hanging here.
	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		alarm(10);
		BNode node(fifo.c_str());
		if (node.InitCheck() != B_OK)
			_exit(1);
		struct stat st;
		if (node.GetStat(&st) != B_OK || !S_ISFIFO(st.st_mode))
			_exit(2);
		if (node.SetPermissions(0600) != B_OK)
			_exit(3);
		_exit(0);
	}
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_FALSE(WIFSIGNALED(status)) << "the open blocked";
	EXPECT_EQ(WEXITSTATUS(status), 0);
	EXPECT_EQ(mode_of(fifo), 0600u);
}


TEST_F(NodeTest, PermissionsReadBackIncludingSpecialBits)
{
	ASSERT_TRUE(fFolder.MakeFile("file", 0754));
	BNode node((fFolder / "file").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	mode_t perms = 0;
	ASSERT_EQ(node.GetPermissions(&perms), B_OK);
	EXPECT_EQ(perms, 0754u);
	uid_t owner;
	gid_t group;
	ASSERT_EQ(node.GetOwner(&owner), B_OK);
	ASSERT_EQ(node.GetGroup(&group), B_OK);
	EXPECT_EQ(owner, geteuid());
	EXPECT_EQ(group, getegid());

	for (mode_t mode : {04755, 02755, 06711, 0600, 0}) {
		SCOPED_TRACE(mode);
		ASSERT_EQ(node.SetPermissions(mode), B_OK);
		EXPECT_EQ(mode_of(fFolder / "file"), mode);
		ASSERT_EQ(node.GetPermissions(&perms), B_OK);
		EXPECT_EQ(perms, mode);
	}
	// Only the permission word is taken; type bits in the argument are ignored.
	ASSERT_EQ(node.SetPermissions(S_IFDIR | 0640), B_OK);
	EXPECT_EQ(mode_of(fFolder / "file"), 0640u);
	EXPECT_TRUE(node.IsFile());

	ASSERT_EQ(mkdir((fFolder / "shared").c_str(), 0755), 0);
	BNode folder((fFolder / "shared").c_str());
	ASSERT_EQ(folder.SetPermissions(01777), B_OK);
	EXPECT_EQ(mode_of(fFolder / "shared"), 01777u);
	ASSERT_EQ(folder.GetPermissions(&perms), B_OK);
	EXPECT_EQ(perms, 01777u);
}


TEST_F(NodeTest, SymbolicLinkPermissionsAreRefusedAndTargetLeftAlone)
{
	ASSERT_TRUE(fFolder.MakeFile("target", 0640));
	ASSERT_EQ(symlink("target", (fFolder / "link").c_str()), 0);
	BNode link((fFolder / "link").c_str());
	ASSERT_EQ(link.InitCheck(), B_OK);

	errno = 0;
	EXPECT_EQ(link.SetPermissions(0777), B_UNSUPPORTED);
	EXPECT_EQ(errno, EOPNOTSUPP);
	EXPECT_EQ(mode_of(fFolder / "target"), 0640u);
}


TEST_F(NodeTest, DeletedNodeIsNotWritten)
{
	ASSERT_TRUE(fFolder.MakeFile("file", 0644));
	BNode node((fFolder / "file").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	ASSERT_EQ(unlink((fFolder / "file").c_str()), 0);

	errno = 0;
	EXPECT_EQ(node.SetPermissions(0600), B_BAD_VALUE);
	EXPECT_EQ(errno, ENOENT);
}


TEST_F(NodeTest, WritesReachTheOpenedNodeAfterItsEntryWasSwapped)
{
	ASSERT_TRUE(fFolder.MakeFile("file", 0644));
	ASSERT_EQ(link((fFolder / "file").c_str(), (fFolder / "original").c_str()), 0);
	BNode node((fFolder / "file").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);

	ASSERT_TRUE(fFolder.MakeFile("newcomer", 0644));
	ASSERT_EQ(rename((fFolder / "newcomer").c_str(), (fFolder / "file").c_str()), 0);
	ASSERT_EQ(node.SetPermissions(0600), B_OK);
	EXPECT_EQ(mode_of(fFolder / "original"), 0600u);
	EXPECT_EQ(mode_of(fFolder / "file"), 0644u);
}


TEST_F(NodeTest, RefusesARefWhoseFolderWasReplaced)
{
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);
	ASSERT_TRUE(fFolder.MakeFile("d/x"));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((fFolder / "d/x").c_str(), &ref), B_OK);
	ASSERT_EQ(rename((fFolder / "d").c_str(), (fFolder / "d.old").c_str()), 0);
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);
	ASSERT_TRUE(fFolder.MakeFile("d/x"));

	BNode node(&ref);
	EXPECT_EQ(node.InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(node.IsFile());
}


TEST_F(NodeTest, ReportsWhyItCouldNotOpen)
{
	EXPECT_EQ(BNode(static_cast<const entry_ref*>(NULL)).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BNode(static_cast<const char*>(NULL)).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BNode("").InitCheck(), B_BAD_VALUE);
	entry_ref unnamed;
	EXPECT_EQ(BNode(&unnamed).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BNode((fFolder / "missing").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(BNode((fFolder / "missing/x").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);

	BNode node;
	struct stat st;
	mode_t perms;
	EXPECT_EQ(node.InitCheck(), B_NO_INIT);
	EXPECT_EQ(node.GetStat(&st), B_NO_INIT);
	EXPECT_EQ(node.GetPermissions(&perms), B_NO_INIT);
	EXPECT_EQ(node.SetPermissions(0644), B_FILE_ERROR);

	ASSERT_TRUE(fFolder.MakeFile("file"));
	ASSERT_EQ(node.SetTo((fFolder / "file").c_str()), B_OK);
	node.Unset();
	EXPECT_EQ(node.SetPermissions(0600), B_FILE_ERROR);
	EXPECT_EQ(mode_of(fFolder / "file"), 0644u);
}


TEST_F(NodeTest, ClosesEveryDescriptorItOpens)
{
	ASSERT_TRUE(fFolder.MakeFile("file"));
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);
	entry_ref stale;
	ASSERT_EQ(get_ref_for_path((fFolder / "d/x").c_str(), &stale), B_OK);
	ASSERT_EQ(rename((fFolder / "d").c_str(), (fFolder / "d.old").c_str()), 0);
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);

	int before = count_open_descriptors();
	ASSERT_GT(before, 0);
	for (int i = 0; i < 200; i++) {
		BNode node((fFolder / "file").c_str());
		ASSERT_EQ(node.InitCheck(), B_OK);
		ASSERT_EQ(node.SetTo((fFolder / "missing").c_str()), B_ENTRY_NOT_FOUND);
		ASSERT_EQ(node.SetTo(&stale), B_ENTRY_NOT_FOUND);
		ASSERT_EQ(node.SetTo(fFolder.Path().c_str()), B_OK);
	}
	EXPECT_EQ(count_open_descriptors(), before);
}


TEST_F(NodeTest, UnprivilegedUserIsRefusedAWrite)
{
	if (geteuid() != 0)
		GTEST_SKIP() << "needs root to prepare a file another user may not change";

	pid_t probe;
	const char* probeArguments[] = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
		"test", "-x", STORAGE_PERMISSION_WRITER, NULL};
	int probeStatus = 0;
	ASSERT_EQ(posix_spawnp(&probe, "setpriv", NULL, NULL, const_cast<char* const*>(probeArguments),
				  environ),
		0);
	ASSERT_EQ(waitpid(probe, &probeStatus, 0), probe);
	if (!WIFEXITED(probeStatus) || WEXITSTATUS(probeStatus) != 0)
		GTEST_SKIP() << "the unprivileged user can't reach " << STORAGE_PERMISSION_WRITER
					 << ": a folder above the build is closed to other users";

	// The other user must be able to reach the file, not change it.
	ASSERT_EQ(chmod(fFolder.Path().c_str(), 0755), 0);
	ASSERT_TRUE(fFolder.MakeFile("owned", 0644));
	std::string path = fFolder / "owned";

	int output[2];
	ASSERT_EQ(pipe2(output, O_CLOEXEC), 0);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
	const char* arguments[] = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
		STORAGE_PERMISSION_WRITER, path.c_str(), "0666", NULL};
	pid_t child;
	int spawnError = posix_spawnp(&child, "setpriv", &actions, NULL,
		const_cast<char* const*>(arguments), environ);
	posix_spawn_file_actions_destroy(&actions);
	close(output[1]);
	ASSERT_EQ(spawnError, 0) << strerror(spawnError);

	std::string reply;
	char buffer[256];
	ssize_t bytesRead;
	while ((bytesRead = read(output[0], buffer, sizeof(buffer))) > 0)
		reply.append(buffer, bytesRead);
	close(output[0]);
	int status = 0;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	ASSERT_TRUE(WIFEXITED(status));
	ASSERT_EQ(WEXITSTATUS(status), 0) << reply;

	int result = 0;
	int error = 0;
	ASSERT_EQ(sscanf(reply.c_str(), "%d %d", &result, &error), 2) << reply;
	EXPECT_EQ(result, B_PERMISSION_DENIED);
	EXPECT_EQ(error, EPERM);
	EXPECT_EQ(mode_of(path), 0644u);
}


// The access list is read and written through the descriptor, like the mode: the file now at the
// entry keeps its own list, and named users keep what they may do.
TEST_F(NodeTest, AccessListWritesReachTheOpenedNodeAndKeepNamedEntries)
{
	ASSERT_TRUE(fFolder.MakeFile("file", 0640));
	ASSERT_EQ(link((fFolder / "file").c_str(), (fFolder / "original").c_str()), 0);
	auto facl = [](const std::string& command) {
		std::string text;
		FILE* output = popen((command + " 2>&1").c_str(), "r");
		char buffer[256];
		while (output != NULL && fgets(buffer, sizeof(buffer), output) != NULL)
			text += buffer;
		if (output != NULL)
			pclose(output);
		return text;
	};
	std::string said = facl("setfacl -m u:4244:rw-,m::r-- " + (fFolder / "file"));
	if (!said.empty())
		GTEST_SKIP() << "no access lists here: " << said;
	BNode node((fFolder / "file").c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	mode_t perms;
	ASSERT_EQ(node.GetPermissions(&perms), B_OK);
	EXPECT_EQ(perms, 0640u);

	ASSERT_TRUE(fFolder.MakeFile("newcomer", 0600));
	ASSERT_EQ(facl("setfacl -m u:4244:rwx " + (fFolder / "newcomer")), "");
	std::string newcomer = facl("getfacl -cnp " + (fFolder / "newcomer"));
	ASSERT_EQ(rename((fFolder / "newcomer").c_str(), (fFolder / "file").c_str()), 0);

	ASSERT_EQ(node.SetPermissions(0664), B_OK);
	ASSERT_EQ(node.GetPermissions(&perms), B_OK);
	EXPECT_EQ(perms, 0664u);
	EXPECT_EQ(facl("getfacl -cnp " + (fFolder / "original")),
		"user::rw-\nuser:4244:r--\ngroup::rw-\nmask::rw-\nother::r--\n\n");
	EXPECT_EQ(facl("getfacl -cnp " + (fFolder / "file")), newcomer);
}
