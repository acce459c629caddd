/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Statable.h>

#include <StorageDefs.h>


BStatable::~BStatable()
{
}


status_t
BStatable::GetPermissions(mode_t* perms) const
{
	if (perms == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	return get_permissions(st, perms);
}


status_t
BStatable::get_permissions(const struct stat& st, mode_t* perms) const
{
	*perms = st.st_mode & 07777;
	return B_OK;
}


status_t
BStatable::SetPermissions(mode_t perms)
{
	struct stat st = {};
	st.st_mode = perms;
	return set_stat(st, B_STAT_MODE);
}


status_t
BStatable::GetOwner(uid_t* owner) const
{
	if (owner == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	*owner = st.st_uid;
	return B_OK;
}


status_t
BStatable::GetGroup(gid_t* group) const
{
	if (group == NULL)
		return B_BAD_VALUE;
	struct stat st;
	status_t status = GetStat(&st);
	if (status != B_OK)
		return status;
	*group = st.st_gid;
	return B_OK;
}


bool
BStatable::IsFile() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}


bool
BStatable::IsDirectory() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}


bool
BStatable::IsSymLink() const
{
	struct stat st;
	return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}
