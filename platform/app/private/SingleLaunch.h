/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef SINGLE_LAUNCH_H
#define SINGLE_LAUNCH_H


#include <sys/types.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <SupportDefs.h>

#include <support/private/FileDescriptor.h>


class BLooper;
class BMessage;


namespace BPrivate {


// Flattened messages larger than this are refused unread.
const size_t kMaxLaunchMessageSize = 1024 * 1024;


// The socket on which the running instance of a single-launch application waits for the files
// of later starts: per user and per X display, in $XDG_RUNTIME_DIR/be-launch, or in
// /tmp/be-launch-UID without a usable runtime folder. The folder is made 0700 and must be the
// user's own and closed to others, or B_PERMISSION_DENIED.
[[nodiscard]] status_t launch_socket_path(const char* signature, std::string* _path);


// The running instance's end: accepts peers of its own user only, several at once, reads one
// flattened message of at most kMaxLaunchMessageSize bytes from each, acknowledges it with one
// byte, and once the peer confirms with one byte of its own, posts a B_REFS_RECEIVED message
// made of the refs of entries that exist to the target. Anything else is dropped, and so are the
// refs of a peer that does not confirm in time.
class LaunchServer {
public:
	~LaunchServer();

	LaunchServer(const LaunchServer&) = delete;
	LaunchServer& operator=(const LaunchServer&) = delete;

	const std::string& Path() const { return fPath; }

	// Starts the listening thread, which posts to target until Stop().
	status_t Start(BLooper* target);
	// Stops listening and removes the socket, unless another instance has replaced it since.
	void Stop();

private:
	friend status_t launch_or_hand_over(const char*, const BMessage&,
		std::unique_ptr<LaunchServer>*);

	LaunchServer(const std::string& path, FileDescriptor&& socket, FileDescriptor&& stopRead,
		FileDescriptor&& stopWrite, dev_t device, ino_t node);

	struct peer;

	void _Listen();
	// Reads what the peer sent so far, and answers it; true once it is done with.
	bool _Serve(peer& client);
	std::unique_ptr<BMessage> _RefsOf(const std::vector<char>& flattened);

	std::string fPath;
	FileDescriptor fSocket;
	// Written to once to end the listening thread.
	FileDescriptor fStopRead;
	FileDescriptor fStopWrite;
	dev_t fDevice;
	ino_t fNode;
	BLooper* fTarget;
	std::thread fThread;
};


// Either hands refs to the instance already listening at path (B_OK with no server; refs
// without any "refs" only find out that it runs), or takes the place over, removing a socket a
// dead instance left behind (B_OK with the new server in *_server, not yet started). Fails with
// B_NOT_ALLOWED when the socket belongs to another user, B_TIMED_OUT when the running instance
// doesn't take the message within a few seconds (it then drops it too), or with the socket
// calls' errors.
[[nodiscard]] status_t launch_or_hand_over(const char* path, const BMessage& refs,
	std::unique_ptr<LaunchServer>* _server);


} // namespace BPrivate


#endif // SINGLE_LAUNCH_H
