/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Node.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <memory>

#include <storage/private/AccessList.h>
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


// The status for a failed permission write. The callers tell a read-only volume (B_NOT_ALLOWED),
// a vanished node (B_BAD_VALUE) and a change not kept (B_MISMATCHED_VALUES) from every other
// refusal, so no other error may map to those.
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
	if (status == B_NOT_ALLOWED || status == B_BAD_VALUE || status == B_MISMATCHED_VALUES)
		return B_ERROR;
	return status;
}


[[nodiscard]] status_t
fail_with_errno(int error, status_t status)
{
	errno = error;
	return status;
}


typedef std::unique_ptr<FILE, int (*)(FILE*)> StreamHolder;


// The id of the mount the descriptor's node was opened through, or -1 if /proc won't say.
int
mount_id_of(int fd)
{
	char path[40];
	snprintf(path, sizeof(path), "/proc/self/fdinfo/%d", fd);
	StreamHolder info(fopen(path, "re"), fclose);
	if (info == NULL)
		return -1;
	int id = -1;
	char line[128];
	while (fgets(line, sizeof(line), info.get()) != NULL) {
		if (sscanf(line, "mnt_id: %d", &id) == 1)
			break;
	}
	return id;
}


/*!	Whether some path still reaches the node open on fd, whose status is st. A node no entry
	names (no links left) was deleted. Unmounting a volume, lazily, leaves its nodes open but
	takes its mount out of the mount table at once: a node whose mount is no longer listed, on
	a volume that is not mounted anywhere else either, is out of reach of every path. The mount
	table is asked rather than the name /proc gives the descriptor, which reads alike for a
	detached mount and a live one, and which a rename changes without the node going anywhere.
	When /proc can't tell, the node counts as reachable and is written as before.
*/
bool
is_reachable(int fd, const struct stat& st)
{
	if (st.st_nlink == 0)
		return false;
	int mountId = mount_id_of(fd);
	if (mountId < 0)
		return true;
	StreamHolder table(fopen("/proc/self/mountinfo", "re"), fclose);
	if (table == NULL)
		return true;
	bool listed = false;
	bool volumeMounted = false;
	char* line = NULL;
	size_t size = 0;
	while (!listed && getline(&line, &size, table.get()) > 0) {
		int id;
		int parent;
		unsigned int major;
		unsigned int minor;
		if (sscanf(line, "%d %d %u:%u", &id, &parent, &major, &minor) != 4)
			continue;
		listed = id == mountId;
		if (makedev(major, minor) == st.st_dev)
			volumeMounted = true;
	}
	free(line);
	return listed || volumeMounted;
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


status_t
BNode::get_permissions(const struct stat& st, mode_t* perms) const
{
	// A link has no list of its own, and the one /proc would lead to is its target's.
	if (S_ISLNK(st.st_mode)) {
		*perms = st.st_mode & 07777;
		return B_OK;
	}
	int error = BPrivate::get_access(fFd, st, perms);
	if (error != 0)
		return fail_with_errno(error, errno_to_status(error));
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
	// Changing a node that no path reaches any more would report a change nobody can see.
	if (!is_reachable(fFd, current))
		return fail_with_errno(ENOENT, B_BAD_VALUE);

	bool kept = false;
	int error = BPrivate::set_access(fFd, st.st_mode & 07777, &kept);
	if (error != 0)
		return fail_with_errno(error, status_for_write_error(error));
	// Some volumes (FAT, exFAT, NTFS without permissions, FUSE file systems) accept a change
	// of mode and keep nothing of it.
	if (!kept)
		return fail_with_errno(0, B_MISMATCHED_VALUES);
	return B_OK;
}
