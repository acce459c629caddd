/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The readers of dropped uri-lists and of command-line items on any bytes. Whatever they accept
// must be an absolute path without a NUL, and a list is read line by line as its lines are.
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <storage/private/UriList.h>


namespace {

void
check_path(const std::string& path)
{
	if (path.empty() || path[0] != '/' || path.find('\0') != std::string::npos)
		abort();
}

} // namespace


extern "C" int
LLVMFuzzerTestOneInput(const uint8* data, size_t size)
{
	const char* text = reinterpret_cast<const char*>(data);

	std::vector<std::string> paths;
	if (BPrivate::parse_uri_list(text, size, &paths)) {
		if (paths.empty())
			abort();
		for (const std::string& path : paths)
			check_path(path);
	}

	std::string whole(text, size);
	std::string path;
	if (BPrivate::path_for_file_uri(whole, &path) == B_OK)
		check_path(path);
	if (BPrivate::path_for_uri_list_line(whole, &path) == B_OK)
		check_path(path);

	// A command-line item is a C string: it ends at the first NUL.
	std::string item(text, strnlen(text, size));
	if (BPrivate::path_for_item(item.c_str(), &path) == B_OK)
		check_path(path);
	return 0;
}
