/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/LaunchSocket.h>

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <Errors.h>
#include <OS.h>


namespace BPrivate {


LaunchSocket::LaunchSocket(int fd)
	: fSocket(fd)
{
}


int64
LaunchSocket::Now()
{
	return system_time() / 1000;
}


bool
LaunchSocket::AddressFor(const std::string& path, struct sockaddr_un* address)
{
	memset(address, 0, sizeof(*address));
	address->sun_family = AF_UNIX;
	if (path.size() >= sizeof(address->sun_path))
		return false;
	memcpy(address->sun_path, path.c_str(), path.size());
	return true;
}


status_t
LaunchSocket::Open()
{
	fSocket.Reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
	if (fSocket.Get() < 0)
		return errno_to_status(errno);
	return B_OK;
}


status_t
LaunchSocket::Connect(const struct sockaddr_un& address, int64 deadline)
{
	int fd = fSocket.Get();
	for (;;) {
		if (connect(fd, reinterpret_cast<const struct sockaddr*>(&address), sizeof(address)) == 0)
			return B_OK;
		if (errno == EINTR)
			continue;
		if (errno == EINPROGRESS) {
			int error = 0;
			socklen_t length = sizeof(error);
			if (!_WaitFor(POLLOUT, deadline))
				return B_TIMED_OUT;
			if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
				return errno_to_status(errno);
			if (error == 0)
				return B_OK;
			errno = error;
			return errno_to_status(error);
		}
		// A Unix socket whose backlog is full says EAGAIN instead of waiting: try again shortly.
		if (errno != EAGAIN)
			return errno_to_status(errno);
		int64 left = deadline - Now();
		if (left <= 0)
			return B_TIMED_OUT;
		poll(NULL, 0, int(left < 20 ? left : 20));
	}
}


bool
LaunchSocket::PeerIsOwnUser() const
{
	struct ucred credentials;
	socklen_t length = sizeof(credentials);
	if (getsockopt(fSocket.Get(), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0
		|| length != sizeof(credentials))
		return false;
	return credentials.uid == geteuid();
}


bool
LaunchSocket::ReadFully(void* buffer, size_t size, int64 deadline)
{
	uint8* bytes = static_cast<uint8*>(buffer);
	while (size > 0) {
		if (!_WaitFor(POLLIN, deadline))
			return false;
		ssize_t count = recv(fSocket.Get(), bytes, size, MSG_DONTWAIT);
		if (count < 0 && (errno == EINTR || errno == EAGAIN))
			continue;
		if (count <= 0)
			return false;
		bytes += count;
		size -= count;
	}
	return true;
}


bool
LaunchSocket::WriteFully(const void* buffer, size_t size, int64 deadline)
{
	const uint8* bytes = static_cast<const uint8*>(buffer);
	while (size > 0) {
		if (!_WaitFor(POLLOUT, deadline))
			return false;
		ssize_t count = SendNow(bytes, size);
		if (count < 0 && (errno == EINTR || errno == EAGAIN))
			continue;
		if (count <= 0)
			return false;
		bytes += count;
		size -= count;
	}
	return true;
}


ssize_t
LaunchSocket::SendNow(const void* buffer, size_t size)
{
	// A peer that went away is an error here, not a signal that ends the process.
	return send(fSocket.Get(), buffer, size, MSG_DONTWAIT | MSG_NOSIGNAL);
}


ssize_t
LaunchSocket::ReceiveNow(void* buffer, size_t size)
{
	return recv(fSocket.Get(), buffer, size, MSG_DONTWAIT);
}


bool
LaunchSocket::_WaitFor(short events, int64 deadline) const
{
	for (;;) {
		int64 left = deadline - Now();
		if (left <= 0)
			return false;
		struct pollfd entry = {fSocket.Get(), events, 0};
		int count = poll(&entry, 1, int(left));
		if (count < 0 && errno == EINTR)
			continue;
		return count > 0;
	}
}


} // namespace BPrivate
