/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <storage/private/AccessList.h>

#include <errno.h>
#include <stdio.h>
#include <sys/acl.h>

#include <memory>
#include <type_traits>

#include <acl/libacl.h>


namespace {

struct AclDeleter {
	void operator()(std::remove_pointer<acl_t>::type* acl) const { acl_free(acl); }
};

typedef std::unique_ptr<std::remove_pointer<acl_t>::type, AclDeleter> AclHolder;

const mode_t kNineBits = 0777;


// The descriptor's link in /proc resolves to the very inode it holds, whatever its entry names
// now; the xattr calls refuse O_PATH descriptors themselves.
struct DescriptorPath {
	explicit DescriptorPath(int fd) { snprintf(path, sizeof(path), "/proc/self/fd/%d", fd); }

	char path[32];
};


/*!	Reads the node's access list into _acl, or leaves it empty when the node has none beyond
	what its mode says, or its volume keeps no lists. Returns 0 or the system's error.
*/
int
read_extended_list(int fd, AclHolder* _acl)
{
	_acl->reset();
	DescriptorPath descriptor(fd);
	AclHolder acl(acl_get_file(descriptor.path, ACL_TYPE_ACCESS));
	if (acl == NULL) {
		int error = errno;
		if (error == ENOTSUP || error == ENODATA || error == ENOSYS)
			return 0;
		return error;
	}
	int equivalent = acl_equiv_mode(acl.get(), NULL);
	if (equivalent < 0)
		return errno;
	if (equivalent == 1)
		*_acl = std::move(acl);
	return 0;
}


mode_t
bits_of(acl_entry_t entry)
{
	acl_permset_t permset;
	if (acl_get_permset(entry, &permset) != 0)
		return 0;
	return (acl_get_perm(permset, ACL_READ) == 1 ? 4 : 0)
		| (acl_get_perm(permset, ACL_WRITE) == 1 ? 2 : 0)
		| (acl_get_perm(permset, ACL_EXECUTE) == 1 ? 1 : 0);
}


[[nodiscard]] int
set_bits(acl_entry_t entry, mode_t bits)
{
	acl_permset_t permset;
	if (acl_get_permset(entry, &permset) != 0 || acl_clear_perms(permset) != 0)
		return errno;
	if (((bits & 4) != 0 && acl_add_perm(permset, ACL_READ) != 0)
		|| ((bits & 2) != 0 && acl_add_perm(permset, ACL_WRITE) != 0)
		|| ((bits & 1) != 0 && acl_add_perm(permset, ACL_EXECUTE) != 0)) {
		return errno;
	}
	return acl_set_permset(entry, permset) == 0 ? 0 : errno;
}


bool
is_named(acl_tag_t tag)
{
	return tag == ACL_USER || tag == ACL_GROUP;
}


mode_t
mask_of(acl_t acl)
{
	acl_entry_t entry;
	for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
		 which = ACL_NEXT_ENTRY) {
		acl_tag_t tag;
		if (acl_get_tag_type(entry, &tag) == 0 && tag == ACL_MASK)
			return bits_of(entry);
	}
	// Without a mask nothing is held back.
	return 7;
}


/*!	Rewrites acl for perms as set_access describes it, and returns the mask it gave the list in
	_mask. Returns 0 or the system's error.
*/
int
rewrite_list(acl_t acl, mode_t perms, mode_t* _mask)
{
	mode_t oldMask = mask_of(acl);
	mode_t group = (perms >> 3) & 7;

	mode_t mask = group;
	acl_entry_t entry;
	for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
		 which = ACL_NEXT_ENTRY) {
		acl_tag_t tag;
		if (acl_get_tag_type(entry, &tag) != 0)
			return errno;
		if (is_named(tag))
			mask |= bits_of(entry) & oldMask;
	}

	for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
		 which = ACL_NEXT_ENTRY) {
		acl_tag_t tag;
		if (acl_get_tag_type(entry, &tag) != 0)
			return errno;
		mode_t bits = bits_of(entry);
		switch (tag) {
			case ACL_USER_OBJ:
				bits = (perms >> 6) & 7;
				break;
			case ACL_GROUP_OBJ:
				bits = group;
				break;
			case ACL_OTHER:
				bits = perms & 7;
				break;
			case ACL_MASK:
				bits = mask;
				break;
			default:
			{
				// Bits the old mask held back stay in the entry only where the new mask
				// holds them back too.
				mode_t effective = bits & oldMask;
				bits &= ~(mask & ~effective);
				break;
			}
		}
		int error = set_bits(entry, bits);
		if (error != 0)
			return error;
	}
	*_mask = mask;
	return 0;
}


// Whether the node's mode has the nine bits of mode, and its list (if list is not NULL) equals
// list. Setuid, setgid and sticky are not compared: the kernel drops setgid itself when the
// writer is not in the file's group, which is no fault of the volume, and no box asked for it.
bool
reads_back_as(int fd, mode_t mode, acl_t list)
{
	struct stat st;
	if (fstat(fd, &st) != 0 || (st.st_mode & kNineBits) != (mode & kNineBits))
		return false;
	if (list == NULL)
		return true;
	DescriptorPath descriptor(fd);
	AclHolder stored(acl_get_file(descriptor.path, ACL_TYPE_ACCESS));
	return stored != NULL && acl_cmp(stored.get(), list) == 0;
}

} // namespace


namespace BPrivate {

int
get_access(int fd, const struct stat& st, mode_t* _perms)
{
	AclHolder acl;
	int error = read_extended_list(fd, &acl);
	if (error != 0)
		return error;
	mode_t perms = st.st_mode & 07777;
	if (acl != NULL) {
		mode_t group = 0;
		acl_entry_t entry;
		for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl.get(), which, &entry) == 1;
			 which = ACL_NEXT_ENTRY) {
			acl_tag_t tag;
			if (acl_get_tag_type(entry, &tag) == 0 && tag == ACL_GROUP_OBJ)
				group = bits_of(entry);
		}
		perms = (perms & ~070) | ((group & mask_of(acl.get())) << 3);
	}
	*_perms = perms;
	return 0;
}


int
set_access(int fd, mode_t perms, bool* _kept)
{
	perms &= 07777;
	AclHolder acl;
	int error = read_extended_list(fd, &acl);
	if (error != 0)
		return error;

	DescriptorPath descriptor(fd);
	mode_t mode = perms;
	if (acl != NULL) {
		mode_t mask = 0;
		error = rewrite_list(acl.get(), perms, &mask);
		if (error != 0)
			return error;
		if (acl_set_file(descriptor.path, ACL_TYPE_ACCESS, acl.get()) != 0)
			return errno;
		// The list sets the nine bits of the mode, the mask as its group bits; setuid, setgid
		// and sticky only a change of mode sets, and it then finds the list's bits in place.
		mode = (perms & ~kNineBits) | (perms & 0707) | (mask << 3);
		struct stat st;
		if (fstat(fd, &st) != 0)
			return errno;
		if ((st.st_mode & 07777) != mode && chmod(descriptor.path, mode) != 0)
			return errno;
	} else if (chmod(descriptor.path, mode) != 0) {
		return errno;
	}
	*_kept = reads_back_as(fd, mode, acl.get());
	return 0;
}

} // namespace BPrivate
