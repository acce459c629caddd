/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _OS_H
#define _OS_H


#include <SupportDefs.h>


#define B_INFINITE_TIMEOUT (9223372036854775807LL)

typedef int32 thread_id;

#ifdef __cplusplus
extern "C"
{
#endif

	// Sleeps the calling thread; resumes early only if the sleep is interrupted.
	status_t snooze(bigtime_t microseconds);

	// Microseconds on a monotonic clock.
	bigtime_t system_time(void);

	// The calling thread's id when name is NULL; threads can't be looked up by name here.
	thread_id find_thread(const char* name);

#ifdef __cplusplus
}
#endif


#endif // _OS_H
