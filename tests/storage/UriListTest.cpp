/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <storage/private/UriList.h>

#include <limits.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>


using namespace BPrivate;


namespace {

std::vector<std::string>
files_of(const std::string& text)
{
	std::vector<std::string> paths;
	if (!parse_uri_list(text.data(), text.size(), &paths))
		return {"<not files>"};
	return paths;
}


// The bytes of a literal, NULs inside included.
template<size_t N>
std::string
bytes(const char (&text)[N])
{
	return std::string(text, N - 1);
}


std::string
path_of(const char* uri)
{
	std::string path;
	if (path_for_file_uri(uri, &path) != B_OK)
		return "<bad>";
	return path;
}

} // namespace


TEST(UriListTest, FileUrisDecodeToBytes)
{
	EXPECT_EQ(path_of("file:///tmp/a%20b.txt"), "/tmp/a b.txt");
	EXPECT_EQ(path_of("file://localhost/tmp/x"), "/tmp/x");
	EXPECT_EQ(path_of("FILE://LocalHost/tmp/x"), "/tmp/x");
	EXPECT_EQ(path_of("file:/tmp/x"), "/tmp/x");
	EXPECT_EQ(path_of("file:///tmp/100%25/%23hash"), "/tmp/100%/#hash");
	EXPECT_EQ(path_of("file:///tmp/caf%C3%A9"), "/tmp/caf\xc3\xa9");
	// Names are bytes: Latin-1 stays Latin-1.
	EXPECT_EQ(path_of("file:///tmp/caf%e9"), "/tmp/caf\xe9");
	EXPECT_EQ(path_of("file:///"), "/");
}


TEST(UriListTest, FileUrisThatNameNoLocalFileAreRefused)
{
	EXPECT_EQ(path_of("file://elsewhere/tmp/x"), "<bad>");
	EXPECT_EQ(path_of("file://localhost"), "<bad>");
	EXPECT_EQ(path_of("file:relative/x"), "<bad>");
	EXPECT_EQ(path_of("http://localhost/tmp/x"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%00b"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%2Fb"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%2fb"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%zzb"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%2"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a%"), "<bad>");
	EXPECT_EQ(path_of("file:///tmp/a#fragment"), "<bad>");
	// A NUL as it is, not escaped, would cut the path short just as well; in the host too.
	std::string path;
	EXPECT_EQ(path_for_file_uri(bytes("file:///etc/passwd\0.txt"), &path), B_BAD_VALUE);
	EXPECT_EQ(path_for_file_uri(bytes("file://localhost\0x/tmp/a"), &path), B_BAD_VALUE);
	std::string list = bytes("file:///tmp/a%20b\r\nfile://loca\0lhost/etc/hostname\n");
	EXPECT_EQ(path_for_uri_list_line(list, &path), B_BAD_VALUE);
	EXPECT_EQ(files_of(list), std::vector<std::string>{"<not files>"});
}


TEST(UriListTest, ListsSkipCrBlankAndCommentLines)
{
	EXPECT_EQ(files_of("file:///a\r\nfile:///b%20c\r\n"), (std::vector<std::string>{"/a", "/b c"}));
	EXPECT_EQ(files_of("# comment\n\nfile:///a\n\n/plain/path\n"),
		(std::vector<std::string>{"/a", "/plain/path"}));
	EXPECT_EQ(files_of("file:///no/newline"), (std::vector<std::string>{"/no/newline"}));
	EXPECT_EQ(files_of("/raw/caf\xe9\n"), (std::vector<std::string>{"/raw/caf\xe9"}));
	// Order and duplicates are kept as dropped.
	EXPECT_EQ(files_of("file:///b\nfile:///a\nfile:///b\n"),
		(std::vector<std::string>{"/b", "/a", "/b"}));
}


TEST(UriListTest, AnythingButLocalFilesIsText)
{
	EXPECT_EQ(files_of(""), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("\r\n\n# only a comment\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("hello, world"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("file:///a\nhello\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("file:///a\nfile://remote/b\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("https://example.org/\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("relative/path\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of("file:///a%00\n"), std::vector<std::string>{"<not files>"});
	EXPECT_EQ(files_of(std::string("/a\0b\n", 5)), std::vector<std::string>{"<not files>"});
}


TEST(UriListTest, CommandLineItems)
{
	char folder[PATH_MAX];
	ASSERT_NE(getcwd(folder, sizeof(folder)), nullptr);
	std::string cwd(folder);
	std::string prefix = cwd == "/" ? "/" : cwd + "/";

	std::string path;
	ASSERT_EQ(path_for_item("notes.txt", &path), B_OK);
	EXPECT_EQ(path, prefix + "notes.txt");
	ASSERT_EQ(path_for_item("../up/a b", &path), B_OK);
	EXPECT_EQ(path, prefix + "../up/a b");
	// A colon makes no URI of a file name.
	ASSERT_EQ(path_for_item("a:b", &path), B_OK);
	EXPECT_EQ(path, prefix + "a:b");
	ASSERT_EQ(path_for_item("/abs/caf\xe9", &path), B_OK);
	EXPECT_EQ(path, "/abs/caf\xe9");
	ASSERT_EQ(path_for_item("file:///tmp/x%20y", &path), B_OK);
	EXPECT_EQ(path, "/tmp/x y");

	EXPECT_EQ(path_for_item("", &path), B_BAD_VALUE);
	EXPECT_EQ(path_for_item(NULL, &path), B_BAD_VALUE);
	EXPECT_EQ(path_for_item("sftp://host/tmp/x", &path), B_BAD_VALUE);
	EXPECT_EQ(path_for_item("file://host/tmp/x", &path), B_BAD_VALUE);
	EXPECT_EQ(path_for_item("file:///tmp/%00", &path), B_BAD_VALUE);
}
