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


// A volume unmounted lazily keeps its open nodes, but no path reaches them: they count as gone.
// Mounted elsewhere too, the volume still shows the node there, and it is written.
TEST(ReadOnlyVolumeTest, NodeOfAnUnmountedVolumeIsNotWritten)
{
	if (!in_private_user_namespace())
		GTEST_SKIP() << "must run under unshare -Urm, so as not to mount for the whole system";

	TempFolder folder;
	TempFolder elsewhere;
	ASSERT_TRUE(folder.IsValid() && elsewhere.IsValid());
	ScratchVolume volume(folder.Path());
	ASSERT_TRUE(volume.IsMounted()) << strerror(errno);
	ASSERT_TRUE(folder.MakeFile("gone", 0644)) << strerror(errno);
	BNode gone((folder / "gone").c_str());
	ASSERT_EQ(gone.InitCheck(), B_OK);
	ASSERT_EQ(umount2(folder.Path().c_str(), MNT_DETACH), 0);
	errno = 0;
	EXPECT_EQ(gone.SetPermissions(0600), B_BAD_VALUE);
	EXPECT_EQ(errno, ENOENT);

	ScratchVolume second(folder.Path());
	ASSERT_TRUE(second.IsMounted()) << strerror(errno);
	ASSERT_TRUE(folder.MakeFile("shown", 0644)) << strerror(errno);
	ASSERT_EQ(mount(folder.Path().c_str(), elsewhere.Path().c_str(), NULL, MS_BIND, NULL), 0);
	BNode shown((folder / "shown").c_str());
	ASSERT_EQ(shown.InitCheck(), B_OK);
	ASSERT_EQ(umount2(folder.Path().c_str(), MNT_DETACH), 0);
	EXPECT_EQ(shown.SetPermissions(0600), B_OK);
	struct stat st;
	ASSERT_EQ(stat((elsewhere / "shown").c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0600u);
	umount2(elsewhere.Path().c_str(), MNT_DETACH);
}
