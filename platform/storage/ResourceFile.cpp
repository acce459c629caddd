/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <storage/private/ResourceFile.h>

#include <elf.h>
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <vector>

#include <Errors.h>

#include <storage/private/ResourceFormat.h>
#include <support/private/FileDescriptor.h>


namespace BPrivate {


namespace {

const uint32 kELFMinResourceAlignment = 32;
const uint64 kELFMaxResourceAlignment = 10 * 1024 * 1024;
const char kStandaloneMagic[4] = {'R', 'S', 0, 0};


uint32
read32(const uint8* bytes)
{
	return uint32(bytes[0]) | uint32(bytes[1]) << 8 | uint32(bytes[2]) << 16
		| uint32(bytes[3]) << 24;
}


uint16
read16(const uint8* bytes)
{
	return uint16(bytes[0] | bytes[1] << 8);
}


void
write32(uint8* bytes, uint32 value)
{
	bytes[0] = uint8(value);
	bytes[1] = uint8(value >> 8);
	bytes[2] = uint8(value >> 16);
	bytes[3] = uint8(value >> 24);
}


uint32
filler(uint32 offset)
{
	return kUnusedDataPattern[(offset / 4) % 3];
}


uint32
index_section_size(uint32 count)
{
	uint32 needed = sizeof(resource_index_section_header) + sizeof(resource_index_entry) * count;
	return (needed + kIndexSectionAlignment - 1) / kIndexSectionAlignment * kIndexSectionAlignment;
}


// The platform's checksum: the bytes as big-endian 32-bit words, a short tail as one number.
uint32
checksum(const uint8* bytes, size_t size)
{
	uint32 sum = 0;
	size_t i = 0;
	for (; i + 4 <= size; i += 4) {
		sum += uint32(bytes[i]) << 24 | uint32(bytes[i + 1]) << 16 | uint32(bytes[i + 2]) << 8
			| uint32(bytes[i + 3]);
	}
	uint32 tail = 0;
	for (; i < size; i++)
		tail = (tail << 8) + bytes[i];
	return sum + tail;
}


bool
read_at(int fd, void* buffer, size_t size, off_t offset)
{
	uint8* bytes = static_cast<uint8*>(buffer);
	while (size > 0) {
		ssize_t count = pread(fd, bytes, size, offset);
		if (count < 0 && errno == EINTR)
			continue;
		if (count <= 0)
			return false;
		bytes += count;
		size -= count;
		offset += count;
	}
	return true;
}


bool
write_at(int fd, const void* buffer, size_t size, off_t offset)
{
	const uint8* bytes = static_cast<const uint8*>(buffer);
	while (size > 0) {
		ssize_t count = pwrite(fd, bytes, size, offset);
		if (count < 0 && errno == EINTR)
			continue;
		if (count <= 0)
			return false;
		bytes += count;
		size -= count;
		offset += count;
	}
	return true;
}


// Widens *_end over a table of count ELF headers at offset and over what extent() says each of
// its entries covers (0 for nothing).
template<typename Entry, typename Extent>
status_t
walk_elf_table(int fd, uint64 fileSize, uint64 offset, uint16 entrySize, uint16 count, uint64* _end,
	Extent extent)
{
	if (count == 0)
		return B_OK;
	if (entrySize != sizeof(Entry) || offset > fileSize)
		return B_BAD_DATA;
	uint64 tableEnd = offset + uint64(entrySize) * count;
	if (tableEnd > fileSize)
		return B_BAD_DATA;
	*_end = std::max(*_end, tableEnd);
	// The table in one read: an executable reads its own at every start.
	std::vector<Entry> table(count);
	if (!read_at(fd, table.data(), table.size() * sizeof(Entry), offset))
		return B_BAD_DATA;
	for (const Entry& entry : table)
		*_end = std::max(*_end, extent(entry));
	return B_OK;
}


// The end of what the ELF headers describe, and the alignment the area takes after it.
template<typename Ehdr, typename Phdr, typename Shdr>
status_t
elf_resource_offset(int fd, uint64 fileSize, uint64 minimumAlignment, off_t* _offset)
{
	Ehdr header;
	if (fileSize < sizeof(header) || !read_at(fd, &header, sizeof(header), 0))
		return B_BAD_DATA;

	uint64 end = header.e_ehsize;
	uint64 alignment = 1;
	status_t status = walk_elf_table<Phdr>(fd, fileSize, header.e_phoff, header.e_phentsize,
		header.e_phnum, &end, [&alignment](const Phdr& program) -> uint64 {
			if (program.p_type == PT_NULL)
				return 0;
			alignment = std::max(alignment, uint64(program.p_align));
			return uint64(program.p_offset) + program.p_filesz;
		});
	if (status != B_OK)
		return status;
	status = walk_elf_table<Shdr>(fd, fileSize, header.e_shoff, header.e_shentsize, header.e_shnum,
		&end, [](const Shdr& section) -> uint64 {
			if (section.sh_type == SHT_NULL || section.sh_type == SHT_NOBITS)
				return 0;
			return uint64(section.sh_offset) + section.sh_size;
		});
	if (status != B_OK)
		return status;
	if (end > fileSize)
		return B_BAD_DATA;

	// 64-bit images take 8; 32-bit ones the largest segment alignment, at least 32.
	if (minimumAlignment == 8)
		alignment = 8;
	else {
		alignment = std::max(alignment, minimumAlignment);
		if (alignment > kELFMaxResourceAlignment)
			return B_BAD_DATA;
	}
	*_offset = (end + alignment - 1) / alignment * alignment;
	return B_OK;
}


// A reader of the info table that never looks past its end.
class InfoReader {
public:
	InfoReader(const uint8* bytes, size_t size)
		: fBytes(bytes),
		  fSize(size),
		  fPosition(0)
	{
	}

	size_t Left() const { return fSize - fPosition; }

	bool Read32(uint32* value)
	{
		if (Left() < 4)
			return false;
		*value = read32(fBytes + fPosition);
		fPosition += 4;
		return true;
	}

	bool Read16(uint16* value)
	{
		if (Left() < 2)
			return false;
		*value = read16(fBytes + fPosition);
		fPosition += 2;
		return true;
	}

	bool AtSeparator() const
	{
		return Left() >= kInfoSeparatorSize && read32(fBytes + fPosition) == kInfoSeparator
			&& read32(fBytes + fPosition + 4) == kInfoSeparator;
	}

	bool ReadName(size_t size, std::string* name)
	{
		// One zero, at the end: a name with a zero inside could never be asked for.
		if (Left() < size || fBytes[fPosition + size - 1] != '\0'
			|| memchr(fBytes + fPosition, '\0', size - 1) != NULL)
			return false;
		name->assign(reinterpret_cast<const char*>(fBytes + fPosition), size - 1);
		fPosition += size;
		return true;
	}

	void Skip(size_t size) { fPosition += std::min(size, Left()); }

private:
	const uint8* fBytes;
	size_t fSize;
	size_t fPosition;
};


status_t
parse_area(const uint8* area, size_t size, std::vector<resource_record>* _records)
{
	if (size < kIndexEntriesOffset)
		return B_BAD_DATA;
	resources_header header;
	resource_index_section_header index;
	memcpy(&header, area, sizeof(header));
	memcpy(&index, area + kIndexSectionOffset, sizeof(index));
	if (header.magic != kResourcesMagic)
		return B_BAD_DATA;
	uint32 count = header.resourceCount;
	uint32 adminSize = header.adminSectionSize;
	if (count > uint32(kMaxResourceCount) || header.indexSectionOffset != kIndexSectionOffset
		|| index.indexSectionOffset != kIndexSectionOffset)
		return B_BAD_DATA;
	uint32 indexSize = index.indexSectionSize;
	if (indexSize < sizeof(index) + sizeof(resource_index_entry) * count
		|| indexSize > kMaxResourceAreaSize || adminSize != kIndexSectionOffset + indexSize
		|| index.unknownSectionOffset != adminSize
		|| index.unknownSectionSize != kUnknownSectionSize)
		return B_BAD_DATA;
	uint64 dataStart = uint64(adminSize) + kUnknownSectionSize;
	uint32 infoOffset = index.infoTableOffset;
	uint32 infoSize = index.infoTableSize;
	if (dataStart > size || infoOffset < dataStart
		|| infoSize < kInfoSeparatorSize + sizeof(resource_info_table_end)
		|| uint64(infoOffset) + infoSize > size)
		return B_BAD_DATA;

	// Index entries: each one's data must lie inside the area, before the info table.
	std::vector<resource_record> records(count);
	std::vector<bool> described(count, false);
	for (uint32 i = 0; i < count; i++) {
		resource_index_entry entry;
		memcpy(&entry, area + kIndexEntriesOffset + sizeof(entry) * i, sizeof(entry));
		uint64 offset = entry.offset;
		uint64 length = entry.size;
		if (offset < dataStart || offset + length > infoOffset)
			return B_BAD_DATA;
		records[i].data.assign(area + offset, area + offset + length);
	}

	// The info table: type blocks of (id, index, name) records, each block closed by a
	// separator, then the checksum and a terminator.
	const uint8* table = area + infoOffset;
	size_t bodySize = infoSize - sizeof(resource_info_table_end);
	resource_info_table_end tableEnd;
	memcpy(&tableEnd, table + bodySize, sizeof(tableEnd));
	if (tableEnd.terminator == 0 && tableEnd.checksum != checksum(table, bodySize))
		return B_BAD_DATA;

	InfoReader reader(table, bodySize);
	// An empty table is the separator alone.
	if (reader.Left() == kInfoSeparatorSize && reader.AtSeparator())
		reader.Skip(kInfoSeparatorSize);
	while (reader.Left() > 0) {
		uint32 type;
		if (!reader.Read32(&type))
			return B_BAD_DATA;
		do {
			uint32 id;
			uint32 index;
			uint16 nameSize;
			if (!reader.Read32(&id) || !reader.Read32(&index) || !reader.Read16(&nameSize))
				return B_BAD_DATA;
			if (index < 1 || index > count || described[index - 1])
				return B_BAD_DATA;
			resource_record& record = records[index - 1];
			if (nameSize > 0 && !reader.ReadName(nameSize, &record.name))
				return B_BAD_DATA;
			record.type = type;
			record.id = int32(id);
			described[index - 1] = true;
		} while (!reader.AtSeparator());
		reader.Skip(kInfoSeparatorSize);
	}

	_records->clear();
	for (uint32 i = 0; i < count; i++) {
		if (described[i])
			_records->push_back(std::move(records[i]));
	}
	return B_OK;
}

} // namespace


status_t
find_resource_area(int fd, off_t* _offset)
{
	struct stat info;
	if (fstat(fd, &info) != 0)
		return errno_to_status(errno);
	if (!S_ISREG(info.st_mode))
		return B_BAD_TYPE;
	uint64 fileSize = info.st_size;
	if (fileSize == 0) {
		*_offset = sizeof(kStandaloneMagic);
		return B_OK;
	}

	unsigned char ident[EI_NIDENT];
	if (fileSize < sizeof(kStandaloneMagic)
		|| !read_at(fd, ident, std::min<uint64>(sizeof(ident), fileSize), 0))
		return fileSize < sizeof(kStandaloneMagic) ? B_BAD_TYPE : B_IO_ERROR;
	if (memcmp(ident, kStandaloneMagic, sizeof(kStandaloneMagic)) == 0) {
		*_offset = sizeof(kStandaloneMagic);
		return B_OK;
	}
	if (fileSize < EI_NIDENT || memcmp(ident, ELFMAG, SELFMAG) != 0)
		return B_BAD_TYPE;
	// Only little-endian images, as on x86.
	if (ident[EI_DATA] != ELFDATA2LSB)
		return B_BAD_TYPE;
	try {
		if (ident[EI_CLASS] == ELFCLASS64) {
			return elf_resource_offset<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(fd, fileSize, 8,
				_offset);
		}
		if (ident[EI_CLASS] == ELFCLASS32) {
			return elf_resource_offset<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(fd, fileSize,
				kELFMinResourceAlignment, _offset);
		}
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_BAD_TYPE;
}


status_t
parse_resource_area(const uint8* area, size_t size, std::vector<resource_record>* _records)
{
	if (area == NULL || _records == NULL)
		return B_BAD_VALUE;
	try {
		status_t status = parse_area(area, size, _records);
		if (status != B_OK)
			_records->clear();
		return status;
	} catch (const std::bad_alloc&) {
		_records->clear();
		return B_NO_MEMORY;
	}
}


status_t
flatten_resource_area(const std::vector<resource_record>& records, std::vector<uint8>* _area)
{
	if (_area == NULL || records.size() > size_t(kMaxResourceCount))
		return B_BAD_VALUE;
	try {
		uint32 count = records.size();
		uint32 indexSize = index_section_size(count);
		uint32 adminSize = kIndexSectionOffset + indexSize;
		uint64 dataStart = uint64(adminSize) + kUnknownSectionSize;

		std::vector<uint8> table;
		auto append32 = [&table](uint32 value) {
			uint8 bytes[4];
			write32(bytes, value);
			table.insert(table.end(), bytes, bytes + 4);
		};
		for (uint32 i = 0; i < count; i++) {
			const resource_record& record = records[i];
			if (record.name.size() >= 0xFFFF || record.name.find('\0') != std::string::npos)
				return B_BAD_VALUE;
			// Records of one type in a row share a block.
			if (i == 0 || records[i - 1].type != record.type)
				append32(record.type);
			append32(uint32(record.id));
			append32(i + 1);
			uint16 nameSize = record.name.empty() ? 0 : record.name.size() + 1;
			table.push_back(uint8(nameSize));
			table.push_back(uint8(nameSize >> 8));
			if (nameSize > 0)
				table.insert(table.end(), record.name.c_str(), record.name.c_str() + nameSize);
			if (i + 1 == count || records[i + 1].type != record.type) {
				append32(kInfoSeparator);
				append32(kInfoSeparator);
			}
		}
		if (count == 0) {
			append32(kInfoSeparator);
			append32(kInfoSeparator);
		}
		uint32 sum = checksum(table.data(), table.size());
		append32(sum);
		append32(0);

		uint64 dataSize = 0;
		for (const resource_record& record : records)
			dataSize += record.data.size();
		uint64 infoOffset = dataStart + dataSize;
		uint64 total = infoOffset + table.size();
		if (total > kMaxResourceAreaSize)
			return B_BAD_VALUE;

		std::vector<uint8>& area = *_area;
		area.assign(total, 0);
		for (uint32 offset = kIndexSectionOffset; offset < dataStart; offset += 4)
			write32(&area[offset], filler(offset));
		resources_header header = {};
		header.magic = kResourcesMagic;
		header.resourceCount = count;
		header.indexSectionOffset = kIndexSectionOffset;
		header.adminSectionSize = adminSize;
		memcpy(&area[0], &header, sizeof(header));
		// The fields between these keep the filler.
		resource_index_section_header index;
		memcpy(&index, &area[kIndexSectionOffset], sizeof(index));
		index.indexSectionOffset = kIndexSectionOffset;
		index.indexSectionSize = indexSize;
		index.unknownSectionOffset = adminSize;
		index.unknownSectionSize = kUnknownSectionSize;
		index.infoTableOffset = uint32(infoOffset);
		index.infoTableSize = uint32(table.size());
		memcpy(&area[kIndexSectionOffset], &index, sizeof(index));

		uint64 offset = dataStart;
		for (uint32 i = 0; i < count; i++) {
			resource_index_entry entry = {uint32(offset), uint32(records[i].data.size()), 0};
			memcpy(&area[kIndexEntriesOffset + sizeof(entry) * i], &entry, sizeof(entry));
			std::copy(records[i].data.begin(), records[i].data.end(), area.begin() + offset);
			offset += records[i].data.size();
		}
		std::copy(table.begin(), table.end(), area.begin() + infoOffset);
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
read_resources(const char* path, std::vector<resource_record>* _records)
{
	if (path == NULL || _records == NULL)
		return B_BAD_VALUE;
	_records->clear();
	// Opening a FIFO for reading would wait for a writer without end, and a device may do
	// anything on open; neither holds records.
	FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
	if (file.Get() < 0)
		return errno_to_status(errno);
	struct stat info;
	if (fstat(file.Get(), &info) != 0)
		return errno_to_status(errno);
	if (!S_ISREG(info.st_mode))
		return B_UNSUPPORTED;
	off_t offset;
	status_t status = find_resource_area(file.Get(), &offset);
	if (status != B_OK)
		return status;
	if (offset >= info.st_size)
		return B_NAME_NOT_FOUND;
	uint64 size = info.st_size - offset;
	if (size > kMaxResourceAreaSize)
		return B_BAD_DATA;
	try {
		std::vector<uint8> area(size);
		if (!read_at(file.Get(), area.data(), size, offset))
			return B_IO_ERROR;
		return parse_resource_area(area.data(), size, _records);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
write_resources(const char* path, const std::vector<resource_record>& records)
{
	if (path == NULL)
		return B_BAD_VALUE;
	std::vector<uint8> area;
	status_t status = flatten_resource_area(records, &area);
	if (status != B_OK)
		return status;
	FileDescriptor file(open(path, O_RDWR | O_CLOEXEC));
	if (file.Get() < 0)
		return errno_to_status(errno);
	off_t offset;
	status = find_resource_area(file.Get(), &offset);
	if (status != B_OK)
		return status;
	if (offset == sizeof(kStandaloneMagic)
		&& !write_at(file.Get(), kStandaloneMagic, sizeof(kStandaloneMagic), 0))
		return errno_to_status(errno);
	// Whatever followed the image before (older records) goes; the gap reads as zeros.
	if (ftruncate(file.Get(), offset) != 0
		|| !write_at(file.Get(), area.data(), area.size(), offset))
		return errno_to_status(errno);
	return B_OK;
}


const resource_record*
find_resource(const std::vector<resource_record>& records, type_code type, int32 id)
{
	for (const resource_record& record : records) {
		if (record.type == type && record.id == id)
			return &record;
	}
	return NULL;
}


} // namespace BPrivate
