/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/DropMessage.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <AppDefs.h>
#include <Entry.h>
#include <TypeConstants.h>
#include <gtest/gtest.h>


using namespace BPrivate;


namespace {

// The names of the refs a drop of the text makes, or what it is if it makes none.
std::vector<std::string>
dropped(const std::string& text)
{
	BMessage message = drop_message(text.data(), text.size());
	if (message.what == B_MIME_DATA) {
		const void* data;
		ssize_t size;
		if (message.FindData("text/plain", B_MIME_TYPE, &data, &size) != B_OK)
			return {"<no text>"};
		return {"<text>", std::string(static_cast<const char*>(data), size)};
	}
	std::vector<std::string> names;
	entry_ref ref;
	for (int32 i = 0; message.FindRef("refs", i, &ref) == B_OK; i++)
		names.push_back(ref.name);
	return names;
}


class DropMessageTest : public testing::Test {
protected:
	void SetUp() override
	{
		char folder[] = "/tmp/drop-message-XXXXXX";
		ASSERT_NE(mkdtemp(folder), nullptr);
		fFolder = folder;
	}

	void TearDown() override { std::filesystem::remove_all(fFolder); }

	void Make(const std::string& name)
	{
		int fd = open((fFolder + "/" + name).c_str(), O_CREAT | O_WRONLY, 0644);
		ASSERT_GE(fd, 0);
		close(fd);
	}

	std::string fFolder;
};

} // namespace


TEST_F(DropMessageTest, RefsOnlyForEntriesThatExist)
{
	Make("a b");
	Make("new\nline");
	Make("caf\xe9");
	ASSERT_EQ(symlink("/nonexistent/target", (fFolder + "/dangling").c_str()), 0);
	std::string uri = "file://" + fFolder;
	EXPECT_EQ(dropped(uri + "/gone\r\n" + uri + "/a%20b\r\n" + uri + "/no/such/x\r\n" + uri
				  + "/new%0Aline\r\n" + fFolder + "/caf\xe9\n" + uri + "/dangling\n"),
		(std::vector<std::string>{"a b", "new\nline", "caf\xe9", "dangling"}));
}


TEST_F(DropMessageTest, DropsThatNameNothingThatExistsAreText)
{
	std::string list = "file://" + fFolder + "/gone\r\nfile://" + fFolder + "/x/y\r\n";
	EXPECT_EQ(dropped(list), (std::vector<std::string>{"<text>", list}));
	EXPECT_EQ(dropped(""), (std::vector<std::string>{"<text>", ""}));
	EXPECT_EQ(dropped("hello\n"), (std::vector<std::string>{"<text>", "hello\n"}));
}
