/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef LAUNCH_SOCKET_H
#define LAUNCH_SOCKET_H


#include <sys/types.h>
#include <sys/un.h>

#include <string>

#include <SupportDefs.h>

#include <support/private/FileDescriptor.h>


namespace BPrivate {


// One end of a connection on a single-launch socket, non-blocking. Deadlines are in
// milliseconds on the clock Now() reads.
class LaunchSocket {
public:
	explicit LaunchSocket(int fd = -1);

	static int64 Now();
	// False for a path too long for a Unix socket.
	static bool AddressFor(const std::string& path, struct sockaddr_un* address);

	int FD() const { return fSocket.Get(); }

	// A stream socket of its own, not yet connected.
	[[nodiscard]] status_t Open();
	// B_TIMED_OUT at the deadline: a running instance that doesn't accept (stopped, or with
	// its backlog full) holds a blocking connect() without end. Else the call's error, with
	// errno set.
	[[nodiscard]] status_t Connect(const struct sockaddr_un& address, int64 deadline);
	bool PeerIsOwnUser() const;

	// Exactly size bytes; false on an error, an early end or the deadline.
	bool ReadFully(void* buffer, size_t size, int64 deadline);
	bool WriteFully(const void* buffer, size_t size, int64 deadline);
	// Without waiting: what the send()/recv() returned, with errno set when below 0.
	ssize_t SendNow(const void* buffer, size_t size);
	ssize_t ReceiveNow(void* buffer, size_t size);

private:
	bool _WaitFor(short events, int64 deadline) const;

	FileDescriptor fSocket;
};


} // namespace BPrivate


#endif // LAUNCH_SOCKET_H
