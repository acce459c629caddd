/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Single launch: a later start facing a running instance that takes no connections gives up in
// time instead of waiting in connect() for good; the socket is the display's, however its
// name is spelled.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Entry.h>
#include <Message.h>

#include <app/private/SingleLaunch.h>


TEST(SingleLaunchTest, AnInstanceWhoseBacklogIsFullIsGivenUpOnInTime)
{
	char folder[] = "/tmp/bitgate-launch-XXXXXX";
	ASSERT_NE(mkdtemp(folder), nullptr);
	std::string path = std::string(folder) + "/socket";
	std::string file = std::string(folder) + "/file";
	close(open(file.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600));

	// An instance that listens and never accepts, its backlog filled by earlier peers.
	int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
	ASSERT_EQ(bind(server, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)), 0);
	ASSERT_EQ(listen(server, 0), 0);
	std::vector<int> peers;
	for (;;) {
		int peer = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
		if (connect(peer, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0) {
			close(peer);
			break;
		}
		peers.push_back(peer);
		ASSERT_LT(peers.size(), 1000u);
	}

	BMessage refs(B_REFS_RECEIVED);
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path(file.c_str(), &ref), B_OK);
	ASSERT_EQ(refs.AddRef("refs", &ref), B_OK);
	std::atomic<bool> returned(false);
	std::atomic<status_t> status(B_OK);
	std::unique_ptr<BPrivate::LaunchServer> launchServer;
	std::thread start([&] {
		status = BPrivate::launch_or_hand_over(path.c_str(), refs, &launchServer);
		returned = true;
	});
	auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
	while (!returned && std::chrono::steady_clock::now() < deadline)
		std::this_thread::sleep_for(std::chrono::milliseconds(10));
	if (!returned) {
		// Let the start go, so that the failure is reported rather than hung.
		for (int peer : peers)
			close(peer);
		close(server);
		start.join();
		FAIL() << "the start still waited after 30 s";
	}
	start.join();
	EXPECT_EQ(status.load(), B_TIMED_OUT);
	EXPECT_EQ(launchServer, nullptr);

	for (int peer : peers)
		close(peer);
	close(server);
	std::error_code error;
	std::filesystem::remove_all(folder, error);
}


namespace {

std::string
path_for_display(const char* display)
{
	setenv("DISPLAY", display, 1);
	std::string path;
	EXPECT_EQ(BPrivate::launch_socket_path("application/x-vnd.test-Launch", &path), B_OK)
		<< display;
	return path;
}

} // namespace


// One instance per display, however its name is spelled.
TEST(SingleLaunchTest, TheSocketIsTheDisplaysWhateverItsSpelling)
{
	const char* saved = getenv("DISPLAY");
	std::string savedDisplay = saved != nullptr ? saved : "";
	char host[256] = {};
	ASSERT_EQ(gethostname(host, sizeof(host) - 1), 0);

	std::string local = path_for_display(":0");
	for (std::string spelling : {":0.0", ":0.1", "unix:0", "unix:0.0", "unix/:0", "localhost:0",
			 "localhost:0.0", "LocalHost:00", "127.0.0.1:0", "[::1]:0", "tcp/localhost:0"}) {
		EXPECT_EQ(path_for_display(spelling.c_str()), local) << spelling;
	}
	EXPECT_EQ(path_for_display((std::string(host) + ":0").c_str()), local);

	// Other displays, here or elsewhere, and values that name no display, are their own.
	std::vector<std::string> others = {local};
	for (const char* other :
		{":1", ":10.0", "otherhost:0", "otherhost:1", "otherhost", ":0.x", ":"}) {
		std::string path = path_for_display(other);
		EXPECT_EQ(std::find(others.begin(), others.end(), path), others.end()) << other;
		others.push_back(path);
	}
	EXPECT_EQ(path_for_display("OtherHost:1.0"), path_for_display("otherhost:1"));

	if (saved != nullptr)
		setenv("DISPLAY", savedDisplay.c_str(), 1);
	else
		unsetenv("DISPLAY");
}
