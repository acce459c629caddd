/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <errno.h>
#include <gtest/gtest.h>
#include <libgen.h>
#include <limits.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <Entry.h>

#include "TempFolder.h"


namespace {


std::string
path_of(const entry_ref& ref)
{
	char path[PATH_MAX + B_FILE_NAME_LENGTH];
	if (get_path_for_ref(&ref, path, sizeof(path)) != B_OK)
		return "<no path>";
	return path;
}


std::string
name_of(const entry_ref& ref)
{
	BEntry entry(&ref);
	char name[B_FILE_NAME_LENGTH];
	if (entry.GetName(name) != B_OK)
		return "<no name>";
	return name;
}


// Switches to a folder for one test and back again.
class CurrentFolder {
public:
	explicit CurrentFolder(const std::string& path)
	{
		fSaved = getcwd(NULL, 0);
		fChanged = chdir(path.c_str()) == 0;
	}

	~CurrentFolder()
	{
		if (fSaved != NULL && chdir(fSaved) != 0)
			perror("chdir");
		free(fSaved);
	}

	bool IsValid() const { return fChanged; }

private:
	char* fSaved;
	bool fChanged;
};


class EntryTest : public ::testing::Test {
protected:
	void SetUp() override { ASSERT_TRUE(fFolder.IsValid()); }

	void ExpectRef(const char* path, const std::string& folder, const std::string& name)
	{
		SCOPED_TRACE(path);
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path(path, &ref), B_OK);
		struct stat st;
		ASSERT_EQ(stat(folder.c_str(), &st), 0);
		EXPECT_EQ(ref.device, st.st_dev);
		EXPECT_EQ(ref.directory, st.st_ino);
		EXPECT_STREQ(ref.directory_path(), folder.c_str());
		EXPECT_STREQ(ref.name, name.c_str());
	}

	TempFolder fFolder;
};


} // namespace


TEST_F(EntryTest, AbsoluteAndRelativePathsNameTheSameEntry)
{
	ASSERT_TRUE(fFolder.MakeFile("file"));
	ASSERT_EQ(mkdir((fFolder / "sub").c_str(), 0755), 0);
	ExpectRef((fFolder / "file").c_str(), fFolder.Path(), "file");
	ExpectRef((fFolder / "sub//file").c_str(), fFolder / "sub", "file");

	CurrentFolder current(fFolder / "sub");
	ASSERT_TRUE(current.IsValid());
	ExpectRef("file", fFolder / "sub", "file");
	ExpectRef("../file", fFolder.Path(), "file");
	ExpectRef("./../sub/x", fFolder / "sub", "x");

	entry_ref ref;
	ASSERT_EQ(get_ref_for_path("../file", &ref), B_OK);
	EXPECT_EQ(path_of(ref), fFolder / "file");
	BEntry entry(&ref);
	EXPECT_EQ(entry.InitCheck(), B_OK);
	EXPECT_TRUE(entry.Exists());
}


TEST_F(EntryTest, TrailingSlashesAndDotsNameTheFolderItself)
{
	ASSERT_EQ(mkdir((fFolder / "dir").c_str(), 0755), 0);
	ASSERT_EQ(mkdir((fFolder / "dir/sub").c_str(), 0755), 0);
	ExpectRef((fFolder / "dir/").c_str(), fFolder.Path(), "dir");
	ExpectRef((fFolder / "dir///").c_str(), fFolder.Path(), "dir");
	ExpectRef((fFolder / "dir/.").c_str(), fFolder.Path(), "dir");
	ExpectRef((fFolder / "dir/sub/..").c_str(), fFolder.Path(), "dir");
	ExpectRef((fFolder / "dir/sub/../.").c_str(), fFolder.Path(), "dir");

	std::string copy = fFolder.Path();
	std::string parent = dirname(copy.data());
	copy = fFolder.Path();
	std::string leaf = basename(copy.data());
	ExpectRef((fFolder / ".").c_str(), parent, leaf);
}


TEST_F(EntryTest, RootHasARefThatOpensAndReadsBackAsSlash)
{
	entry_ref root;
	ASSERT_EQ(get_ref_for_path("/", &root), B_OK);
	struct stat st;
	ASSERT_EQ(stat("/", &st), 0);
	EXPECT_EQ(root.device, st.st_dev);
	EXPECT_EQ(root.directory, st.st_ino);
	EXPECT_EQ(path_of(root), "/");
	EXPECT_EQ(name_of(root), "/");

	for (const char* path : {"//", "/.", "/..", "/tmp/.."}) {
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path(path, &ref), B_OK) << path;
		EXPECT_EQ(ref, root) << path;
		EXPECT_EQ(path_of(ref), "/") << path;
	}

	entry_ref top;
	ASSERT_EQ(get_ref_for_path("/tmp", &top), B_OK);
	EXPECT_EQ(path_of(top), "/tmp");
}


TEST_F(EntryTest, SymbolicLinkLeafIsNamedNotFollowed)
{
	ASSERT_TRUE(fFolder.MakeFile("target"));
	ASSERT_EQ(mkdir((fFolder / "dir").c_str(), 0755), 0);
	ASSERT_EQ(symlink("target", (fFolder / "link").c_str()), 0);
	ASSERT_EQ(symlink("dir", (fFolder / "dirlink").c_str()), 0);
	ASSERT_EQ(symlink("nowhere", (fFolder / "dangling").c_str()), 0);

	ExpectRef((fFolder / "link").c_str(), fFolder.Path(), "link");
	ExpectRef((fFolder / "dirlink/").c_str(), fFolder.Path(), "dirlink");
	// A link in the folder part is resolved, so the stored folder path is canonical.
	ExpectRef((fFolder / "dirlink/x").c_str(), fFolder / "dir", "x");

	entry_ref link;
	ASSERT_EQ(get_ref_for_path((fFolder / "link").c_str(), &link), B_OK);
	BEntry traversed(&link, true);
	ASSERT_EQ(traversed.InitCheck(), B_OK);
	entry_ref target;
	ASSERT_EQ(traversed.GetRef(&target), B_OK);
	EXPECT_STREQ(target.name, "target");
	EXPECT_EQ(target.directory, link.directory);

	BEntry dangling((fFolder / "dangling").c_str());
	EXPECT_EQ(dangling.InitCheck(), B_OK);
	EXPECT_TRUE(dangling.Exists());
	BEntry danglingTraversed((fFolder / "dangling").c_str(), true);
	EXPECT_EQ(danglingTraversed.InitCheck(), B_ENTRY_NOT_FOUND);
}


TEST_F(EntryTest, MissingLeafIsAnAbstractEntryButMissingFolderIsAnError)
{
	ASSERT_TRUE(fFolder.MakeFile("file"));
	BEntry missing((fFolder / "not-yet").c_str());
	ASSERT_EQ(missing.InitCheck(), B_OK);
	EXPECT_FALSE(missing.Exists());
	char path[PATH_MAX];
	ASSERT_EQ(missing.GetPath(path, sizeof(path)), B_OK);
	EXPECT_EQ(std::string(path), fFolder / "not-yet");
	ASSERT_TRUE(fFolder.MakeFile("not-yet"));
	EXPECT_TRUE(missing.Exists());

	entry_ref ref;
	EXPECT_EQ(get_ref_for_path("", &ref), B_BAD_VALUE);
	EXPECT_EQ(get_ref_for_path(NULL, &ref), B_BAD_VALUE);
	EXPECT_EQ(get_ref_for_path((fFolder / "nowhere/x").c_str(), &ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path((fFolder / "nowhere/..").c_str(), &ref), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(get_ref_for_path((fFolder / "file/x").c_str(), &ref), B_NOT_A_DIRECTORY);
	EXPECT_EQ(BEntry((fFolder / "nowhere/x").c_str()).InitCheck(), B_ENTRY_NOT_FOUND);
}


TEST_F(EntryTest, LeafMayHaveAtMost255Bytes)
{
	std::string longest(255, 'n');
	ASSERT_TRUE(fFolder.MakeFile(longest));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((fFolder / longest).c_str(), &ref), B_OK);
	EXPECT_EQ(name_of(ref), longest);
	EXPECT_TRUE(BEntry(&ref).Exists());

	EXPECT_EQ(get_ref_for_path((fFolder / (longest + "n")).c_str(), &ref), B_NAME_TOO_LONG);

	// A ref made by hand can hold more than a name buffer takes.
	entry_ref tooLong(ref.device, ref.directory, (longest + "n").c_str());
	ASSERT_EQ(tooLong.set_directory_path(fFolder.Path().c_str()), B_OK);
	BEntry entry(&tooLong);
	ASSERT_EQ(entry.InitCheck(), B_OK);
	char name[B_FILE_NAME_LENGTH];
	EXPECT_EQ(entry.GetName(name), B_NAME_TOO_LONG);
}


TEST_F(EntryTest, NamesAreKeptByteForByte)
{
	for (std::string name :
		{"line\nbreak", "\xff\xfe latin\xe9", "100%20 sure %s", " spaced out ", "tab\there"}) {
		SCOPED_TRACE(name);
		ASSERT_TRUE(fFolder.MakeFile(name));
		entry_ref ref;
		ASSERT_EQ(get_ref_for_path((fFolder / name).c_str(), &ref), B_OK);
		EXPECT_EQ(name_of(ref), name);
		EXPECT_EQ(path_of(ref), fFolder / name);
		EXPECT_TRUE(BEntry(&ref).Exists());
	}
}


TEST_F(EntryTest, PathMustFitTheBuffer)
{
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((fFolder / "file").c_str(), &ref), B_OK);
	std::string expected = fFolder / "file";
	std::string buffer(expected.size() + 1, 'x');
	EXPECT_EQ(get_path_for_ref(&ref, buffer.data(), expected.size()), B_NAME_TOO_LONG);
	ASSERT_EQ(get_path_for_ref(&ref, buffer.data(), expected.size() + 1), B_OK);
	EXPECT_STREQ(buffer.c_str(), expected.c_str());
	EXPECT_EQ(get_path_for_ref(&ref, buffer.data(), 0), B_BAD_VALUE);

	entry_ref noPath(ref.device, ref.directory, "file");
	EXPECT_EQ(get_path_for_ref(&noPath, buffer.data(), buffer.size()), B_BAD_VALUE);
	EXPECT_EQ(BEntry(&noPath).InitCheck(), B_BAD_VALUE);
	entry_ref noName;
	ASSERT_EQ(noName.set_directory_path(fFolder.Path().c_str()), B_OK);
	EXPECT_EQ(get_path_for_ref(&noName, buffer.data(), buffer.size()), B_BAD_VALUE);
	EXPECT_EQ(BEntry(&noName).InitCheck(), B_BAD_VALUE);
}


TEST_F(EntryTest, RefsCopyAndCompareByDeviceFolderAndName)
{
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((fFolder / "a").c_str(), &ref), B_OK);
	entry_ref copy(ref);
	EXPECT_EQ(copy, ref);
	EXPECT_STREQ(copy.directory_path(), ref.directory_path());
	EXPECT_NE(copy.name, ref.name);

	entry_ref assigned;
	assigned = ref;
	assigned = *&assigned;
	EXPECT_EQ(assigned, ref);
	EXPECT_EQ(path_of(assigned), fFolder / "a");

	ASSERT_EQ(assigned.set_name("b"), B_OK);
	EXPECT_NE(assigned, ref);
	EXPECT_EQ(entry_ref(1, 2, NULL), entry_ref(1, 2, NULL));
	EXPECT_NE(entry_ref(1, 2, NULL), entry_ref(1, 2, "a"));
	EXPECT_NE(entry_ref(1, 2, "a"), entry_ref(1, 2, NULL));
	EXPECT_NE(entry_ref(1, 2, "a"), entry_ref(1, 3, "a"));
	EXPECT_NE(entry_ref(1, 2, "a"), entry_ref(4, 2, "a"));
}


TEST_F(EntryTest, RefIsRefusedOnceItsFolderWasReplaced)
{
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);
	ASSERT_TRUE(fFolder.MakeFile("d/x"));
	entry_ref ref;
	ASSERT_EQ(get_ref_for_path((fFolder / "d/x").c_str(), &ref), B_OK);
	ASSERT_EQ(BEntry(&ref).InitCheck(), B_OK);

	ASSERT_EQ(rename((fFolder / "d").c_str(), (fFolder / "d.old").c_str()), 0);
	EXPECT_EQ(BEntry(&ref).InitCheck(), B_ENTRY_NOT_FOUND);
	ASSERT_EQ(mkdir((fFolder / "d").c_str(), 0755), 0);
	ASSERT_TRUE(fFolder.MakeFile("d/x"));
	BEntry entry(&ref);
	EXPECT_EQ(entry.InitCheck(), B_ENTRY_NOT_FOUND);
	EXPECT_FALSE(entry.Exists());
}


TEST_F(EntryTest, UninitialisedEntryReportsNoInit)
{
	BEntry entry;
	char name[B_FILE_NAME_LENGTH];
	entry_ref ref;
	EXPECT_EQ(entry.InitCheck(), B_NO_INIT);
	EXPECT_EQ(entry.GetName(name), B_NO_INIT);
	EXPECT_EQ(entry.GetRef(&ref), B_NO_INIT);
	EXPECT_EQ(entry.GetPath(name, sizeof(name)), B_NO_INIT);
	EXPECT_FALSE(entry.Exists());

	ASSERT_EQ(entry.SetTo(fFolder.Path().c_str()), B_OK);
	EXPECT_EQ(entry.SetTo(static_cast<const entry_ref*>(NULL)), B_BAD_VALUE);
	EXPECT_EQ(entry.GetName(name), B_NO_INIT);
}
