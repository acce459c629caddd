/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/DropMessage.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include <AppDefs.h>
#include <Entry.h>
#include <TypeConstants.h>

#include <storage/private/UriList.h>


namespace BPrivate {


BMessage
drop_message(const char* text, size_t length)
{
	std::vector<std::string> paths;
	if (parse_uri_list(text, length, &paths)) {
		BMessage files(B_SIMPLE_DATA);
		bool any = false;
		for (const std::string& path : paths) {
			// A name gone since the drag began, or made up by the source, is no item.
			struct stat status;
			entry_ref ref;
			if (lstat(path.c_str(), &status) != 0 || get_ref_for_path(path.c_str(), &ref) != B_OK)
				continue;
			if (files.AddRef("refs", &ref) != B_OK) {
				any = false;
				break;
			}
			any = true;
		}
		if (any)
			return files;
	}
	BMessage data(B_MIME_DATA);
	data.AddData("text/plain", B_MIME_TYPE, text, static_cast<ssize_t>(length), false);
	return data;
}


} // namespace BPrivate
