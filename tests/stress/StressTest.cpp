/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The editor under load and under attack: a thousand items at once, windows closing while
// others open, entries swapped for links between opening and "Set", items of every kind, and
// modes changed by another process while a window shows them.
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <PermsWindow.h>
#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizers keep freed memory aside and check leaks themselves.
const bool kMeasureMemory = false;
#else
const bool kMeasureMemory = true;
#endif


class StressTest : public testing::Test {
protected:
	void TearDown() override { close_everything(fUser); }

	ScriptedUser fUser{std::chrono::seconds(60)};
	TempFolder fFolder;
};


std::string
name_of(const std::string& path)
{
	return path.substr(path.rfind('/') + 1);
}


long
resident_kilobytes()
{
	long pages = 0;
	long resident = 0;
	if (FILE* file = fopen("/proc/self/statm", "r")) {
		if (fscanf(file, "%ld %ld", &pages, &resident) != 2)
			resident = 0;
		fclose(file);
	}
	return resident * (sysconf(_SC_PAGESIZE) / 1024);
}


// Opens windows on paths, closes each as soon as it shows, and returns the titles seen.
std::multiset<std::string>
open_and_close(const ScriptedUser& user, const std::vector<std::string>& paths)
{
	std::multiset<std::string> titles;
	std::set<BPrivate::display_id> seen;
	AddOnCall call(process_refs, refs_message(paths));
	user.WaitFor("every window opened and closed", [&] {
		EXPECT_TRUE(user.Alerts().empty());
		for (const auto& window : user.Windows()) {
			if (seen.insert(window.id).second) {
				titles.insert(window.state.title);
				user.Close(window.id);
			}
		}
		return call.Returned();
	});
	return titles;
}


// Clicks "Set" after toggling the owner's execute bit; answers the alert it may give and
// returns its text, empty when there was none.
std::string
toggle_and_set(const ScriptedUser& user, const ScriptedUser::window_info& window)
{
	user.Toggle(user.FindControl(window.id, "execute", "Owner"));
	user.Click(user.FindControl(window.id, "Set"));
	std::string text;
	user.WaitFor("the window to go", [&] {
		for (const auto& alert : user.Alerts()) {
			text = alert.text;
			user.Press(alert);
		}
		for (const auto& shown : user.Windows()) {
			if (shown.id == window.id)
				return false;
		}
		return true;
	});
	return text;
}


ScriptedUser::window_info
window_titled(const std::vector<ScriptedUser::window_info>& windows, const std::string& title)
{
	for (const auto& window : windows) {
		if (window.state.title == title)
			return window;
	}
	throw std::runtime_error("no window " + title);
}

} // namespace


TEST_F(StressTest, AThousandItemsLeaveNothingBehind)
{
	// Every window holds its node open: make room for a thousand of them at once.
	rlimit limit;
	ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
	if (limit.rlim_cur < 4096 && limit.rlim_max > limit.rlim_cur) {
		limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 4096);
		ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
	}

	std::vector<std::string> paths;
	for (int i = 0; i < 1000; i++)
		paths.push_back(fFolder.MakeFile("item-" + std::to_string(i), 0644));
	// A first, smaller pass sets up what stays for the life of the process.
	open_and_close(fUser, std::vector<std::string>(paths.begin(), paths.begin() + 50));
	int descriptors = count_open_descriptors();
	long memory = resident_kilobytes();

	std::multiset<std::string> titles = open_and_close(fUser, paths);
	EXPECT_EQ(titles.size(), 1000u);
	for (const std::string& path : paths) {
		EXPECT_EQ(titles.count(name_of(path)), 1u) << path;
	}
	EXPECT_EQ(_windowCount.load(), 0);
	EXPECT_EQ(count_open_descriptors(), descriptors);
	if (kMeasureMemory) {
		EXPECT_LT(resident_kilobytes() - memory, 16 * 1024) << "kilobytes grown";
	}
	for (const std::string& path : paths)
		EXPECT_EQ(mode_of(path), 0644);
}


TEST_F(StressTest, WindowsClosingAtOnceWhileOthersOpen)
{
	std::vector<std::string> first;
	std::vector<std::string> second;
	for (int i = 0; i < 40; i++) {
		first.push_back(fFolder.MakeFile("first-" + std::to_string(i), 0640));
		second.push_back(fFolder.MakeFile("second-" + std::to_string(i), 0640));
	}

	for (int round = 0; round < 3; round++) {
		SCOPED_TRACE(round);
		AddOnCall early(process_refs, refs_message(first));
		auto windows = fUser.WaitForWindowCount(first.size());

		// Every early window is told to quit at the same moment; each quits in its own
		// thread while process_refs, in another, is still opening the later ones.
		AddOnCall late(process_refs, refs_message(second));
		std::vector<std::thread> closers;
		std::atomic<bool> go(false);
		for (const auto& window : windows) {
			closers.emplace_back([&go, id = window.id] {
				while (!go.load())
					std::this_thread::yield();
				BPrivate::deliver_close(id);
			});
		}
		go = true;
		for (auto& closer : closers)
			closer.join();

		// The early windows go one by one while the later ones come: the count alone can be
		// reached with an early window still there and a later one yet to show.
		std::set<std::string> expected;
		for (const std::string& path : second)
			expected.insert(name_of(path));
		fUser.WaitFor("the later windows, each once, and no other", [&] {
			auto windows = fUser.Windows();
			std::set<std::string> titles;
			for (const auto& window : windows)
				titles.insert(window.state.title);
			return windows.size() == second.size() && titles == expected;
		});
		EXPECT_TRUE(fUser.Alerts().empty());

		// Both calls wait for the one count of windows the deliverable keeps.
		close_everything(fUser);
		early.WaitReturned(fUser);
		late.WaitReturned(fUser);
		EXPECT_EQ(_windowCount.load(), 0);
		// The count and the cascade moved together: with no window left, it starts at home.
		EXPECT_EQ(_offset.LeftTop(), BPoint(50, 50));
	}
	for (const std::string& path : first)
		EXPECT_EQ(mode_of(path), 0640);
}


TEST_F(StressTest, EntrySwappedForALinkNeverRedirectsTheWrite)
{
	std::string other = fFolder.MakeFile("other", 0600);
	timespec otherChanged = change_time_of(other);

	for (int round = 0; round < 3; round++) {
		SCOPED_TRACE(round);
		std::vector<std::string> paths;
		for (int i = 0; i < 10; i++)
			paths.push_back(fFolder.MakeFile("entry-" + std::to_string(i), 0644));
		AddOnCall call(process_refs, refs_message(paths));
		auto windows = fUser.WaitForWindowCount(paths.size());

		// Each entry becomes, in one step, a link to the other file; "Set" then goes to the
		// node the window opened, which is no longer there, and never to the other file.
		for (const std::string& path : paths) {
			std::string link = fFolder.Path() + "/swap";
			ASSERT_EQ(symlink(other.c_str(), link.c_str()), 0);
			ASSERT_EQ(rename(link.c_str(), path.c_str()), 0);
		}
		for (const std::string& path : paths) {
			std::string alert = toggle_and_set(fUser, window_titled(windows, name_of(path)));
			EXPECT_EQ(alert, "That node doesn't exist anymore.");
			struct stat st;
			ASSERT_EQ(lstat(path.c_str(), &st), 0);
			EXPECT_TRUE(S_ISLNK(st.st_mode));
		}
		call.WaitReturned(fUser);

		EXPECT_EQ(mode_of(other), 0600);
		timespec changed = change_time_of(other);
		EXPECT_EQ(changed.tv_sec, otherChanged.tv_sec);
		EXPECT_EQ(changed.tv_nsec, otherChanged.tv_nsec);
		for (const std::string& path : paths)
			unlink(path.c_str());
	}
}


TEST_F(StressTest, ItemsOfEveryKind)
{
	struct item {
		std::string path;
		// The mode "Set" leaves, with the owner's execute bit toggled; 0 for a refusal.
		mode_t after;
	};
	std::vector<item> items;
	std::string regular = fFolder.MakeFile("regular", 0644);
	items.push_back({regular, 0744});

	std::string folder = fFolder.Path() + "/folder";
	ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
	ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
	items.push_back({folder, 0655});

	// Linux has no mode of a link's own: both links are refused, and nothing follows them.
	std::string link = fFolder.Path() + "/link";
	ASSERT_EQ(symlink(regular.c_str(), link.c_str()), 0);
	items.push_back({link, 0});
	std::string dangling = fFolder.Path() + "/dangling";
	ASSERT_EQ(symlink((fFolder.Path() + "/nowhere").c_str(), dangling.c_str()), 0);
	items.push_back({dangling, 0});

	// Opening a FIFO for reading would block until a writer comes: it must not.
	std::string fifo = fFolder.Path() + "/fifo";
	ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
	ASSERT_EQ(chmod(fifo.c_str(), 0600), 0);
	items.push_back({fifo, 0700});

	std::string socketPath = fFolder.Path() + "/socket";
	{
		int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
		ASSERT_GE(fd, 0);
		sockaddr_un address = {};
		address.sun_family = AF_UNIX;
		snprintf(address.sun_path, sizeof(address.sun_path), "%s", socketPath.c_str());
		ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
		close(fd);
		ASSERT_EQ(chmod(socketPath.c_str(), 0640), 0);
	}
	items.push_back({socketPath, 0740});

	// A device node opened by mistake must not be touched beyond its mode: here, the one
	// /dev/null is made of, so that opening it could do no harm either.
	std::string device = fFolder.Path() + "/device";
	bool haveDevice = mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
	if (haveDevice)
		items.push_back({device, 0700});
	else
		printf("not root: no device node\n");

	std::vector<std::string> paths;
	for (const item& each : items)
		paths.push_back(each.path);
	AddOnCall call(process_refs, refs_message(paths));
	auto windows = fUser.WaitForWindowCount(items.size());
	EXPECT_TRUE(fUser.Alerts().empty());
	for (const item& each : items) {
		SCOPED_TRACE(each.path);
		auto window = window_titled(windows, name_of(each.path));
		mode_t before = mode_of(each.path);
		std::string alert = toggle_and_set(fUser, window);
		if (each.after == 0) {
			EXPECT_EQ(alert, "Unknown error!");
			EXPECT_EQ(mode_of(each.path), before);
		} else {
			EXPECT_EQ(alert, "");
			EXPECT_EQ(mode_of(each.path), each.after);
		}
	}
	call.WaitReturned(fUser);
	// The link's target kept its mode after its own window wrote 0744.
	EXPECT_EQ(mode_of(regular), 0744);
}


TEST_F(StressTest, ModeChangedByAnotherProcessWhileTheWindowIsOpen)
{
	// Each file's mode when its window opens, the mode another process gives it meanwhile, the
	// box the person toggles (none for "untouched"), and the mode "Set" leaves.
	struct {
		const char* name;
		mode_t before;
		mode_t meanwhile;
		const char* toggle[2];
		mode_t after;
	} cases[] = {
		{"untouched", 0644, 0600, {NULL, NULL}, 0600},
		// Made private by its owner: ticking Other execute doesn't make it readable again.
		{"private", 0644, 0600, {"Other", "execute"}, 0601},
		// Written since, so the kernel dropped setuid: unticking Other execute doesn't put it back.
		{"setuid", 04755, 0755, {"Other", "execute"}, 0754},
		// The same change was made elsewhere too: it stays made, not undone.
		{"same", 0640, 0644, {"Other", "read"}, 0644},
		{"sticky", 01777, 01775, {"Owner", "execute"}, 01675},
	};
	std::vector<std::string> paths;
	for (const auto& each : cases)
		paths.push_back(fFolder.MakeFile(each.name, each.before));
	AddOnCall call(process_refs, refs_message(paths));
	auto windows = fUser.WaitForWindowCount(std::size(cases));

	for (size_t i = 0; i < std::size(cases); i++) {
		pid_t child = fork();
		ASSERT_GE(child, 0);
		if (child == 0)
			_exit(chmod(paths[i].c_str(), cases[i].meanwhile) == 0 ? 0 : 1);
		int status;
		ASSERT_EQ(waitpid(child, &status, 0), child);
		ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}

	for (size_t i = 0; i < std::size(cases); i++) {
		auto window = window_titled(windows, cases[i].name);
		timespec changed = change_time_of(paths[i]);
		if (cases[i].toggle[0] != NULL)
			fUser.Toggle(fUser.FindControl(window.id, cases[i].toggle[1], cases[i].toggle[0]));
		fUser.Click(fUser.FindControl(window.id, "Set"));
		fUser.WaitForGone(window.id);
		EXPECT_TRUE(fUser.Alerts().empty());
		EXPECT_EQ(mode_of(paths[i]), cases[i].after) << cases[i].name;
		if (cases[i].after == cases[i].meanwhile) {
			timespec now = change_time_of(paths[i]);
			EXPECT_TRUE(now.tv_sec == changed.tv_sec && now.tv_nsec == changed.tv_nsec)
				<< cases[i].name << " was written";
		}
	}
	call.WaitReturned(fUser);
}
