/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// What a second start hands to the running one, on any bytes: each input is sent whole over
// the single-launch socket to a real server, which must read it, take only its refs, and never
// fail on the way.
#include <stdio.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <memory>
#include <string>

#include <Looper.h>
#include <Message.h>

#include <app/private/SingleLaunch.h>


namespace {

std::unique_ptr<BPrivate::LaunchServer> sServer;
std::string sPath;


int
connect_to_server()
{
	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	snprintf(address.sun_path, sizeof(address.sun_path), "%s", sPath.c_str());
	if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
		abort();
	return fd;
}

} // namespace


extern "C" int
LLVMFuzzerInitialize(int* argc, char*** argv)
{
	(void)argc;
	(void)argv;
	char folder[] = "/tmp/fuzz-launch-XXXXXX";
	if (mkdtemp(folder) == NULL)
		abort();
	sPath = std::string(folder) + "/socket";
	BMessage nothing(B_REFS_RECEIVED);
	if (BPrivate::launch_or_hand_over(sPath.c_str(), nothing, &sServer) != B_OK || sServer == NULL)
		abort();
	// The refs the server passes on land in a looper of their own and are dropped there.
	BLooper* target = new BLooper("running instance");
	target->Run();
	if (sServer->Start(target) != B_OK)
		abort();
	return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8* data, size_t size)
{
	int fd = connect_to_server();
	size_t sent = 0;
	while (sent < size) {
		ssize_t written = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
		if (written <= 0)
			break;
		sent += written;
	}
	shutdown(fd, SHUT_WR);
	// The server answers one byte for a message it took, and closes the connection.
	char answer[16];
	while (read(fd, answer, sizeof(answer)) > 0) {
	}
	close(fd);
	return 0;
}
