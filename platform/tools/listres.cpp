/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// listres FILE: lists the resources of FILE, one a line: type, id, size in bytes, name.
// listres FILE TYPE ID: writes the bytes of that one resource to standard output.
// Exits with 1, saying why, for a file without resources or with a damaged container.

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <storage/private/ResourceFile.h>


namespace {

using BPrivate::resource_record;

const char* const kProgram = "listres";


std::string
type_text(type_code type)
{
	std::string text;
	for (int shift = 24; shift >= 0; shift -= 8) {
		char c = char(type >> shift);
		text += c >= 0x20 && c < 0x7F ? c : '.';
	}
	return text;
}


const char*
describe(status_t status)
{
	switch (status) {
		case B_NAME_NOT_FOUND:
			return "has no resources";
		case B_BAD_DATA:
			return "has a damaged resource container";
		case B_BAD_TYPE:
			return "is neither an ELF image nor a resource file";
		case B_UNSUPPORTED:
			return "is not a regular file";
		case B_ENTRY_NOT_FOUND:
			return "doesn't exist";
		case B_PERMISSION_DENIED:
			return "can't be read: permission denied";
		case B_NO_MEMORY:
			return "can't be read: out of memory";
		default:
			return "can't be read";
	}
}


bool
parse_type(const char* text, type_code* _type)
{
	if (strlen(text) != 4)
		return false;
	*_type = 0;
	for (int i = 0; i < 4; i++)
		*_type = *_type << 8 | uint8(text[i]);
	return true;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 2 && argc != 4) {
		fprintf(stderr, "usage: %s FILE [TYPE ID]\n", kProgram);
		return 2;
	}
	std::vector<resource_record> records;
	status_t status = BPrivate::read_resources(argv[1], &records);
	if (status == B_OK && records.empty())
		status = B_NAME_NOT_FOUND;
	if (status != B_OK) {
		fprintf(stderr, "%s: %s %s\n", kProgram, argv[1], describe(status));
		return 1;
	}

	if (argc == 2) {
		for (const resource_record& record : records) {
			printf("'%s' %6d %8zu  %s\n", type_text(record.type).c_str(), int(record.id),
				record.data.size(), record.name.c_str());
		}
		return 0;
	}

	type_code type;
	char* end;
	long id = strtol(argv[3], &end, 0);
	if (!parse_type(argv[2], &type) || *argv[3] == '\0' || *end != '\0') {
		fprintf(stderr, "usage: %s FILE [TYPE ID] (TYPE has four characters)\n", kProgram);
		return 2;
	}
	const resource_record* record = BPrivate::find_resource(records, type, int32(id));
	if (record == NULL) {
		fprintf(stderr, "%s: %s has no resource '%s' %ld\n", kProgram, argv[1], argv[2], id);
		return 1;
	}
	if (fwrite(record->data.data(), 1, record->data.size(), stdout) != record->data.size()
		|| fflush(stdout) != 0) {
		fprintf(stderr, "%s: can't write: %s\n", kProgram, strerror(errno));
		return 1;
	}
	return 0;
}
