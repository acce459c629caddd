/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <storage/private/UriList.h>

#include <limits.h>
#include <string.h>
#include <unistd.h>

#include <new>


namespace BPrivate {


namespace {

int
hex_value(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}


bool
starts_with_ignoring_case(const std::string& text, const char* prefix)
{
	size_t length = strlen(prefix);
	return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}


// "scheme:" followed by "//", as RFC 3986 spells a scheme; a file named "a:b" is no URI.
bool
looks_like_uri(const std::string& text)
{
	size_t colon = text.find(':');
	if (colon == std::string::npos || colon == 0 || text.compare(colon, 3, "://") != 0)
		return false;
	for (size_t i = 0; i < colon; i++) {
		char c = text[i];
		bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
		if (!alpha && (i == 0 || !((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')))
			return false;
	}
	return true;
}


status_t
percent_decode(const std::string& text, std::string* _decoded)
{
	std::string decoded;
	decoded.reserve(text.size());
	for (size_t i = 0; i < text.size(); i++) {
		char c = text[i];
		if (c == '#')
			return B_BAD_VALUE;
		if (c != '%') {
			decoded += c;
			continue;
		}
		if (i + 2 >= text.size())
			return B_BAD_VALUE;
		int high = hex_value(text[i + 1]);
		int low = high < 0 ? -1 : hex_value(text[i + 2]);
		if (low < 0)
			return B_BAD_VALUE;
		char byte = static_cast<char>(high * 16 + low);
		// A NUL would cut the path short, a slash would split a name in two.
		if (byte == '\0' || byte == '/')
			return B_BAD_VALUE;
		decoded += byte;
		i += 2;
	}
	*_decoded = std::move(decoded);
	return B_OK;
}

} // namespace


status_t
path_for_file_uri(const std::string& uri, std::string* _path)
{
	try {
		// A NUL would end the path early when it reaches the system, naming another file.
		if (!starts_with_ignoring_case(uri, "file:") || uri.find('\0') != std::string::npos)
			return B_BAD_VALUE;
		std::string rest = uri.substr(5);
		if (rest.compare(0, 2, "//") == 0) {
			size_t slash = rest.find('/', 2);
			if (slash == std::string::npos)
				return B_BAD_VALUE;
			std::string host = rest.substr(2, slash - 2);
			if (!host.empty() && strcasecmp(host.c_str(), "localhost") != 0)
				return B_BAD_VALUE;
			rest.erase(0, slash);
		}
		if (rest.empty() || rest[0] != '/')
			return B_BAD_VALUE;
		return percent_decode(rest, _path);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
path_for_uri_list_line(const std::string& line, std::string* _path)
{
	try {
		if (starts_with_ignoring_case(line, "file:"))
			return path_for_file_uri(line, _path);
		if (line.empty() || line[0] != '/' || line.find('\0') != std::string::npos)
			return B_BAD_VALUE;
		*_path = line;
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


bool
parse_uri_list(const char* text, size_t length, std::vector<std::string>* _paths)
{
	try {
		std::vector<std::string> paths;
		size_t start = 0;
		while (start < length) {
			const char* end = static_cast<const char*>(memchr(text + start, '\n', length - start));
			size_t stop = end != NULL ? static_cast<size_t>(end - text) : length;
			std::string line;
			for (size_t i = start; i < stop; i++) {
				if (text[i] != '\r')
					line += text[i];
			}
			start = stop + 1;
			if (line.empty() || line[0] == '#')
				continue;
			std::string path;
			if (path_for_uri_list_line(line, &path) != B_OK)
				return false;
			paths.push_back(std::move(path));
		}
		if (paths.empty())
			return false;
		*_paths = std::move(paths);
		return true;
	} catch (const std::bad_alloc&) {
		return false;
	}
}


status_t
path_for_item(const char* item, std::string* _path)
{
	if (item == NULL || item[0] == '\0')
		return B_BAD_VALUE;
	try {
		std::string text(item);
		if (starts_with_ignoring_case(text, "file:"))
			return path_for_file_uri(text, _path);
		if (looks_like_uri(text))
			return B_BAD_VALUE;
		if (text[0] == '/') {
			*_path = text;
			return B_OK;
		}
		char folder[PATH_MAX];
		if (getcwd(folder, sizeof(folder)) == NULL)
			return B_ERROR;
		std::string path(folder);
		if (path.back() != '/')
			path += '/';
		path += text;
		*_path = std::move(path);
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


} // namespace BPrivate
