/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <storage/private/ResourceFile.h>

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <Message.h>

#include <gtest/gtest.h>

#include "../storage/TempFolder.h"


namespace {

using BPrivate::resource_record;

const uint32 kFiller[3] = {0xFFFFFFFF, 0x000003E9, 0x00000000};


void
put32(std::vector<uint8>& bytes, size_t offset, uint32 value)
{
	for (int i = 0; i < 4; i++)
		bytes[offset + i] = uint8(value >> (8 * i));
}


uint32
checksum(const uint8* bytes, size_t size)
{
	uint32 sum = 0;
	for (size_t i = 0; i < size; i += 4) {
		uint32 word = 0;
		for (size_t j = i; j < std::min(size, i + 4); j++)
			word = word << 8 | bytes[j];
		sum += word;
	}
	return sum;
}


std::vector<uint8>
text_bytes(const char* text)
{
	return std::vector<uint8>(text, text + strlen(text) + 1);
}


std::vector<resource_record>
example_records()
{
	return {{'APPF', 1, "BEOS:APP_FLAGS", {0, 0, 0, 0}},
		{'MIMS', 1, "BEOS:APP_SIG", text_bytes("application/x-vnd.Example")}};
}


// The two-record example area, laid out by hand field by field.
std::vector<uint8>
example_area()
{
	std::vector<uint8> area(2074, 0);
	for (size_t offset = 0x44; offset < 0x7AC; offset += 4)
		put32(area, offset, kFiller[(offset / 4) % 3]);
	const uint8 header[16]
		= {0x00, 0x10, 0x4F, 0x44, 0x02, 0, 0, 0, 0x44, 0, 0, 0, 0x44, 0x06, 0, 0};
	std::copy(header, header + 16, area.begin());
	std::fill(area.begin() + 16, area.begin() + 0x44, 0);
	put32(area, 0x44, 0x44);
	put32(area, 0x48, 0x600);
	put32(area, 0x50, 0x644);
	put32(area, 0x54, 0x168);
	put32(area, 0xBC, 0x7CA);
	put32(area, 0xC0, 80);
	put32(area, 0xC8, 0x7AC);
	put32(area, 0xCC, 4);
	put32(area, 0xD0, 0);
	put32(area, 0xD4, 0x7B0);
	put32(area, 0xD8, 26);
	put32(area, 0xDC, 0);
	const char* signature = "application/x-vnd.Example";
	std::copy(signature, signature + 26, area.begin() + 0x7B0);

	std::vector<uint8> table = {0x46, 0x50, 0x50, 0x41, 1, 0, 0, 0, 1, 0, 0, 0, 0x0F, 0};
	for (char c : std::string("BEOS:APP_FLAGS"))
		table.push_back(c);
	table.push_back(0);
	table.insert(table.end(), 8, 0xFF);
	const uint8 second[] = {0x53, 0x4D, 0x49, 0x4D, 1, 0, 0, 0, 2, 0, 0, 0, 0x0D, 0};
	table.insert(table.end(), second, second + sizeof(second));
	for (char c : std::string("BEOS:APP_SIG"))
		table.push_back(c);
	table.push_back(0);
	table.insert(table.end(), 8, 0xFF);
	const uint8 end[] = {0x80, 0xAB, 0x81, 0x6A, 0, 0, 0, 0};
	table.insert(table.end(), end, end + sizeof(end));
	EXPECT_EQ(table.size(), 80u);
	std::copy(table.begin(), table.end(), area.begin() + 0x7CA);
	return area;
}


status_t
parse(const std::vector<uint8>& area, std::vector<resource_record>* records, size_t size = 0)
{
	return BPrivate::parse_resource_area(area.data(), size == 0 ? area.size() : size, records);
}


std::vector<uint8>
file_bytes(const std::string& path)
{
	std::ifstream file(path, std::ios::binary);
	return std::vector<uint8>(std::istreambuf_iterator<char>(file), {});
}


bool
copy_file(const std::string& from, const std::string& to)
{
	std::vector<uint8> bytes = file_bytes(from);
	std::ofstream file(to, std::ios::binary);
	file.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
	return !bytes.empty() && file.good() && chmod(to.c_str(), 0755) == 0;
}


std::vector<uint8>
version_records(const char* shortInfo, const char* longInfo)
{
	std::vector<uint8> bytes(680, 0);
	put32(bytes, 0, 4);
	memcpy(&bytes[20], shortInfo, strlen(shortInfo));
	memcpy(&bytes[84], longInfo, strlen(longInfo));
	return bytes;
}


// The supported types, "application/octet-stream" alone, as the classic flattened message.
std::vector<uint8>
file_types()
{
	std::vector<uint8> bytes
		= {0x31, 0x42, 0x4F, 0x46, 0x01, 0x00, 0x00, 0x41, 0x41, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x09,
			0x52, 0x54, 0x53, 0x43, 0x20, 0, 0, 0, 0x05, 't', 'y', 'p', 'e', 's', 0x19, 0, 0, 0};
	std::vector<uint8> type = text_bytes("application/octet-stream");
	bytes.insert(bytes.end(), type.begin(), type.end());
	bytes.insert(bytes.end(), 4, 0);
	return bytes;
}


void
expect_deliverable_records(const char* path, const char* signature, const char* shortInfo,
	const char* longInfo)
{
	SCOPED_TRACE(path);
	std::vector<resource_record> records;
	ASSERT_EQ(BPrivate::read_resources(path, &records), B_OK);
	struct expected {
		type_code type;
		int32 id;
		const char* name;
		std::vector<uint8> data;
	};
	const std::vector<expected> table = {
		{'MIMS', 1, "BEOS:APP_SIG", text_bytes(signature)},
		{'MIMS', 2, "BEOS:TYPE", text_bytes("application/x-vnd.Be-peexecutable")},
		{'APPF', 1, "BEOS:APP_FLAGS", {0, 0, 0, 0}},
		{'APPV', 1, "BEOS:APP_VERSION", version_records(shortInfo, longInfo)},
		{'MSGG', 1, "BEOS:FILE_TYPES", file_types()},
	};
	ASSERT_EQ(records.size(), 7u);
	for (size_t i = 0; i < table.size(); i++) {
		const resource_record* record
			= BPrivate::find_resource(records, table[i].type, table[i].id);
		ASSERT_NE(record, nullptr) << table[i].name;
		EXPECT_EQ(record->name, table[i].name);
		EXPECT_EQ(record->data, table[i].data) << table[i].name;
	}

	BMessage types;
	const resource_record* typesRecord = BPrivate::find_resource(records, 'MSGG', 1);
	ASSERT_EQ(types.Unflatten(reinterpret_cast<const char*>(typesRecord->data.data()),
				  typesRecord->data.size()),
		B_OK);
	const char* type;
	EXPECT_EQ(types.FindString("types", &type), B_OK);
	EXPECT_STREQ(type, "application/octet-stream");

	const resource_record* large = BPrivate::find_resource(records, 'ICON', 101);
	const resource_record* small = BPrivate::find_resource(records, 'MICN', 101);
	ASSERT_NE(large, nullptr);
	ASSERT_NE(small, nullptr);
	EXPECT_EQ(large->name, "BEOS:L:STD_ICON");
	EXPECT_EQ(small->name, "BEOS:M:STD_ICON");
	ASSERT_EQ(large->data.size(), 1024u);
	ASSERT_EQ(small->data.size(), 256u);
	// Transparent around the picture, drawn inside.
	EXPECT_EQ(large->data[0], 255);
	EXPECT_EQ(small->data[255], 255);
	EXPECT_GT(
		std::count_if(small->data.begin(), small->data.end(), [](uint8 p) { return p != 255; }),
		128);
}

} // namespace


TEST(ResourceFileTest, WritesTheTwoRecordExampleByteForByte)
{
	std::vector<uint8> area;
	ASSERT_EQ(BPrivate::flatten_resource_area(example_records(), &area), B_OK);
	std::vector<uint8> expected = example_area();
	ASSERT_EQ(area.size(), expected.size());
	for (size_t i = 0; i < area.size(); i++)
		ASSERT_EQ(area[i], expected[i]) << "at offset " << i;

	std::vector<resource_record> records;
	ASSERT_EQ(parse(expected, &records), B_OK);
	ASSERT_EQ(records.size(), 2u);
	EXPECT_EQ(records[0].type, type_code('APPF'));
	EXPECT_EQ(records[1].name, "BEOS:APP_SIG");
	EXPECT_EQ(records[1].data, text_bytes("application/x-vnd.Example"));
}


TEST(ResourceFileTest, RoundTripsManyRecordsAndAnEmptyArea)
{
	// More than fit the first index section, names absent and present, types interleaved.
	std::vector<resource_record> many;
	for (int32 i = 0; i < 130; i++) {
		many.push_back({i % 3 == 0 ? type_code('RAWT') : type_code('CSTR'), i,
			i % 5 == 0 ? "" : "record " + std::to_string(i), std::vector<uint8>(i % 7, uint8(i))});
	}
	std::vector<uint8> area;
	ASSERT_EQ(BPrivate::flatten_resource_area(many, &area), B_OK);
	EXPECT_EQ(area[12] | area[13] << 8, 0x44 + 0xC00);
	std::vector<resource_record> records;
	ASSERT_EQ(parse(area, &records), B_OK);
	ASSERT_EQ(records.size(), many.size());
	for (size_t i = 0; i < many.size(); i++) {
		EXPECT_EQ(records[i].type, many[i].type);
		EXPECT_EQ(records[i].id, many[i].id);
		EXPECT_EQ(records[i].name, many[i].name);
		EXPECT_EQ(records[i].data, many[i].data);
	}

	ASSERT_EQ(BPrivate::flatten_resource_area({}, &area), B_OK);
	EXPECT_EQ(area.size(), 0x7ACu + 16);
	ASSERT_EQ(parse(area, &records), B_OK);
	EXPECT_TRUE(records.empty());
}


TEST(ResourceFileTest, RejectsDamagedAreas)
{
	const std::vector<uint8> good = example_area();
	std::vector<resource_record> records;

	// Cut anywhere.
	for (size_t size = 1; size < good.size(); size++) {
		ASSERT_EQ(parse(good, &records, size), B_BAD_DATA) << "cut at " << size;
		ASSERT_TRUE(records.empty());
	}

	// Damage to the info table comes with a checksum made right, so that the reader has to
	// find it by itself.
	struct damage {
		const char* what;
		size_t offset;
		uint32 value;
		bool fixChecksum;
	};
	const damage damages[] = {
		{"magic", 0, 0x444F1001, false},
		{"a count beyond the index section", 4, 200, false},
		{"a huge count", 4, 0xFFFFFFFF, false},
		{"the index section's offset", 8, 0x48, false},
		{"the admin section's size", 12, 0x645, false},
		{"the unknown section's size", 0x54, 0x160, false},
		{"data outside the area", 0xC8, 0x7FFFFFFF, false},
		{"data running into the info table", 0xD8, 27, false},
		{"data inside the admin section", 0xC8, 0x100, false},
		{"an info table outside the area", 0xBC, 0x10000, false},
		{"an info table running past the end", 0xC0, 81, false},
		{"the checksum", 0x7CA + 72, 0x6A81AB81, false},
		{"an index out of range", 0x7CA + 8, 3, true},
		{"an index of zero", 0x7CA + 8, 0, true},
		{"an index named twice", 0x7CA + 37 + 8, 1, true},
		{"a name without its zero", 0x7CA + 14 + 14, 'S', true},
		{"a name with a zero inside", 0x7CA + 14 + 5, 0, true},
	};
	for (const damage& item : damages) {
		std::vector<uint8> bad = good;
		if (item.offset >= 0x7CA && item.offset < 0x7CA + 72)
			bad[item.offset] = uint8(item.value);
		else
			put32(bad, item.offset, item.value);
		if (item.fixChecksum)
			put32(bad, 0x7CA + 72, checksum(&bad[0x7CA], 72));
		EXPECT_EQ(parse(bad, &records), B_BAD_DATA) << item.what;
		EXPECT_TRUE(records.empty()) << item.what;
	}

	// Bytes after the last separator; the checksum made right so that the leftovers are caught.
	std::vector<uint8> longer = good;
	longer.insert(longer.begin() + 0x7CA + 72, {0x01, 0x02, 0x03, 0x04});
	put32(longer, 0xC0, 84);
	put32(longer, 0x7CA + 76, checksum(&longer[0x7CA], 76));
	EXPECT_EQ(parse(longer, &records), B_BAD_DATA);

	// No byte changed alone crashes the reader or yields records outside the area.
	for (size_t i = 0; i < good.size(); i++) {
		std::vector<uint8> bad = good;
		bad[i] ^= 0x5A;
		status_t status = parse(bad, &records);
		ASSERT_TRUE(status == B_OK || status == B_BAD_DATA) << i;
		for (const resource_record& record : records)
			ASSERT_LE(record.data.size(), good.size());
	}
}


TEST(ResourceFileTest, AttachesAfterTheELFImageAndReplacesEarlierRecords)
{
	TempFolder folder;
	ASSERT_TRUE(folder.IsValid());
	std::string program = folder / "program";
	ASSERT_TRUE(copy_file(HOST_PATH, program));
	off_t imageSize = file_bytes(program).size();

	std::vector<resource_record> records;
	EXPECT_EQ(BPrivate::read_resources(program.c_str(), &records), B_NAME_NOT_FOUND);

	ASSERT_EQ(BPrivate::write_resources(program.c_str(), example_records()), B_OK);
	std::vector<uint8> bytes = file_bytes(program);
	size_t areaStart = (imageSize + 7) / 8 * 8;
	ASSERT_EQ(bytes.size(), areaStart + 2074);
	std::vector<uint8> area(bytes.begin() + areaStart, bytes.end());
	EXPECT_EQ(area, example_area());
	for (size_t i = imageSize; i < areaStart; i++)
		EXPECT_EQ(bytes[i], 0);

	// Written again, the records take the place of the first ones.
	ASSERT_EQ(BPrivate::write_resources(program.c_str(), {example_records()[1]}), B_OK);
	ASSERT_EQ(BPrivate::read_resources(program.c_str(), &records), B_OK);
	ASSERT_EQ(records.size(), 1u);
	EXPECT_EQ(records[0].name, "BEOS:APP_SIG");

	// The program still runs (without arguments it prints its usage and exits with 2), with the
	// libraries from beside the original.
	std::string host(HOST_PATH);
	std::string command
		= "LD_LIBRARY_PATH='" + host.substr(0, host.rfind('/')) + "' '" + program + "' 2>/dev/null";
	int status = system(command.c_str());
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 2);
}


TEST(ResourceFileTest, TellsFilesWithoutRecordsFromOthers)
{
	TempFolder folder;
	ASSERT_TRUE(folder.IsValid());
	std::vector<resource_record> records;
	EXPECT_EQ(BPrivate::read_resources((folder / "missing").c_str(), &records), B_ENTRY_NOT_FOUND);
	ASSERT_TRUE(folder.MakeFile("text"));
	{
		std::ofstream text(folder / "text");
		text << "plain text, no records\n";
	}
	EXPECT_EQ(BPrivate::read_resources((folder / "text").c_str(), &records), B_BAD_TYPE);
	// Only a regular file can hold records; a FIFO without a writer is not waited for.
	EXPECT_EQ(BPrivate::read_resources(folder.Path().c_str(), &records), B_UNSUPPORTED);
	ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
	EXPECT_EQ(BPrivate::read_resources((folder / "fifo").c_str(), &records), B_UNSUPPORTED);

	// An empty file becomes a standalone resource file.
	ASSERT_TRUE(folder.MakeFile("empty"));
	EXPECT_EQ(BPrivate::read_resources((folder / "empty").c_str(), &records), B_NAME_NOT_FOUND);
	ASSERT_EQ(BPrivate::write_resources((folder / "empty").c_str(), example_records()), B_OK);
	std::vector<uint8> bytes = file_bytes(folder / "empty");
	ASSERT_EQ(bytes.size(), 4u + 2074);
	EXPECT_EQ(std::vector<uint8>(bytes.begin(), bytes.begin() + 4),
		std::vector<uint8>({'R', 'S', 0, 0}));
	ASSERT_EQ(BPrivate::read_resources((folder / "empty").c_str(), &records), B_OK);
	EXPECT_EQ(records.size(), 2u);

	// ELF headers that claim more than the file holds.
	std::string program = folder / "program";
	ASSERT_TRUE(copy_file(HOST_PATH, program));
	ASSERT_EQ(truncate(program.c_str(), 4096), 0);
	EXPECT_EQ(BPrivate::read_resources(program.c_str(), &records), B_BAD_DATA);
}


TEST(ResourceFileTest, DeliverablesCarryTheirRecords)
{
	expect_deliverable_records(BITWELL_PATH, "application/x-vnd.vrm-Bitwell",
		"Drop files on me to change POSIX permissions.",
		"A drag-n-drop app for changing those nasty POSIX\n"
		"permission bits for your files and folders.\n");
	expect_deliverable_records(ADDON_PATH, "application/x-vnd.vrm-Bitgate",
		"Edit POSIX file/directory permissions",
		"This Tracker add-on will let you use a nice GUI for\n"
		"editing those nasty POSIX file/directory permission\nbits.\n");

	// Both carry one pair of icons.
	std::vector<resource_record> bitwell;
	std::vector<resource_record> addOn;
	ASSERT_EQ(BPrivate::read_resources(BITWELL_PATH, &bitwell), B_OK);
	ASSERT_EQ(BPrivate::read_resources(ADDON_PATH, &addOn), B_OK);
	for (type_code type : {type_code('ICON'), type_code('MICN')}) {
		EXPECT_EQ(BPrivate::find_resource(bitwell, type, 101)->data,
			BPrivate::find_resource(addOn, type, 101)->data);
	}
}
