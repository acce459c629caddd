/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _STATABLE_H
#define _STATABLE_H


#include <sys/stat.h>
#include <sys/types.h>

#include <SupportDefs.h>


class BStatable {
public:
	virtual ~BStatable();

	virtual status_t GetStat(struct stat* st) const = 0;

	// The permission word: the nine POSIX bits and setuid, setgid and sticky (07777).
	status_t GetPermissions(mode_t* perms) const;
	// Writes the permission word as given. On failure errno holds the system's error.
	// B_NOT_ALLOWED on a read-only volume, B_BAD_VALUE when the node is gone (deleted while
	// open), B_UNSUPPORTED for a node that can't have its own permissions (a symbolic link).
	status_t SetPermissions(mode_t perms);

	status_t GetOwner(uid_t* owner) const;
	status_t GetGroup(gid_t* group) const;
	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

private:
	virtual status_t set_stat(struct stat& st, uint32 what) = 0;
};


#endif // _STATABLE_H
