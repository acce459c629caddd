/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The resource container reader on any bytes, as a file on disk may hold them: as a whole
// file (ELF headers or a standalone area) and as a resource area. What it reads must write
// out again to an area that reads back to the same records.
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

#include <storage/private/ResourceFile.h>


using namespace BPrivate;


namespace {

bool
same_records(const std::vector<resource_record>& a, const std::vector<resource_record>& b)
{
	if (a.size() != b.size())
		return false;
	for (size_t i = 0; i < a.size(); i++) {
		if (a[i].type != b[i].type || a[i].id != b[i].id || a[i].name != b[i].name
			|| a[i].data != b[i].data) {
			return false;
		}
	}
	return true;
}

} // namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8* data, size_t size)
{
	int fd = memfd_create("resources", MFD_CLOEXEC);
	if (fd < 0)
		abort();
	if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size))
		abort();
	off_t offset;
	// A 32-bit image puts the area at its largest segment alignment (up to 10 MiB), which may
	// lie past the end of a file that has no records yet.
	if (find_resource_area(fd, &offset) == B_OK
		&& (offset < 0 || offset > off_t(size) + 10 * 1024 * 1024))
		abort();
	close(fd);

	std::vector<resource_record> records;
	if (parse_resource_area(data, size, &records) != B_OK) {
		if (!records.empty())
			abort();
		return 0;
	}
	std::vector<uint8> area;
	if (flatten_resource_area(records, &area) != B_OK)
		abort();
	std::vector<resource_record> again;
	if (parse_resource_area(area.data(), area.size(), &again) != B_OK
		|| !same_records(records, again)) {
		abort();
	}
	return 0;
}
