/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Message.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <Entry.h>

#include <app/private/MessagePrivate.h>
#include <gtest/gtest.h>


namespace {

// what = 0 and the string field "types" holding "text/plain", as the classic writer lays it out
// without mini data, and as older writers packed it with mini data.
const std::vector<uint8> kTypesFlattened = {0x31, 0x42, 0x4f, 0x46, 0x01, 0x00, 0x00, 0x31, 0x31,
	0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x09, 0x52, 0x54, 0x53, 0x43, 0x10, 0x00, 0x00,
	0x00, 0x05, 0x74, 0x79, 0x70, 0x65, 0x73, 0x0b, 0x00, 0x00, 0x00, 0x74, 0x65, 0x78, 0x74, 0x2f,
	0x70, 0x6c, 0x61, 0x69, 0x6e, 0x00, 0x00, 0x00};
const std::vector<uint8> kTypesFlattenedMini = {0x31, 0x42, 0x4f, 0x46, 0x01, 0x00, 0x00, 0x2e,
	0x2e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x0b, 0x52, 0x54, 0x53, 0x43, 0x10, 0x05,
	0x74, 0x79, 0x70, 0x65, 0x73, 0x0b, 0x00, 0x00, 0x00, 0x74, 0x65, 0x78, 0x74, 0x2f, 0x70, 0x6c,
	0x61, 0x69, 0x6e, 0x00, 0x00, 0x00};

const size_t kHeaderSize = 17;


std::vector<uint8>
flatten(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	EXPECT_GT(size, 0);
	std::vector<uint8> buffer(size > 0 ? size : 0);
	EXPECT_EQ(message.Flatten(reinterpret_cast<char*>(buffer.data()), size), B_OK);
	return buffer;
}


status_t
unflatten(BMessage& message, const std::vector<uint8>& buffer, size_t size = SIZE_MAX)
{
	return message.Unflatten(reinterpret_cast<const char*>(buffer.data()),
		static_cast<ssize_t>(std::min(size, buffer.size())));
}


void
put_int32(std::vector<uint8>& buffer, size_t offset, int32 value)
{
	memcpy(buffer.data() + offset, &value, sizeof(value));
}


// Rewrites the flattened size and the header checksum, so that only what follows the header
// can make a buffer unreadable.
void
seal(std::vector<uint8>& buffer, size_t headerSize = kHeaderSize)
{
	put_int32(buffer, 8, static_cast<int32>(buffer.size()));
	uint32 sum = 0;
	uint32 rest = 0;
	for (size_t offset = 8; offset < headerSize; offset++) {
		rest = (rest << 8) | buffer[offset];
		if ((offset - 8) % 4 == 3) {
			sum += rest;
			rest = 0;
		}
	}
	put_int32(buffer, 4, static_cast<int32>(sum + rest));
}


// A type of its own rather than fclose's pointer, whose attributes a template argument drops.
struct FileCloser {
	void operator()(FILE* file) const { fclose(file); }
};


std::string
print_to_string(const BMessage& message)
{
	std::unique_ptr<FILE, FileCloser> file(tmpfile());
	if (file == nullptr)
		return "(no temporary file)";

	fflush(stdout);
	int savedOutput = dup(STDOUT_FILENO);
	dup2(fileno(file.get()), STDOUT_FILENO);
	message.PrintToStream();
	fflush(stdout);
	dup2(savedOutput, STDOUT_FILENO);
	close(savedOutput);

	std::string text;
	rewind(file.get());
	char chunk[4096];
	size_t length;
	while ((length = fread(chunk, 1, sizeof(chunk), file.get())) > 0)
		text.append(chunk, length);
	return text;
}


entry_ref
make_ref(dev_t device, ino_t directory, const char* name, const char* folder)
{
	entry_ref ref(device, directory, name);
	EXPECT_EQ(ref.set_directory_path(folder), B_OK);
	return ref;
}


void
expect_rejected(const std::vector<uint8>& buffer, size_t size = SIZE_MAX)
{
	BMessage message('full');
	message.AddInt32("left over", 1);
	EXPECT_NE(unflatten(message, buffer, size), B_OK);
	EXPECT_EQ(message.what, 0u);
	EXPECT_TRUE(message.IsEmpty());
}

} // namespace


TEST(MessageTest, TypedItemsRoundTrip)
{
	BMessage message('test');
	ASSERT_EQ(message.AddInt8("int8", -8), B_OK);
	ASSERT_EQ(message.AddInt16("int16", -1600), B_OK);
	ASSERT_EQ(message.AddInt32("int32", -320000), B_OK);
	ASSERT_EQ(message.AddInt64("int64", -6400000000LL), B_OK);
	ASSERT_EQ(message.AddBool("bool", true), B_OK);
	ASSERT_EQ(message.AddFloat("float", 1.5f), B_OK);
	ASSERT_EQ(message.AddDouble("double", -2.25), B_OK);
	ASSERT_EQ(message.AddPoint("point", BPoint(3, 4)), B_OK);
	ASSERT_EQ(message.AddRect("rect", BRect(1, 2, 3, 4)), B_OK);
	ASSERT_EQ(message.AddString("string", "text"), B_OK);

	int8 int8Value;
	int16 int16Value;
	int32 int32Value;
	int64 int64Value;
	bool boolValue;
	float floatValue;
	double doubleValue;
	BPoint point;
	BRect rect;
	const char* string;
	EXPECT_EQ(message.FindInt8("int8", &int8Value), B_OK);
	EXPECT_EQ(int8Value, -8);
	EXPECT_EQ(message.FindInt16("int16", &int16Value), B_OK);
	EXPECT_EQ(int16Value, -1600);
	EXPECT_EQ(message.FindInt32("int32", &int32Value), B_OK);
	EXPECT_EQ(int32Value, -320000);
	EXPECT_EQ(message.FindInt64("int64", &int64Value), B_OK);
	EXPECT_EQ(int64Value, -6400000000LL);
	EXPECT_EQ(message.FindBool("bool", &boolValue), B_OK);
	EXPECT_TRUE(boolValue);
	EXPECT_EQ(message.FindFloat("float", &floatValue), B_OK);
	EXPECT_EQ(floatValue, 1.5f);
	EXPECT_EQ(message.FindDouble("double", &doubleValue), B_OK);
	EXPECT_EQ(doubleValue, -2.25);
	EXPECT_EQ(message.FindPoint("point", &point), B_OK);
	EXPECT_EQ(point, BPoint(3, 4));
	EXPECT_EQ(message.FindRect("rect", &rect), B_OK);
	EXPECT_EQ(rect, BRect(1, 2, 3, 4));
	EXPECT_EQ(message.FindString("string", &string), B_OK);
	EXPECT_STREQ(string, "text");

	EXPECT_EQ(message.FindInt32("string", &int32Value), B_BAD_TYPE);
	EXPECT_EQ(message.FindInt32("missing", &int32Value), B_NAME_NOT_FOUND);
	EXPECT_EQ(message.FindInt32("int32", 1, &int32Value), B_BAD_INDEX);
	EXPECT_EQ(message.AddInt32("string", 1), B_BAD_TYPE);
	EXPECT_EQ(message.AddString(NULL, "x"), B_BAD_VALUE);

	// Known types keep their sizes; other fixed-size types keep the size of their first item.
	int32 wide[2] = {1, 2};
	EXPECT_EQ(message.AddData("int32", B_INT32_TYPE, wide, sizeof(wide)), B_BAD_VALUE);
	EXPECT_EQ(message.AddData("custom", 'cust', "abcdef", 6), B_OK);
	EXPECT_EQ(message.AddData("custom", 'cust', "ghijkl", 6), B_OK);
	EXPECT_EQ(message.AddData("custom", 'cust', "mnop", 4), B_BAD_VALUE);
	const void* data;
	ssize_t size;
	EXPECT_EQ(message.FindData("custom", 'cust', 1, &data, &size), B_OK);
	EXPECT_EQ(std::string(static_cast<const char*>(data), size), "ghijkl");

	// A string without its zero must not be handed out.
	EXPECT_EQ(message.AddData("unterminated", B_STRING_TYPE, "abc", 3, false), B_OK);
	EXPECT_EQ(message.FindString("unterminated", &string), B_BAD_DATA);
}


TEST(MessageTest, FieldsKeepTheirOrderAndItemsTheirIndexes)
{
	BMessage message;
	for (int32 value : {10, 20, 30})
		ASSERT_EQ(message.AddInt32("b", value), B_OK);
	ASSERT_EQ(message.AddString("a", "one"), B_OK);
	ASSERT_EQ(message.AddString("a", "two"), B_OK);
	ASSERT_EQ(message.AddBool("c", false), B_OK);

	int32 value;
	for (int32 index = 0; index < 3; index++) {
		EXPECT_EQ(message.FindInt32("b", index, &value), B_OK);
		EXPECT_EQ(value, (index + 1) * 10);
	}
	EXPECT_EQ(message.FindInt32("b", 3, &value), B_BAD_INDEX);
	EXPECT_EQ(message.FindInt32("b", -1, &value), B_BAD_INDEX);
	const char* string;
	EXPECT_EQ(message.FindString("a", 1, &string), B_OK);
	EXPECT_STREQ(string, "two");

	const char* expectedNames[] = {"b", "a", "c"};
	for (int32 index = 0; index < 3; index++) {
		const char* name;
		EXPECT_EQ(message.GetInfo(B_ANY_TYPE, index, &name, NULL), B_OK);
		EXPECT_STREQ(name, expectedNames[index]);
	}
	const char* name;
	type_code type;
	int32 count;
	EXPECT_EQ(message.GetInfo(B_STRING_TYPE, 0, &name, &type, &count), B_OK);
	EXPECT_STREQ(name, "a");
	EXPECT_EQ(type, static_cast<type_code>(B_STRING_TYPE));
	EXPECT_EQ(count, 2);
	EXPECT_EQ(message.GetInfo(B_STRING_TYPE, 1, &name, &type), B_BAD_INDEX);
	EXPECT_EQ(message.GetInfo(B_RECT_TYPE, 0, &name, &type), B_BAD_TYPE);
	EXPECT_EQ(message.CountNames(B_ANY_TYPE), 3);
	EXPECT_EQ(message.CountNames(B_INT32_TYPE), 1);
}


TEST(MessageTest, GetInfoReportsOnlyFieldsThatExist)
{
	BMessage message(B_REFS_RECEIVED);
	ASSERT_EQ(message.AddInt32("refs", 1), B_OK);
	ASSERT_EQ(message.AddInt32("refs", 2), B_OK);

	type_code type = 0;
	int32 count = 0;
	EXPECT_EQ(message.GetInfo("refs", &type, &count), B_OK);
	EXPECT_EQ(type, static_cast<type_code>(B_INT32_TYPE));
	EXPECT_EQ(count, 2);

	type = 'none';
	count = -7;
	EXPECT_EQ(message.GetInfo("other", &type, &count), B_NAME_NOT_FOUND);
	EXPECT_EQ(type, static_cast<type_code>('none'));
	EXPECT_EQ(count, -7);

	EXPECT_EQ(message.RemoveName("refs"), B_OK);
	EXPECT_EQ(message.GetInfo("refs", &type, &count), B_NAME_NOT_FOUND);
	EXPECT_FALSE(message.HasField("refs"));
	EXPECT_EQ(message.RemoveName("refs"), B_NAME_NOT_FOUND);
	EXPECT_TRUE(message.IsEmpty());

	ASSERT_EQ(message.AddString("label", "x"), B_OK);
	EXPECT_EQ(message.MakeEmpty(), B_OK);
	EXPECT_TRUE(message.IsEmpty());
	EXPECT_EQ(message.what, static_cast<uint32>(B_REFS_RECEIVED));
}


TEST(MessageTest, RefsCarryTheirFolderPath)
{
	BMessage message(B_REFS_RECEIVED);
	ASSERT_EQ(message.AddRef("refs", NULL), B_BAD_VALUE);
	entry_ref notes = make_ref(3, 12345, "notes.txt", "/boot/home");
	ASSERT_EQ(message.AddRef("refs", &notes), B_OK);
	entry_ref highDevice = make_ref(0x80000001, 7, "x", "/");
	ASSERT_EQ(message.AddRef("refs", &highDevice), B_OK);
	entry_ref unset;
	ASSERT_EQ(message.AddRef("refs", &unset), B_OK);

	entry_ref found;
	ASSERT_EQ(message.FindRef("refs", &found), B_OK);
	EXPECT_EQ(found.device, 3u);
	EXPECT_EQ(found.directory, 12345u);
	EXPECT_STREQ(found.name, "notes.txt");
	EXPECT_STREQ(found.directory_path(), "/boot/home");
	ASSERT_EQ(message.FindRef("refs", 1, &found), B_OK);
	EXPECT_EQ(found, highDevice);
	ASSERT_EQ(message.FindRef("refs", 2, &found), B_OK);
	EXPECT_EQ(found, unset);
	EXPECT_EQ(message.FindRef("refs", 3, &found), B_BAD_INDEX);

	// Readers that know only device, folder and name stop at the name's zero.
	const void* data;
	ssize_t size;
	ASSERT_EQ(message.FindData("refs", B_REF_TYPE, 0, &data, &size), B_OK);
	const char expected[] = "\3\0\0\0\x39\x30\0\0\0\0\0\0notes.txt\0/boot/home";
	ASSERT_EQ(size, static_cast<ssize_t>(sizeof(expected)));
	EXPECT_EQ(memcmp(data, expected, sizeof(expected)), 0);

	// Refs written without the folder still read, but a damaged one does not.
	BMessage other;
	const char withoutFolder[] = "\3\0\0\0\x39\x30\0\0\0\0\0\0old";
	ASSERT_EQ(other.AddData("refs", B_REF_TYPE, withoutFolder, sizeof(withoutFolder), false), B_OK);
	ASSERT_EQ(other.AddData("refs", B_REF_TYPE, withoutFolder, sizeof(withoutFolder) - 1, false),
		B_OK);
	ASSERT_EQ(other.AddData("refs", B_REF_TYPE, withoutFolder, 8, false), B_OK);
	ASSERT_EQ(other.FindRef("refs", 0, &found), B_OK);
	EXPECT_STREQ(found.name, "old");
	EXPECT_EQ(found.directory_path(), nullptr);
	EXPECT_EQ(other.FindRef("refs", 1, &found), B_BAD_DATA);
	EXPECT_EQ(other.FindRef("refs", 2, &found), B_BAD_DATA);

	ASSERT_EQ(other.AddString("names", "notes.txt"), B_OK);
	EXPECT_EQ(other.FindRef("names", &found), B_BAD_TYPE);
}


TEST(MessageTest, CopiesCarryFieldsAndDropState)
{
	BMessage plain;
	EXPECT_FALSE(plain.WasDropped());
	BPoint offset(9, 9);
	EXPECT_EQ(plain.DropPoint(&offset), BPoint(0, 0));
	EXPECT_EQ(offset, BPoint(0, 0));

	BMessage original(B_SIMPLE_DATA);
	ASSERT_EQ(original.AddString("name", "value"), B_OK);
	BMessage::Private(&original).SetWasDropped(true, BPoint(5, 6));
	EXPECT_TRUE(original.WasDropped());

	BMessage copy(original);
	BMessage assigned;
	assigned.AddInt32("replaced", 1);
	assigned = original;
	for (BMessage* message : {&copy, &assigned}) {
		const char* string;
		EXPECT_EQ(message->what, static_cast<uint32>(B_SIMPLE_DATA));
		EXPECT_EQ(message->FindString("name", &string), B_OK);
		EXPECT_STREQ(string, "value");
		EXPECT_FALSE(message->HasField("replaced"));
		EXPECT_TRUE(message->WasDropped());
		EXPECT_EQ(message->DropPoint(), BPoint(5, 6));
	}

	ASSERT_EQ(copy.AddString("name", "more"), B_OK);
	int32 count = 0;
	original.GetInfo("name", NULL, &count);
	EXPECT_EQ(count, 1);
}


TEST(MessageTest, FlattensTheClassicLayout)
{
	BMessage message;
	ASSERT_EQ(message.AddString("types", "text/plain"), B_OK);
	EXPECT_EQ(message.FlattenedSize(), 49);
	EXPECT_EQ(flatten(message), kTypesFlattened);

	char small[48];
	EXPECT_EQ(message.Flatten(small, sizeof(small)), B_BAD_VALUE);
	EXPECT_EQ(message.Flatten(NULL, 100), B_BAD_VALUE);

	// The name's length is a single byte.
	BMessage named;
	ASSERT_EQ(named.AddInt32(std::string(255, 'n').c_str(), 1), B_OK);
	EXPECT_GT(named.FlattenedSize(), 0);
	ASSERT_EQ(named.AddInt32(std::string(256, 'n').c_str(), 1), B_OK);
	std::vector<char> buffer(1024);
	EXPECT_EQ(named.FlattenedSize(), B_BAD_VALUE);
	EXPECT_EQ(named.Flatten(buffer.data(), buffer.size()), B_BAD_VALUE);
}


TEST(MessageTest, UnflattensEveryWriterStyle)
{
	std::vector<uint8> withRouting(kTypesFlattened);
	// Target token and reply details (20 bytes) follow the header when flags 0x02 and 0x04 are set.
	withRouting[16] = 0x07;
	withRouting.insert(withRouting.begin() + kHeaderSize, 20, 0x5a);
	seal(withRouting, kHeaderSize + 20);

	const std::vector<uint8>* buffers[] = {&kTypesFlattened, &kTypesFlattenedMini, &withRouting};
	for (const std::vector<uint8>* buffer : buffers) {
		BMessage message('old ');
		ASSERT_EQ(unflatten(message, *buffer), B_OK);
		EXPECT_EQ(message.what, 0u);
		const char* string;
		EXPECT_EQ(message.FindString("types", &string), B_OK);
		EXPECT_STREQ(string, "text/plain");
		EXPECT_EQ(message.CountNames(B_ANY_TYPE), 1);
		EXPECT_EQ(flatten(message), kTypesFlattened);
	}

	// Trailing bytes after the flattened size are not part of the message.
	std::vector<uint8> padded(kTypesFlattened);
	padded.resize(padded.size() + 10, 0xff);
	BMessage message;
	EXPECT_EQ(unflatten(message, padded), B_OK);
}


TEST(MessageTest, FlatteningKeepsEveryField)
{
	BMessage inner('innr');
	inner.AddString("deep", "value");
	BMessage nested('nest');
	nested.AddInt32("level", 1);
	nested.AddMessage("inner", &inner);

	BMessage message(B_REFS_RECEIVED);
	entry_ref first = make_ref(3, 12345, "notes.txt", "/boot/home");
	entry_ref second = make_ref(4, 99, "a b", "/tmp");
	message.AddRef("refs", &first);
	message.AddRef("refs", &second);
	message.AddString("label", "");
	message.AddString("label", "second label");
	message.AddInt32("numbers", 1);
	message.AddInt32("numbers", -2);
	message.AddMessage("nested", &nested);
	message.AddRect("frame", BRect(0, 0, 9, 9));
	message.AddData("raw", B_RAW_TYPE, "\0\1\2", 3);
	message.AddData("fixed", 'fixd', "12345", 5);
	message.AddData("fixed", 'fixd', "67890", 5);
	std::vector<uint8> flattened = flatten(message);

	BMessage copy;
	ASSERT_EQ(unflatten(copy, flattened), B_OK);
	EXPECT_EQ(copy.what, static_cast<uint32>(B_REFS_RECEIVED));
	entry_ref ref;
	ASSERT_EQ(copy.FindRef("refs", 1, &ref), B_OK);
	EXPECT_EQ(ref, second);
	EXPECT_STREQ(ref.directory_path(), "/tmp");
	const char* string;
	ASSERT_EQ(copy.FindString("label", 0, &string), B_OK);
	EXPECT_STREQ(string, "");
	int32 number;
	ASSERT_EQ(copy.FindInt32("numbers", 1, &number), B_OK);
	EXPECT_EQ(number, -2);
	BRect frame;
	ASSERT_EQ(copy.FindRect("frame", &frame), B_OK);
	EXPECT_EQ(frame, BRect(0, 0, 9, 9));
	const void* data;
	ssize_t size;
	ASSERT_EQ(copy.FindData("raw", B_RAW_TYPE, &data, &size), B_OK);
	EXPECT_EQ(size, 3);
	ASSERT_EQ(copy.FindData("fixed", 'fixd', 1, &data, &size), B_OK);
	EXPECT_EQ(std::string(static_cast<const char*>(data), size), "67890");

	BMessage foundNested;
	ASSERT_EQ(copy.FindMessage("nested", &foundNested), B_OK);
	EXPECT_EQ(foundNested.what, static_cast<uint32>('nest'));
	BMessage foundInner;
	ASSERT_EQ(foundNested.FindMessage("inner", &foundInner), B_OK);
	ASSERT_EQ(foundInner.FindString("deep", &string), B_OK);
	EXPECT_STREQ(string, "value");
	// A message may be replaced by one it holds.
	ASSERT_EQ(foundNested.FindMessage("inner", &foundNested), B_OK);
	EXPECT_EQ(foundNested.what, static_cast<uint32>('innr'));

	EXPECT_EQ(flatten(copy), flattened);

	// Fields of one name written apart come back as one.
	std::vector<uint8> split(kTypesFlattened);
	split.insert(split.end() - 1, kTypesFlattened.begin() + kHeaderSize, kTypesFlattened.end() - 1);
	seal(split);
	ASSERT_EQ(unflatten(copy, split), B_OK);
	int32 count = 0;
	EXPECT_EQ(copy.GetInfo("types", NULL, &count), B_OK);
	EXPECT_EQ(count, 2);
}


TEST(MessageTest, DamagedBuffersAreRejected)
{
	BMessage message('dmgd');
	entry_ref ref = make_ref(3, 12345, "notes.txt", "/boot/home");
	message.AddRef("refs", &ref);
	message.AddInt32("numbers", 1);
	message.AddInt32("numbers", 2);
	message.AddString("strings", "one");
	message.AddString("strings", "two");
	message.AddMessage("nested", &message);
	std::vector<uint8> valid = flatten(message);

	for (size_t length = 0; length < valid.size(); length++) {
		SCOPED_TRACE(length);
		expect_rejected(valid, length);

		// The same prefix, claiming to be a whole message.
		if (length > kHeaderSize) {
			std::vector<uint8> cut(valid.begin(), valid.begin() + length);
			cut.back() = 0x01;
			seal(cut);
			expect_rejected(cut);
		}
	}

	BMessage target;
	std::vector<uint8> damaged(kTypesFlattened);
	damaged[4] ^= 1;
	EXPECT_EQ(unflatten(target, damaged), B_NOT_A_MESSAGE);
	damaged = kTypesFlattened;
	damaged[0] = 'X';
	EXPECT_EQ(unflatten(target, damaged), B_NOT_A_MESSAGE);
	damaged = kTypesFlattened;
	damaged.pop_back();
	EXPECT_EQ(unflatten(target, damaged), B_BAD_VALUE);

	// The data size of "types" at 22: neither zero nor negative nor past the end.
	for (int32 dataSize : {0, -1, -16, 17, INT32_MAX}) {
		SCOPED_TRACE(dataSize);
		damaged = kTypesFlattened;
		put_int32(damaged, 22, dataSize);
		expect_rejected(damaged);
	}
	// The item's own size at 32 must stay within the field's data.
	for (int32 itemSize : {-1, 13, INT32_MAX}) {
		damaged = kTypesFlattened;
		put_int32(damaged, 32, itemSize);
		expect_rejected(damaged);
	}

	// Counts that the data can't hold, in a fixed-size and in a variable-size field.
	BMessage counted;
	counted.AddInt32("n", 1);
	counted.AddInt32("n", 2);
	counted.AddString("s", "a");
	counted.AddString("s", "b");
	std::vector<uint8> countedFlattened = flatten(counted);
	const size_t stringsField = kHeaderSize + 1 + 4 + 4 + 4 + 2 + 8;
	for (int32 count : {0, -1, 3, 1000, INT32_MAX}) {
		SCOPED_TRACE(count);
		damaged = countedFlattened;
		put_int32(damaged, kHeaderSize + 5, count);
		expect_rejected(damaged);
		damaged = countedFlattened;
		put_int32(damaged, stringsField + 5, count);
		expect_rejected(damaged);
	}

	// A type known to be fixed-size must come with items of its size, and a string must not.
	damaged = countedFlattened;
	put_int32(damaged, kHeaderSize + 1, B_INT16_TYPE);
	expect_rejected(damaged);
	damaged = countedFlattened;
	damaged[stringsField] |= 0x04;
	expect_rejected(damaged);

	// A name with a NUL inside could never be asked for: "types" becomes "ty\0es".
	damaged = kTypesFlattened;
	damaged[kHeaderSize + 12] = 0;
	expect_rejected(damaged);

	// Anything else may be read or refused, but nothing is read outside the buffer.
	std::mt19937 generator(20260101);
	for (int round = 0; round < 20000; round++) {
		std::vector<uint8> mutated(valid);
		for (int changes = 1 + generator() % 4; changes > 0; changes--)
			mutated[kHeaderSize + generator() % (mutated.size() - kHeaderSize)] = generator();
		BMessage result;
		if (unflatten(result, mutated) == B_OK) {
			EXPECT_GT(result.FlattenedSize(), 0);
		}
	}
}


TEST(MessageTest, PrintsInTheClassicTextForm)
{
	BMessage refs(B_REFS_RECEIVED);
	entry_ref notes = make_ref(3, 12345, "notes.txt", "/boot/home");
	ASSERT_EQ(refs.AddRef("refs", &notes), B_OK);
	EXPECT_EQ(print_to_string(refs),
		"BMessage: what = _RRC (0x5f525243, or 1599230531)\n"
		"    entry           refs, type='RREF', c=1, size=22, data[0]: device=3, "
		"directory=12345, name=\"notes.txt\", path=\"/boot/home/notes.txt\"\n");

	entry_ref atRoot = make_ref(2, 2, "etc", "/");
	entry_ref noFolder(5, 6, "loose");
	ASSERT_EQ(refs.AddRef("refs", &atRoot), B_OK);
	ASSERT_EQ(refs.AddRef("refs", &noFolder), B_OK);
	const std::string prefix = "    entry           refs, type='RREF', c=3, ";
	const std::string indent(prefix.size(), ' ');
	EXPECT_EQ(print_to_string(refs),
		"BMessage: what = _RRC (0x5f525243, or 1599230531)\n" + prefix
			+ "size=22, data[0]: device=3, directory=12345, name=\"notes.txt\", "
			  "path=\"/boot/home/notes.txt\"\n"
			+ indent + "size=16, data[1]: device=2, directory=2, name=\"etc\", path=\"/etc\"\n"
			+ indent + "size=18, data[2]: device=5, directory=6, name=\"loose\", path=\"\"\n");

	BMessage values;
	values.AddInt32("count", 2);
	values.AddInt32("code", 'abcd');
	values.AddString("label", "text");
	EXPECT_EQ(print_to_string(values),
		"BMessage: what =  (0x0, or 0)\n"
		"    entry          count, type='LONG', c=1, size= 4, data[0]: 0x2 (2, '')\n"
		"    entry           code, type='LONG', c=1, size= 4, data[0]: 0x61626364 "
		"(1633837924, 'abcd')\n"
		"    entry          label, type='CSTR', c=1, size= 5, data[0]: \"text\"\n");

	// Each fixed-size type in its own form: hex of its bits, then its value.
	BMessage numbers;
	numbers.AddInt8("int8", -2);
	uint8 byte = 200;
	numbers.AddData("uint8", B_UINT8_TYPE, &byte, sizeof(byte));
	numbers.AddInt16("int16", -300);
	uint16 word = 65535;
	numbers.AddData("uint16", B_UINT16_TYPE, &word, sizeof(word));
	uint32 longWord = 4000000000u;
	numbers.AddData("uint32", B_UINT32_TYPE, &longWord, sizeof(longWord));
	numbers.AddInt64("int64", -5);
	uint64 wide = UINT64_MAX;
	numbers.AddData("uint64", B_UINT64_TYPE, &wide, sizeof(wide));
	numbers.AddFloat("float", 1.5f);
	numbers.AddDouble("double", 0.1);
	numbers.AddPoint("point", BPoint(1, -2.5f));
	numbers.AddRect("rect", BRect(0, 1, 2.5f, 3));
	char letter = 'x';
	char bell = 7;
	numbers.AddData("char", B_CHAR_TYPE, &letter, 1);
	numbers.AddData("char", B_CHAR_TYPE, &bell, 1);
	numbers.AddBool("bool", false);
	const uint8 raw[20] = {1, 2, 0xff};
	numbers.AddData("short", 'ABCD', raw, 3);
	numbers.AddData("long", B_RAW_TYPE, raw, sizeof(raw), false);
	EXPECT_EQ(print_to_string(numbers),
		"BMessage: what =  (0x0, or 0)\n"
		"    entry           int8, type='BYTE', c=1, size= 1, data[0]: 0xfe (-2)\n"
		"    entry          uint8, type='UBYT', c=1, size= 1, data[0]: 0xc8 (200)\n"
		"    entry          int16, type='SHRT', c=1, size= 2, data[0]: 0xfed4 (-300)\n"
		"    entry         uint16, type='USHT', c=1, size= 2, data[0]: 0xffff (65535)\n"
		"    entry         uint32, type='ULNG', c=1, size= 4, data[0]: 0xee6b2800 (4000000000)\n"
		"    entry          int64, type='LLNG', c=1, size= 8, data[0]: 0xfffffffffffffffb (-5)\n"
		"    entry         uint64, type='ULLG', c=1, size= 8, data[0]: 0xffffffffffffffff "
		"(18446744073709551615)\n"
		"    entry          float, type='FLOT', c=1, size= 4, data[0]: 1.5\n"
		"    entry         double, type='DBLE', c=1, size= 8, data[0]: 0.1\n"
		"    entry          point, type='BPNT', c=1, size= 8, data[0]: BPoint(x:1.0, y:-2.5)\n"
		"    entry           rect, type='RECT', c=1, size=16, data[0]: "
		"BRect(l:0.0, t:1.0, r:2.5, b:3.0)\n"
		"    entry           char, type='CHAR', c=2, size= 1, data[0]: 'x'\n"
		"                                            size= 1, data[1]: 0x7\n"
		"    entry           bool, type='BOOL', c=1, size= 1, data[0]: false\n"
		"    entry          short, type='ABCD', c=1, size= 3, data[0]: 01 02 ff\n"
		"    entry           long, type='RAWT', c=1, size=20, data[0]: "
		"01 02 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 ...\n");

	BMessage outer('outr');
	BMessage inner('innr');
	inner.AddBool("flag", true);
	outer.AddMessage("inner", &inner);
	EXPECT_EQ(print_to_string(outer),
		"BMessage: what = outr (0x6f757472, or 1869968498)\n"
		"    entry          inner, type='MSGG', c=1, size=33, data[0]: message\n"
		"        BMessage: what = innr (0x696e6e72, or 1768844914)\n"
		"            entry           flag, type='BOOL', c=1, size= 1, data[0]: true\n");

	// Nested messages are shown only so deep, and damaged ones are named as such.
	BMessage chain('link');
	for (int level = 0; level < 40; level++) {
		BMessage wrapper('link');
		ASSERT_EQ(wrapper.AddMessage("next", &chain), B_OK);
		chain = wrapper;
	}
	chain.AddData("broken", B_MESSAGE_TYPE, "1BOF", 4, false);
	std::string text = print_to_string(chain);
	EXPECT_NE(text.find("message (nested too deep to show)\n"), std::string::npos);
	EXPECT_NE(text.find("data[0]: message (damaged)\n"), std::string::npos);
	BMessage found('full');
	EXPECT_EQ(chain.FindMessage("broken", &found), B_BAD_VALUE);
	EXPECT_EQ(found.what, 0u);
}
