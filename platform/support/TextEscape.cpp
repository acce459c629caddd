/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <support/private/TextEscape.h>

#include <string.h>


namespace BPrivate {


bool
decode_utf8(const char* text, size_t size, size_t* index, uint32* _codePoint)
{
	const uint8* bytes = reinterpret_cast<const uint8*>(text) + *index;
	size_t left = size - *index;
	uint8 first = bytes[0];
	*_codePoint = first;
	size_t length;
	uint32 codePoint;
	uint32 lowest;
	if (first < 0x80) {
		*index += 1;
		return true;
	} else if (first >= 0xc2 && first <= 0xdf) {
		length = 2;
		codePoint = first & 0x1f;
		lowest = 0x80;
	} else if (first >= 0xe0 && first <= 0xef) {
		length = 3;
		codePoint = first & 0x0f;
		lowest = 0x800;
	} else if (first >= 0xf0 && first <= 0xf4) {
		length = 4;
		codePoint = first & 0x07;
		lowest = 0x10000;
	} else {
		*index += 1;
		return false;
	}
	if (left < length) {
		*index += 1;
		return false;
	}
	for (size_t i = 1; i < length; i++) {
		if ((bytes[i] & 0xc0) != 0x80) {
			*index += 1;
			return false;
		}
		codePoint = (codePoint << 6) | (bytes[i] & 0x3f);
	}
	if (codePoint < lowest || codePoint > 0x10ffff
		|| (codePoint >= 0xd800 && codePoint <= 0xdfff)) {
		*index += 1;
		return false;
	}
	*index += length;
	*_codePoint = codePoint;
	return true;
}


namespace {

// Hands the escaped text to append(bytes, length) piece by piece.
template<class Append>
void
escape(const char* text, size_t size, Append append)
{
	static const char kDigits[] = "0123456789abcdef";
	size_t index = 0;
	while (index < size) {
		size_t start = index;
		uint32 codePoint;
		bool valid = decode_utf8(text, size, &index, &codePoint);
		if (valid && codePoint == '\\') {
			append("\\\\", 2);
			continue;
		}
		if (valid && codePoint >= 0x20 && codePoint != 0x7f
			&& (codePoint < 0x80 || codePoint > 0x9f)) {
			append(text + start, index - start);
			continue;
		}
		for (size_t i = start; i < index; i++) {
			uint8 byte = static_cast<uint8>(text[i]);
			char escaped[4] = {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xf]};
			append(escaped, sizeof(escaped));
		}
	}
}

} // namespace


std::string
escaped_text(const char* text, size_t size)
{
	std::string escaped;
	escaped.reserve(size);
	escape(text, size, [&](const char* bytes, size_t length) { escaped.append(bytes, length); });
	return escaped;
}


void
write_escaped(FILE* file, const char* text, size_t size)
{
	escape(text, size,
		[file](const char* bytes, size_t length) { fwrite(bytes, 1, length, file); });
}


std::string
escaped_text(const char* text)
{
	return text != NULL ? escaped_text(text, strlen(text)) : std::string();
}


} // namespace BPrivate
