/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef LOCK_FILE_H
#define LOCK_FILE_H


#include <SupportDefs.h>

#include <support/private/FileDescriptor.h>


namespace BPrivate {


// An exclusive flock() on a file of the user's own, held until Unlock() or until the object
// goes: processes that start at the same time take turns with it.
class LockFile {
public:
	// Opens path (made 0600 if need be, never through a symbolic link) and locks it before
	// deadline, in milliseconds of system_time(): B_TIMED_OUT, or the calls' errors.
	[[nodiscard]] status_t Lock(const char* path, int64 deadline);
	void Unlock();

private:
	FileDescriptor fFile;
};


} // namespace BPrivate


#endif // LOCK_FILE_H
