/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// refs-bench [--locale] --screen|--headless ADDON N
//
// Loads the add-on as the file manager does, makes N files and prints the milliseconds from the
// call of process_refs to the last of their N windows mapped: on the X display with --screen
// (as the server reports the maps), on the headless display with --headless (the kits' own
// cost). The display is open before the clock starts, as in a file manager that runs already.
// With --locale the process takes the user's locale first, as a file manager does.

#include <dlfcn.h>
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <X11/Xlib.h>

#include <Entry.h>
#include <Message.h>

#include <display/DisplayServer.h>
#include <display/headless/HeadlessDisplay.h>

#include "OpenDisplay.h"


namespace {

typedef std::chrono::steady_clock clock_type;
typedef void (*process_refs_function)(entry_ref directory, BMessage* message, void* reserved);

const auto kTimeout = std::chrono::seconds(30);


// The headless display, counting the windows on it that are shown.
class CountingDisplay : public BPrivate::HeadlessDisplay {
public:
	void SetWindow(BPrivate::display_id window, const BPrivate::window_state& state) override
	{
		HeadlessDisplay::SetWindow(window, state);
		{
			std::lock_guard<std::mutex> guard(fCountLock);
			if (state.shown && !state.alert)
				fShown.insert(window);
			else
				fShown.erase(window);
		}
		fCountChanged.notify_all();
	}

	bool WaitForShown(size_t count, clock_type::time_point deadline)
	{
		std::unique_lock<std::mutex> guard(fCountLock);
		return fCountChanged.wait_until(guard, deadline, [&] { return fShown.size() >= count; });
	}

private:
	std::mutex fCountLock;
	std::condition_variable fCountChanged;
	std::set<BPrivate::display_id> fShown;
};


bool
wait_for_maps(Display* display, int count, clock_type::time_point deadline)
{
	Window root = DefaultRootWindow(display);
	int mapped = 0;
	while (mapped < count) {
		while (XPending(display) == 0) {
			auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
				deadline - clock_type::now())
							.count();
			if (left <= 0)
				return false;
			pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
			poll(&descriptor, 1, static_cast<int>(left));
		}
		XEvent event;
		XNextEvent(display, &event);
		if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect)
			mapped++;
	}
	return true;
}


[[noreturn]] void
fail(const char* text)
{
	fprintf(stderr, "refs-bench: %s\n", text);
	_exit(1);
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc == 5 && strcmp(argv[1], "--locale") == 0) {
		setlocale(LC_ALL, "");
		argc--;
		argv++;
	}
	if (argc != 4 || (strcmp(argv[1], "--screen") != 0 && strcmp(argv[1], "--headless") != 0)) {
		fprintf(stderr, "usage: refs-bench [--locale] --screen|--headless ADDON N\n");
		return 2;
	}
	bool screen = strcmp(argv[1], "--screen") == 0;
	int count = atoi(argv[3]);
	if (count < 1)
		fail("N must be at least 1");

	void* addOn = dlopen(argv[2], RTLD_NOW | RTLD_LOCAL);
	if (addOn == NULL)
		fail(dlerror());
	auto processRefs = reinterpret_cast<process_refs_function>(dlsym(addOn, "process_refs"));
	if (processRefs == NULL)
		fail("the add-on has no process_refs()");

	// Our own connection, asking for map events before any window can exist.
	Display* display = NULL;
	CountingDisplay* headless = NULL;
	if (screen) {
		display = open_display();
		if (display == NULL)
			fail("can't open the X display");
		XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
		XSync(display, False);
		BPrivate::display_server()->ScreenFrame();
	} else {
		auto counting = std::make_unique<CountingDisplay>();
		headless = counting.get();
		BPrivate::install_display_server(std::move(counting));
	}

	char folder[] = "/tmp/refs-bench-XXXXXX";
	if (mkdtemp(folder) == NULL)
		fail("can't make a folder");
	BMessage refs(B_REFS_RECEIVED);
	for (int i = 0; i < count; i++) {
		std::string path = std::string(folder) + "/item " + std::to_string(i + 1);
		int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
		if (fd < 0)
			fail("can't make a file");
		close(fd);
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) != B_OK || refs.AddRef("refs", &ref) != B_OK)
			fail("can't make a ref");
	}
	entry_ref directory;
	get_ref_for_path(folder, &directory);

	// The add-on talks on standard output; only the figure goes there.
	fflush(stdout);
	int output = dup(STDOUT_FILENO);
	int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
	dup2(null, STDOUT_FILENO);

	auto start = clock_type::now();
	std::thread([&] { processRefs(directory, &refs, NULL); }).detach();
	bool done = screen ? wait_for_maps(display, count, start + kTimeout)
					   : headless->WaitForShown(static_cast<size_t>(count), start + kTimeout);
	auto end = clock_type::now();

	std::error_code error;
	std::filesystem::remove_all(folder, error);
	if (!done)
		fail("the windows did not all come");
	dprintf(output, "%.2f\n", std::chrono::duration<double, std::milli>(end - start).count());
	// The windows are left as they are: closing a hundred of them is not what is measured.
	_exit(0);
}
