/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <OS.h>

#include <errno.h>
#include <time.h>
#include <unistd.h>


status_t
snooze(bigtime_t microseconds)
{
	if (microseconds <= 0)
		return B_OK;
	timespec request;
	request.tv_sec = microseconds / 1000000;
	request.tv_nsec = (microseconds % 1000000) * 1000;
	while (nanosleep(&request, &request) != 0) {
		if (errno != EINTR)
			return errno_to_status(errno);
	}
	return B_OK;
}


bigtime_t
system_time(void)
{
	timespec now;
	clock_gettime(CLOCK_MONOTONIC, &now);
	return static_cast<bigtime_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}


thread_id
find_thread(const char* name)
{
	if (name != NULL)
		return B_NAME_NOT_FOUND;
	return static_cast<thread_id>(gettid());
}
