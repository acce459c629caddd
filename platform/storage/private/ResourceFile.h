/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef RESOURCE_FILE_H
#define RESOURCE_FILE_H


#include <stddef.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include <SupportDefs.h>


namespace BPrivate {


// One resource as the platform's x86 resource container keeps it: a type code, an id, a name
// (empty for none) and raw little-endian bytes.
struct resource_record {
	type_code type;
	int32 id;
	std::string name;
	std::vector<uint8> data;
};


// The container's own limits, beyond which a reader takes it for damaged.
const int32 kMaxResourceCount = 10000;
const size_t kMaxResourceAreaSize = 64 * 1024 * 1024;


// Where the resource area of a file begins: after everything the ELF headers describe (8-byte
// aligned for 64-bit ELF, at least 32 for 32-bit ELF), or at 4 in a standalone resource file,
// which starts with "RS\0\0". An empty file gets a standalone area. B_BAD_TYPE for a file that is
// neither, B_BAD_DATA for ELF headers that point outside the file, B_IO_ERROR if it can't be read.
[[nodiscard]] status_t find_resource_area(int fd, off_t* _offset);

// Reads a whole resource area. Anything damaged (a wrong magic number or section offset, a count
// or offset pointing outside the area, a wrong checksum, an index named twice, bytes left over)
// is B_BAD_DATA and leaves _records empty. Records come in index order; an index without
// an info record is left out, as the platform's reader does.
[[nodiscard]] status_t parse_resource_area(const uint8* area, size_t size,
	std::vector<resource_record>* _records);

// The bytes of a resource area holding records, in that order.
[[nodiscard]] status_t flatten_resource_area(const std::vector<resource_record>& records,
	std::vector<uint8>* _area);

// The records of a file. B_NAME_NOT_FOUND when it holds none, B_ENTRY_NOT_FOUND (or another
// storage error) when it can't be opened, B_UNSUPPORTED for anything but a regular file (which is
// opened without waiting, so that a FIFO holds up nobody), and the codes above.
[[nodiscard]] status_t read_resources(const char* path, std::vector<resource_record>* _records);

// Replaces the records of a file (ELF or standalone) with these.
[[nodiscard]] status_t write_resources(const char* path,
	const std::vector<resource_record>& records);

const resource_record* find_resource(const std::vector<resource_record>& records, type_code type,
	int32 id);


} // namespace BPrivate


#endif // RESOURCE_FILE_H
