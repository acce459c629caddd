/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// attachres FILE RECORDS: replaces the resources of FILE (an ELF image or a resource file) with
// the records described in the text file RECORDS. The build runs it on each deliverable after
// linking, and installing runs it again after stripping.

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <Message.h>

#include <storage/private/ResourceFile.h>


namespace {

using BPrivate::resource_record;

const char* const kProgram = "attachres";
const size_t kVersionShortSize = 64;
const size_t kVersionLongSize = 256;


struct token {
	std::string text;
	bool quoted;
};


class SyntaxError {
public:
	SyntaxError(const std::string& message)
		: fMessage(message)
	{
	}
	const std::string& Message() const { return fMessage; }

private:
	std::string fMessage;
};


// Splits a line into words and quoted strings; '#' outside a string starts a comment.
std::vector<token>
tokenize(const std::string& line)
{
	std::vector<token> tokens;
	size_t i = 0;
	while (i < line.size()) {
		char c = line[i];
		if (c == ' ' || c == '\t' || c == '\r') {
			i++;
			continue;
		}
		if (c == '#')
			break;
		if (c != '"') {
			size_t end = line.find_first_of(" \t\r\"#", i);
			if (end == std::string::npos)
				end = line.size();
			tokens.push_back({line.substr(i, end - i), false});
			i = end;
			continue;
		}
		std::string text;
		for (i++;; i++) {
			if (i >= line.size())
				throw SyntaxError("a string is not closed");
			c = line[i];
			if (c == '"')
				break;
			if (c != '\\') {
				text += c;
				continue;
			}
			if (++i >= line.size())
				throw SyntaxError("a string is not closed");
			switch (line[i]) {
				case 'n':
					text += '\n';
					break;
				case 't':
					text += '\t';
					break;
				case '"':
				case '\\':
					text += line[i];
					break;
				default:
					throw SyntaxError(std::string("unknown escape \\") + line[i]);
			}
		}
		i++;
		tokens.push_back({text, true});
	}
	return tokens;
}


uint32
number(const token& word)
{
	char* end;
	errno = 0;
	unsigned long value = strtoul(word.text.c_str(), &end, 0);
	if (word.quoted || word.text.empty() || *end != '\0' || errno != 0 || value > 0xFFFFFFFFul)
		throw SyntaxError("\"" + word.text + "\" is not a number");
	return uint32(value);
}


void
append32(std::vector<uint8>* data, uint32 value)
{
	for (int shift = 0; shift < 32; shift += 8)
		data->push_back(uint8(value >> shift));
}


void
append_padded(std::vector<uint8>* data, const std::string& text, size_t size)
{
	// The last byte stays zero, so that a reader finds the end of the text.
	if (text.size() >= size)
		throw SyntaxError("\"" + text + "\" is longer than " + std::to_string(size - 1));
	data->insert(data->end(), text.begin(), text.end());
	data->insert(data->end(), size - text.size(), 0);
}


// A picture file: "size W H", "legend C INDEX [comment]" lines, then "pixels" and H rows of W
// characters, each one of the legend's.
std::vector<uint8>
read_picture(const std::string& path)
{
	std::ifstream file(path);
	if (!file)
		throw SyntaxError("can't read " + path);
	int width = -1;
	int height = -1;
	int legend[256];
	std::fill(legend, legend + 256, -1);
	std::vector<uint8> pixels;
	bool inPixels = false;
	std::string line;
	int lineNumber = 0;
	while (std::getline(file, line)) {
		lineNumber++;
		std::string where = path + ":" + std::to_string(lineNumber) + ": ";
		if (inPixels) {
			if (int(line.size()) != width)
				throw SyntaxError(where + "a row is not " + std::to_string(width) + " wide");
			for (unsigned char c : line) {
				if (legend[c] < 0)
					throw SyntaxError(where + "'" + char(c) + "' is not in the legend");
				pixels.push_back(uint8(legend[c]));
			}
			continue;
		}
		if (line.empty() || line[0] == '#')
			continue;
		std::istringstream words(line);
		std::string keyword;
		words >> keyword;
		if (keyword == "size") {
			words >> width >> height;
			if (!words || width <= 0 || height <= 0 || width > 256 || height > 256)
				throw SyntaxError(where + "a bad size");
		} else if (keyword == "legend") {
			std::string character;
			int index = -1;
			words >> character >> index;
			if (!words || character.size() != 1 || index < 0 || index > 255)
				throw SyntaxError(where + "a bad legend line");
			legend[uint8(character[0])] = index;
		} else if (keyword == "pixels") {
			if (width < 0)
				throw SyntaxError(where + "the pixels come before the size");
			inPixels = true;
		} else
			throw SyntaxError(where + "unknown line \"" + keyword + "\"");
	}
	if (!inPixels || int(pixels.size()) != width * height)
		throw SyntaxError(path + ": not " + std::to_string(height) + " rows of pixels");
	return pixels;
}


resource_record
parse_record(const std::vector<token>& tokens, const std::string& folder)
{
	if (tokens.size() < 4 || tokens[0].quoted || tokens[0].text.size() != 4 || !tokens[2].quoted)
		throw SyntaxError("a record starts with TYPE ID \"NAME\"");
	resource_record record;
	const std::string& type = tokens[0].text;
	record.type = uint32(uint8(type[0])) << 24 | uint32(uint8(type[1])) << 16
		| uint32(uint8(type[2])) << 8 | uint8(type[3]);
	record.id = int32(number(tokens[1]));
	record.name = tokens[2].text;

	size_t i = 3;
	auto next = [&](const char* what) -> const token& {
		if (i >= tokens.size())
			throw SyntaxError(std::string("missing ") + what);
		return tokens[i++];
	};
	while (i < tokens.size()) {
		std::string kind = next("content").text;
		if (kind == "string") {
			const token& text = next("a string");
			record.data.insert(record.data.end(), text.text.begin(), text.text.end());
			record.data.push_back(0);
		} else if (kind == "uint32") {
			append32(&record.data, number(next("a number")));
		} else if (kind == "version") {
			for (int part = 0; part < 5; part++)
				append32(&record.data, number(next("a version number")));
			append_padded(&record.data, next("a short description").text, kVersionShortSize);
			append_padded(&record.data, next("a long description").text, kVersionLongSize);
		} else if (kind == "types") {
			BMessage message;
			while (i < tokens.size() && tokens[i].quoted)
				message.AddString("types", tokens[i++].text.c_str());
			ssize_t size = message.FlattenedSize();
			if (size < 0)
				throw SyntaxError("the types can't be flattened");
			std::vector<char> bytes(size);
			if (message.Flatten(bytes.data(), size) != B_OK)
				throw SyntaxError("the types can't be flattened");
			record.data.insert(record.data.end(), bytes.begin(), bytes.end());
		} else if (kind == "icon") {
			std::vector<uint8> pixels = read_picture(folder + next("a file").text);
			record.data.insert(record.data.end(), pixels.begin(), pixels.end());
		} else
			throw SyntaxError("unknown content \"" + kind + "\"");
	}
	return record;
}


std::vector<resource_record>
read_records(const char* path)
{
	std::ifstream file(path);
	if (!file)
		throw SyntaxError(std::string("can't read ") + path);
	std::string folder(path);
	size_t slash = folder.rfind('/');
	folder = slash == std::string::npos ? "" : folder.substr(0, slash + 1);

	std::vector<resource_record> records;
	std::string line;
	std::string logical;
	int lineNumber = 0;
	int firstLine = 0;
	while (std::getline(file, line)) {
		lineNumber++;
		if (logical.empty())
			firstLine = lineNumber;
		if (!line.empty() && line.back() == '\\') {
			line.pop_back();
			logical += line + " ";
			continue;
		}
		logical += line;
		try {
			std::vector<token> tokens = tokenize(logical);
			if (!tokens.empty())
				records.push_back(parse_record(tokens, folder));
		} catch (const SyntaxError& error) {
			throw SyntaxError(
				std::string(path) + ":" + std::to_string(firstLine) + ": " + error.Message());
		}
		logical.clear();
	}
	return records;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: %s FILE RECORDS\n", kProgram);
		return 2;
	}
	std::vector<resource_record> records;
	try {
		records = read_records(argv[2]);
	} catch (const SyntaxError& error) {
		fprintf(stderr, "%s: %s\n", kProgram, error.Message().c_str());
		return 1;
	}
	status_t status = BPrivate::write_resources(argv[1], records);
	if (status != B_OK) {
		fprintf(stderr, "%s: can't write the records to %s: %s\n", kProgram, argv[1],
			status == B_BAD_TYPE	   ? "neither an ELF image nor a resource file"
				: status == B_BAD_DATA ? "its ELF headers are damaged"
									   : strerror(EIO));
		return 1;
	}
	return 0;
}
