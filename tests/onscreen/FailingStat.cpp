/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// Preloaded into a test's process: fstat() of a descriptor open on a file whose name ends in
// $FAILING_STAT_NAME fails with EIO, so that the window of a file whose bits can't be read
// can be seen.

#include <dlfcn.h>
#include <errno.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>


extern "C" int
fstat(int fd, struct stat* st)
{
	typedef int (*fstat_function)(int, struct stat*);
	static fstat_function sReal = reinterpret_cast<fstat_function>(dlsym(RTLD_NEXT, "fstat"));
	const char* name = getenv("FAILING_STAT_NAME");
	if (name != NULL && name[0] != '\0') {
		char link[64];
		char path[PATH_MAX];
		snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
		ssize_t length = readlink(link, path, sizeof(path) - 1);
		size_t nameLength = strlen(name);
		if (length > 0 && static_cast<size_t>(length) >= nameLength
			&& memcmp(path + length - nameLength, name, nameLength) == 0) {
			errno = EIO;
			return -1;
		}
	}
	return sReal(fd, st);
}
