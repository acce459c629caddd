/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// launch_client SOCKET KIND [FILE...]: talks to a running instance's launch socket as a later
// start would, or as a misbehaving peer. KIND is refs (the files, as a start hands them over,
// confirmed once acknowledged), uncommitted (the same, but the client goes without confirming),
// other-what (the same refs in a B_SIMPLE_DATA message), no-refs, garbage, oversize or
// short (a length announcing more than is sent). Prints "acknowledged" or "refused". KIND
// silent connects, prints "connected" and sends nothing until its standard input ends.

#include <errno.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <Entry.h>
#include <Message.h>


namespace {

std::vector<char>
framed(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	std::vector<char> bytes(4 + size);
	for (int i = 0; i < 4; i++)
		bytes[i] = char(uint32(size) >> (8 * i));
	message.Flatten(bytes.data() + 4, size);
	return bytes;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc < 3) {
		fprintf(stderr, "usage: launch_client SOCKET KIND [FILE...]\n");
		return 2;
	}
	std::string kind = argv[2];
	BMessage refs(kind == "other-what" ? uint32(B_SIMPLE_DATA) : uint32(B_REFS_RECEIVED));
	for (int i = 3; i < argc; i++) {
		entry_ref ref;
		if (get_ref_for_path(argv[i], &ref) != B_OK || refs.AddRef("refs", &ref) != B_OK) {
			fprintf(stderr, "launch_client: no ref for %s\n", argv[i]);
			return 2;
		}
	}
	if (kind == "no-refs")
		refs.AddString("refs", "not a ref");

	std::vector<char> bytes;
	if (kind == "refs" || kind == "uncommitted" || kind == "other-what" || kind == "no-refs")
		bytes = framed(refs);
	else if (kind == "garbage")
		bytes = {16, 0, 0, 0, 'n', 'o', 't', ' ', 'a', ' ', 'm', 'e', 's', 's', 'a', 'g', 'e', '!',
			'!', '!'};
	else if (kind == "oversize") {
		bytes = framed(refs);
		uint32 size = 1024 * 1024 + 1;
		for (int i = 0; i < 4; i++)
			bytes[i] = char(size >> (8 * i));
	} else if (kind == "short") {
		bytes = framed(refs);
		bytes.resize(bytes.size() / 2);
	} else if (kind != "silent") {
		fprintf(stderr, "launch_client: unknown kind %s\n", argv[2]);
		return 2;
	}

	int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_un address = {};
	address.sun_family = AF_UNIX;
	strncpy(address.sun_path, argv[1], sizeof(address.sun_path) - 1);
	if (connect(fd, reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0) {
		fprintf(stderr, "launch_client: can't connect: %s\n", strerror(errno));
		return 1;
	}
	if (kind == "silent") {
		printf("connected\n");
		fflush(stdout);
		char byte;
		while (read(STDIN_FILENO, &byte, 1) > 0) {
		}
		close(fd);
		return 0;
	}
	send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
	if (kind == "short")
		shutdown(fd, SHUT_WR);
	// The instance answers at once, or closes the connection once it gives up on it.
	struct pollfd entry = {fd, POLLIN, 0};
	char answer = 0;
	bool acknowledged = poll(&entry, 1, 10000) == 1 && read(fd, &answer, 1) == 1 && answer == 'k';
	if (acknowledged && kind != "uncommitted")
		send(fd, "c", 1, MSG_NOSIGNAL);
	printf("%s\n", acknowledged ? "acknowledged" : "refused");
	close(fd);
	return 0;
}
