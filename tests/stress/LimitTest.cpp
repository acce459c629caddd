/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The editor at the process's limits: no thread or no descriptor to be had for the next window.
// The windows already open go on working, the person is told once, and the items left are left
// out. The thread limit counts every thread of a user and root is exempt from it, so that case
// runs in a child of this program as a user id of its own (setpriv), selected by BITGATE_LIMIT.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <PermsWindow.h>
#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

const char* const kChildVariable = "BITGATE_LIMIT";
const int kItems = 20;
const int kWindows = 5;


std::string
own_path()
{
	char path[4096];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	path[length > 0 ? length : 0] = '\0';
	return path;
}


int
thread_count()
{
	int count = 0;
	if (FILE* file = fopen("/proc/self/status", "r")) {
		char line[256];
		while (fgets(line, sizeof(line), file) != NULL) {
			if (sscanf(line, "Threads: %d", &count) == 1)
				break;
		}
		fclose(file);
	}
	return count;
}


std::string
limit_text(int leftOut)
{
	return "Can't open more windows: a system limit is reached. The remaining "
		+ std::to_string(leftOut) + " items were left out.";
}


std::vector<std::string>
item_paths(const std::string& folder)
{
	std::vector<std::string> paths;
	for (int i = 0; i < kItems; i++) {
		char name[32];
		snprintf(name, sizeof(name), "/item-%02d", i);
		paths.push_back(folder + name);
	}
	return paths;
}


void
set_soft_limit(int resource, rlim_t value)
{
	struct rlimit limit;
	ASSERT_EQ(getrlimit(resource, &limit), 0);
	limit.rlim_cur = value;
	ASSERT_EQ(setrlimit(resource, &limit), 0);
}


// Works the windows that did open: the first gets Other execute and "Set", the rest are closed.
void
use_open_windows(const ScriptedUser& user, const std::vector<ScriptedUser::window_info>& windows)
{
	user.Toggle(user.FindControl(windows[0].id, "execute", "Other"));
	user.Click(user.FindControl(windows[0].id, "Set"));
	user.WaitForGone(windows[0].id);
	for (size_t i = 1; i < windows.size(); i++)
		user.Close(windows[i].id);
}

} // namespace


TEST(LimitTest, WindowsBeyondTheThreadLimitAreLeftOutWithOneAlert)
{
	if (getuid() != 0)
		GTEST_SKIP() << "needs root to run as a user of its own";
	TempFolder folder;
	// A user id nobody else runs as, so that the limit counts this test's threads alone.
	uid_t user = 100000 + getpid() % 100000;
	std::vector<std::string> paths = item_paths(folder.Path());
	for (const std::string& path : paths) {
		folder.MakeFile(path.substr(path.rfind('/') + 1), 0644);
		ASSERT_EQ(chown(path.c_str(), user, user), 0);
	}

	pid_t child = fork();
	ASSERT_GE(child, 0);
	if (child == 0) {
		setenv(kChildVariable, folder.Path().c_str(), 1);
		std::string uid = "--reuid=" + std::to_string(user);
		std::string gid = "--regid=" + std::to_string(user);
		std::string self = own_path();
		std::string filter = "--gtest_filter=LimitChild.Threads";
		execlp("setpriv", "setpriv", uid.c_str(), gid.c_str(), "--clear-groups", self.c_str(),
			filter.c_str(), (char*)NULL);
		_exit(127);
	}
	int status;
	ASSERT_EQ(waitpid(child, &status, 0), child);
	// The process neither crashed nor hung: its child test passed and it exited.
	ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
	EXPECT_EQ(WEXITSTATUS(status), 0);
	EXPECT_EQ(mode_of(paths[0]), 0645u);
	for (size_t i = 1; i < paths.size(); i++)
		EXPECT_EQ(mode_of(paths[i]), 0644u);
}


TEST(LimitChild, Threads)
{
	const char* folder = getenv(kChildVariable);
	if (folder == NULL)
		GTEST_SKIP() << "run by LimitTest";
	ASSERT_NE(getuid(), 0u);
	std::vector<std::string> paths = item_paths(folder);
	ScriptedUser user;
	int descriptors = count_open_descriptors();
	// A sanitizer's runtime starts a thread of its own with the first one the program starts.
	std::thread([] {}).join();
	int threads = thread_count();

	// Room for the caller's thread and about five windows (a sanitizer's runtime may start a
	// thread of its own meanwhile); the next window gets no thread.
	set_soft_limit(RLIMIT_NPROC, threads + 1 + kWindows);
	{
		AddOnCall call(process_refs, refs_message(paths));
		auto alert = user.WaitForAlert();
		auto windows = user.Windows();
		ASSERT_GT(windows.size(), 0u);
		ASSERT_LE(windows.size(), size_t(kWindows));
		EXPECT_EQ(alert.text, limit_text(kItems - int(windows.size())));
		user.Press(alert);
		use_open_windows(user, windows);
		call.WaitReturned(user);
		EXPECT_TRUE(user.Alerts().empty());
	}
	EXPECT_EQ(_windowCount.load(), 0);
	EXPECT_EQ(mode_of(paths[0]), 0645u);

	// A single item that gets no thread is said so, and gives its node and its count back.
	user.WaitFor("the windows' threads to end", [&] { return thread_count() == threads; });
	set_soft_limit(RLIMIT_NPROC, threads + 1);
	{
		AddOnCall call(process_refs, refs_message({paths[1]}));
		auto alert = user.WaitForAlert();
		EXPECT_EQ(alert.text, "Can't create PermsWindow!");
		EXPECT_TRUE(user.Windows().empty());
		user.Press(alert);
		call.WaitReturned(user);
	}
	EXPECT_EQ(_windowCount.load(), 0);
	EXPECT_EQ(count_open_descriptors(), descriptors);
}


TEST(LimitTest, WindowsBeyondTheDescriptorLimitAreLeftOutWithOneAlert)
{
#if defined(__SANITIZE_ADDRESS__)
	GTEST_SKIP() << "the sanitizers' checks need descriptors of their own";
#endif
	TempFolder folder;
	std::vector<std::string> paths = item_paths(folder.Path());
	for (const std::string& path : paths)
		folder.MakeFile(path.substr(path.rfind('/') + 1), 0644);
	BMessage message = refs_message(paths);
	ScriptedUser user;
	struct rlimit saved;
	ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
	int descriptors = count_open_descriptors();

	// Each window keeps its node's descriptor: a few windows open, then none can.
	set_soft_limit(RLIMIT_NOFILE, descriptors + kWindows);
	std::vector<ScriptedUser::window_info> windows;
	{
		AddOnCall call(process_refs, message);
		auto alert = user.WaitForAlert();
		windows = user.Windows();
		ASSERT_GT(windows.size(), 0u);
		ASSERT_LT(windows.size(), size_t(kItems));
		EXPECT_EQ(alert.text, limit_text(kItems - int(windows.size())));
		user.Press(alert);
		use_open_windows(user, windows);
		call.WaitReturned(user);
		EXPECT_TRUE(user.Alerts().empty());
	}
	ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
	EXPECT_EQ(_windowCount.load(), 0);
	EXPECT_EQ(count_open_descriptors(), descriptors);
	EXPECT_EQ(mode_of(paths[0]), 0645u);
	for (size_t i = 1; i < paths.size(); i++)
		EXPECT_EQ(mode_of(paths[i]), 0644u);
}
