/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// map-watch [--windows N] [--memory] [--timeout MS] PROGRAM [ARG...]
//
// Starts PROGRAM and prints, on one line, the milliseconds from starting it to the map of its
// N-th top-level window (1 unless told), then with --memory its resident set in KiB once that
// has settled. The server is asked for map events before the program starts, so no map is
// missed and none is seen late, as a tool that polls for windows would. The program is then
// killed. Exits 1 if the windows don't come within the timeout (10 s unless told).

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include <X11/Xlib.h>

#include "OpenDisplay.h"


extern char** environ;


namespace {

typedef std::chrono::steady_clock clock_type;

// The resident set counts as settled once it stays the same for this long.
const auto kSettleTime = std::chrono::milliseconds(300);
const auto kSettleLimit = std::chrono::seconds(5);
const auto kSamplePeriod = std::chrono::milliseconds(10);


long
resident_kib(pid_t process)
{
	std::ifstream status("/proc/" + std::to_string(process) + "/status");
	std::string line;
	while (std::getline(status, line)) {
		if (line.compare(0, 6, "VmRSS:") == 0)
			return strtol(line.c_str() + 6, NULL, 10);
	}
	return -1;
}


// Waits until the resident set stops changing; the program draws and settles after the map.
long
settled_resident_kib(pid_t process)
{
	auto limit = clock_type::now() + kSettleLimit;
	long last = resident_kib(process);
	auto since = clock_type::now();
	while (clock_type::now() < limit) {
		std::this_thread::sleep_for(kSamplePeriod);
		long now = resident_kib(process);
		if (now != last) {
			last = now;
			since = clock_type::now();
		} else if (clock_type::now() - since >= kSettleTime) {
			break;
		}
	}
	return last;
}


void
stop(pid_t process)
{
	kill(process, SIGKILL);
	int status;
	while (waitpid(process, &status, 0) < 0 && errno == EINTR) {
	}
}


void
usage()
{
	fprintf(stderr, "usage: map-watch [--windows N] [--memory] [--timeout MS] PROGRAM [ARG...]\n");
	exit(2);
}

} // namespace


int
main(int argc, char** argv)
{
	int windows = 1;
	bool memory = false;
	int timeout = 10000;
	int first = 1;
	while (first < argc && strncmp(argv[first], "--", 2) == 0) {
		std::string option = argv[first++];
		if (option == "--")
			break;
		if (option == "--memory")
			memory = true;
		else if (option == "--windows" && first < argc)
			windows = std::max(1, atoi(argv[first++]));
		else if (option == "--timeout" && first < argc)
			timeout = std::max(1, atoi(argv[first++]));
		else
			usage();
	}
	if (first >= argc)
		usage();

	Display* display = open_display();
	if (display == NULL) {
		fprintf(stderr, "map-watch: can't open the X display\n");
		return 1;
	}
	Window root = DefaultRootWindow(display);
	XSelectInput(display, root, SubstructureNotifyMask);
	XSync(display, False);

	// The program's own output (xmessage warns of missing charsets at every start) would only
	// get in the way of the figures.
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addclose(&actions, ConnectionNumber(display));

	auto start = clock_type::now();
	pid_t process;
	int error = posix_spawnp(&process, argv[first], &actions, NULL, argv + first, environ);
	posix_spawn_file_actions_destroy(&actions);
	if (error != 0) {
		fprintf(stderr, "map-watch: can't start %s: %s\n", argv[first], strerror(error));
		return 1;
	}

	auto deadline = start + std::chrono::milliseconds(timeout);
	int mapped = 0;
	clock_type::time_point mappedAt;
	while (mapped < windows) {
		while (XPending(display) == 0) {
			auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
				deadline - clock_type::now())
							.count();
			if (left <= 0) {
				fprintf(stderr, "map-watch: %d of %d windows mapped in %d ms\n", mapped, windows,
					timeout);
				stop(process);
				return 1;
			}
			pollfd descriptor = {ConnectionNumber(display), POLLIN, 0};
			poll(&descriptor, 1, static_cast<int>(left));
		}
		XEvent event;
		XNextEvent(display, &event);
		// Menus and tooltips bypass the window manager; they are no window of the program's.
		if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect) {
			mapped++;
			mappedAt = clock_type::now();
		}
	}

	double milliseconds = std::chrono::duration<double, std::milli>(mappedAt - start).count();
	if (memory)
		printf("%.2f %ld\n", milliseconds, settled_resident_kib(process));
	else
		printf("%.2f\n", milliseconds);
	stop(process);
	XCloseDisplay(display);
	return 0;
}
