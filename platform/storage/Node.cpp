/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Node.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <support/private/FileDescriptor.h>


namespace {

using BPrivate::FileDescriptor;


/*!	Opens the entry ref names, itself and never its target, into _fd.
	Returns B_OK, B_BAD_VALUE for an incomplete ref, B_ENTRY_NOT_FOUND if the folder at the ref's
	path is not the ref's folder, or the status for the system's error.
*/
[[nodiscard]] status_t
open_entry(const entry_ref* ref, int* _fd)
{
	if (ref == NULL || ref->name == NULL || ref->name[0] == '\0' || strchr(ref->name, '/') != NULL
		|| ref->directory_path() == NULL) {
		return B_BAD_VALUE;
	}

	FileDescriptor folder(open(ref->directory_path(), O_PATH | O_DIRECTORY | O_CLOEXEC));
	if (folder.Get() < 0)
		return errno_to_status(errno);
	struct stat st;
	if (fstat(folder.Get(), &st) != 0)
		return errno_to_status(errno);
	if (st.st_dev != ref->device || st.st_ino != ref->directory)
		return B_ENTRY_NOT_FOUND;

	// O_PATH opens neither data nor device: a FIFO does not wait for a writer, a tape does not
	// rewind. With O_NOFOLLOW it yields the link itself.
	int fd = openat(folder.Get(), ref->name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
	if (fd < 0)
		return errno_to_status(errno);
	*_fd = fd;
	return B_OK;
}


// The status for a failed permission write. The callers tell a read-only volume (B_NOT_ALLOWED)
// and a vanished node (B_BAD_VALUE) from every other refusal, so no other error may map to those.
status_t
status_for_write_error(int error)
{
	switch (error) {
		case EROFS:
			return B_NOT_ALLOWED;
		case ENOENT:
		case ESTALE:
			return B_BAD_VALUE;
		case EPERM:
			return B_PERMISSION_DENIED;
		case EINVAL:
			return B_ERROR;
	}
	status_t status = errno_to_status(error);
	if (status == B_NOT_ALLOWED || status == B_BAD_VALUE)
		return B_ERROR;
	return status;
}


[[nodiscard]] status_t
fail_with_errno(int error, status_t status)
{
	errno = error;
	return status;
}


} // namespace


BNode::BNode()
	: fFd(-1),
	  fCStatus(B_NO_INIT)
{
}


BNode::BNode(const entry_ref* ref)
	: fFd(-1),
	  fCStatus(B_NO_INIT)
{
	SetTo(ref);
}


BNode::BNode(const char* path)
	: fFd(-1),
	  fCStatus(B_NO_INIT)
{
	SetTo(path);
}


BNode::~BNode()
{
	Unset();
}


status_t
BNode::InitCheck() const
{
	return fCStatus;
}


status_t
BNode::SetTo(const entry_ref* ref)
{
	Unset();
	int fd = -1;
	status_t status = open_entry(ref, &fd);
	if (status != B_OK)
		return fCStatus = status;
	fFd = fd;
	return fCStatus = B_OK;
}


status_t
BNode::SetTo(const char* path)
{
	Unset();
	entry_ref ref;
	status_t status = get_ref_for_path(path, &ref);
	if (status != B_OK)
		return fCStatus = status;
	return SetTo(&ref);
}


void
BNode::Unset()
{
	if (fFd >= 0)
		close(fFd);
	fFd = -1;
	fCStatus = B_NO_INIT;
}


status_t
BNode::GetStat(struct stat* st) const
{
	if (fCStatus != B_OK)
		return fCStatus;
	if (st == NULL)
		return B_BAD_VALUE;
	if (fstat(fFd, st) != 0)
		return errno_to_status(errno);
	return B_OK;
}


// Only the mode can be written. Every write goes through the open descriptor, never through a
// name, so it reaches the node that was opened even if its entry now names another file.
status_t
BNode::set_stat(struct stat& st, uint32 what)
{
	if (fCStatus != B_OK)
		return fail_with_errno(EBADF, B_FILE_ERROR);
	if (what != B_STAT_MODE)
		return fail_with_errno(EOPNOTSUPP, B_UNSUPPORTED);

	struct stat current;
	if (fstat(fFd, &current) != 0) {
		int error = errno;
		return fail_with_errno(error, status_for_write_error(error));
	}
	// Linux keeps no mode of a link's own, and the target is not what this node names.
	if (S_ISLNK(current.st_mode))
		return fail_with_errno(EOPNOTSUPP, B_UNSUPPORTED);
	// Changing an inode that no entry names any more would report a change nobody can see.
	if (current.st_nlink == 0)
		return fail_with_errno(ENOENT, B_BAD_VALUE);

	// fchmod refuses O_PATH descriptors; the descriptor's link in /proc resolves to this very
	// inode, whatever its entry names now.
	char fdPath[32];
	snprintf(fdPath, sizeof(fdPath), "/proc/self/fd/%d", fFd);
	if (chmod(fdPath, st.st_mode & 07777) != 0) {
		int error = errno;
		return fail_with_errno(error, status_for_write_error(error));
	}
	return B_OK;
}
