/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// A later start facing a running instance that takes no connections: it gives up in time
// instead of waiting in connect() for good.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
