/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// BMessage::Unflatten on any bytes: what a drop, a file or another process may hand over. A
// message that was read must print, be searched item by item, and flatten to bytes that read
// back to the same message.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include <Entry.h>
#include <Message.h>


namespace {

const size_t kHeaderSize = 17;
const size_t kChecksumStart = 8;


uint32
header_checksum(const uint8* data, size_t size)
{
	uint32 sum = 0;
	size_t offset = 0;
	for (; offset + 4 <= size; offset += 4) {
		sum += (uint32(data[offset]) << 24) | (uint32(data[offset + 1]) << 16)
			| (uint32(data[offset + 2]) << 8) | data[offset + 3];
	}
	uint32 rest = 0;
	for (; offset < size; offset++)
		rest = (rest << 8) + data[offset];
	return sum + rest;
}


// Sets the flattened size and the checksum a writer would have set, so that the fuzzer spends
// its time in the fields rather than on guessing the checksum.
void
make_header_consistent(std::vector<uint8>& bytes)
{
	if (bytes.size() < kHeaderSize)
		return;
	uint32 size = static_cast<uint32>(bytes.size());
	memcpy(&bytes[8], &size, sizeof(size));
	uint8 flags = bytes[16];
	size_t headerSize
		= kHeaderSize + ((flags & 0x02) != 0 ? 4 : 0) + ((flags & 0x04) != 0 ? 16 : 0);
	if (headerSize > bytes.size())
		return;
	uint32 checksum = header_checksum(&bytes[kChecksumStart], headerSize - kChecksumStart);
	memcpy(&bytes[4], &checksum, sizeof(checksum));
}


void
look_at_every_item(const BMessage& message)
{
	const char* name;
	type_code type;
	int32 count;
	for (int32 index = 0; message.GetInfo(B_ANY_TYPE, index, &name, &type, &count) == B_OK;
		 index++) {
		for (int32 item = 0; item < count; item++) {
			const void* data;
			ssize_t size;
			if (message.FindData(name, type, item, &data, &size) != B_OK)
				abort();
			if (size > 0)
				(void)memchr(data, 0x5a, size);
			const char* string;
			if (message.FindString(name, item, &string) == B_OK)
				(void)strlen(string);
			entry_ref ref;
			(void)message.FindRef(name, item, &ref);
			BMessage nested;
			(void)message.FindMessage(name, item, &nested);
		}
	}
}


std::vector<char>
flattened(const BMessage& message)
{
	ssize_t size = message.FlattenedSize();
	if (size <= 0)
		abort();
	std::vector<char> bytes(size);
	if (message.Flatten(bytes.data(), size) != B_OK)
		abort();
	return bytes;
}

} // namespace


extern "C" int
LLVMFuzzerInitialize(int* argc, char*** argv)
{
	(void)argc;
	(void)argv;
	// PrintToStream is run on every message read; its text is of no interest here.
	if (freopen("/dev/null", "w", stdout) == NULL)
		abort();
	return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8* data, size_t size)
{
	if (size == 0)
		return 0;
	std::vector<uint8> bytes(data + 1, data + size);
	if ((data[0] & 1) != 0)
		make_header_consistent(bytes);

	BMessage message('FUZZ');
	message.AddString("old", "replaced");
	if (message.Unflatten(reinterpret_cast<const char*>(bytes.data()),
			static_cast<ssize_t>(bytes.size()))
		!= B_OK) {
		// A message that could not be read is left empty.
		if (!message.IsEmpty() || message.what != 0)
			abort();
		return 0;
	}

	look_at_every_item(message);
	message.PrintToStream();

	std::vector<char> first = flattened(message);
	BMessage copy;
	if (copy.Unflatten(first.data(), static_cast<ssize_t>(first.size())) != B_OK)
		abort();
	if (flattened(copy) != first)
		abort();
	return 0;
}
