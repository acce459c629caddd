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

	// The permission word: the nine POSIX bits and setuid, setgid and sticky (07777). The nine
	// bits say what the owner, the owning group and others may do: for a node with a POSIX
	// access list, the group bits are the owning group's entry as the list's mask lets it, not
	// the mask that the mode's group bits hold.
	status_t GetPermissions(mode_t* perms) const;
	// Writes the permission word as GetPermissions reads it; named users and groups of an
	// access list keep the access they had. On failure errno holds the system's error.
	// B_NOT_ALLOWED on a read-only volume, B_BAD_VALUE when no path reaches the node any more
	// (deleted, or its volume unmounted, while open), B_UNSUPPORTED for a node that can't have
	// its own permissions (a symbolic link), B_MISMATCHED_VALUES when the write was accepted
	// but the node read back otherwise (a volume that keeps no permissions).
	status_t SetPermissions(mode_t perms);

	status_t GetOwner(uid_t* owner) const;
	status_t GetGroup(gid_t* group) const;
	bool IsFile() const;
	bool IsDirectory() const;
	bool IsSymLink() const;

private:
	// The permission word of the node whose status is st; by default the mode's bits.
	virtual status_t get_permissions(const struct stat& st, mode_t* perms) const;
	virtual status_t set_stat(struct stat& st, uint32 what) = 0;
};


#endif // _STATABLE_H
