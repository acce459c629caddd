/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef URI_LIST_H
#define URI_LIST_H


#include <stddef.h>

#include <string>
#include <vector>

#include <SupportDefs.h>


namespace BPrivate {


// The local path a file: URI names: host empty or "localhost", percent escapes decoded to bytes
// (which need not be UTF-8). B_BAD_VALUE for another scheme or a remote host, an escape that is
// not two hex digits, an escaped NUL or '/', a fragment, or a path that is not absolute.
status_t path_for_file_uri(const std::string& uri, std::string* _path);

// The path one line of a dropped text/uri-list (or plain text) names: a file: URI or an absolute
// path. B_BAD_VALUE for anything else.
status_t path_for_uri_list_line(const std::string& line, std::string* _path);

// Reads a drop. CRs, blank lines and '#' comment lines are left out; true when at least one line
// remains and every remaining line names a local file, whose paths then fill _paths in order.
bool parse_uri_list(const char* text, size_t length, std::vector<std::string>* _paths);

// The path a command-line item names: a file: URI, or a path, a relative one taken from the
// current folder. B_BAD_VALUE for an empty item or a URI of another kind.
status_t path_for_item(const char* item, std::string* _path);


} // namespace BPrivate


#endif // URI_LIST_H
