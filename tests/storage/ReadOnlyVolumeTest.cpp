/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// Run inside a user and mount namespace of its own (unshare -Urm), where it may mount a volume
// that nobody else sees.

#include <errno.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>

#include <Node.h>

#include "TempFolder.h"


namespace {


// The first user namespace maps every id onto itself; a private one maps a few.
bool
in_private_user_namespace()
{
	FILE* map = fopen("/proc/self/uid_map", "re");
	if (map == NULL)
		return false;
	unsigned long inside = 0;
	unsigned long outside = 0;
	unsigned long count = 0;
	bool whole = fscanf(map, "%lu %lu %lu", &inside, &outside, &count) == 3 && inside == 0
		&& outside == 0 && count == 4294967295UL;
	fclose(map);
	return !whole;
}


// A tmpfs mounted on a folder for the length of a test.
class ScratchVolume {
public:
	explicit ScratchVolume(const std::string& path)
		: fPath(path),
		  fMounted(mount("scratch", path.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0)
	{
	}

	~ScratchVolume()
	{
		if (fMounted)
			umount2(fPath.c_str(), MNT_DETACH);
	}

	ScratchVolume(const ScratchVolume&) = delete;
	ScratchVolume& operator=(const ScratchVolume&) = delete;

	bool IsMounted() const { return fMounted; }

	bool MakeReadOnly() const
	{
		return mount(NULL, fPath.c_str(), NULL, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, NULL)
			== 0;
	}

private:
	std::string fPath;
	bool fMounted;
};


} // namespace


TEST(ReadOnlyVolumeTest, PermissionWriteIsNotAllowed)
{
	if (!in_private_user_namespace())
		GTEST_SKIP() << "must run under unshare -Urm, so as not to mount for the whole system";

	TempFolder folder;
	ASSERT_TRUE(folder.IsValid());
	ScratchVolume volume(folder.Path());
	ASSERT_TRUE(volume.IsMounted()) << strerror(errno);
	ASSERT_TRUE(folder.MakeFile("file", 0644)) << strerror(errno);
	std::string path = folder / "file";
	ASSERT_TRUE(volume.MakeReadOnly()) << strerror(errno);

	BNode node(path.c_str());
	ASSERT_EQ(node.InitCheck(), B_OK);
	errno = 0;
	EXPECT_EQ(node.SetPermissions(0600), B_NOT_ALLOWED);
	EXPECT_EQ(errno, EROFS);
	struct stat st;
	ASSERT_EQ(stat(path.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0644u);
}
