/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/LockFile.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>

#include <Errors.h>
#include <OS.h>


namespace BPrivate {


status_t
LockFile::Lock(const char* path, int64 deadline)
{
	fFile.Reset(open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
	if (fFile.Get() < 0)
		return errno_to_status(errno);

	for (;;) {
		if (flock(fFile.Get(), LOCK_EX | LOCK_NB) == 0)
			return B_OK;
		if (errno == EINTR)
			continue;
		if (errno != EWOULDBLOCK)
			return errno_to_status(errno);
		int64 left = deadline - system_time() / 1000;
		if (left <= 0)
			return B_TIMED_OUT;
		poll(NULL, 0, int(left < 20 ? left : 20));
	}
}


void
LockFile::Unlock()
{
	fFile.Reset();
}


} // namespace BPrivate
