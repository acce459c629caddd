/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef TEXT_ESCAPE_H
#define TEXT_ESCAPE_H


#include <stddef.h>
#include <stdio.h>

#include <string>

#include <SupportDefs.h>


namespace BPrivate {


// Reads the UTF-8 character at *index and moves past it. A byte that starts no valid character
// (stray, overlong, a surrogate, beyond U+10FFFF, cut short) is read alone: false, *index moves
// by one and *codePoint is that byte.
bool decode_utf8(const char* text, size_t size, size_t* index, uint32* codePoint);

// Text as the kits write it on a terminal: printable UTF-8 as it is; control characters (C0,
// DEL, C1) and bytes that are no UTF-8, byte by byte as \xNN; the backslash as \\. So a name
// can't move the cursor, retitle or clear the terminal, and reads back exactly.
std::string escaped_text(const char* text, size_t size);
std::string escaped_text(const char* text);
// The same, written to file without taking memory.
void write_escaped(FILE* file, const char* text, size_t size);


} // namespace BPrivate


#endif // TEXT_ESCAPE_H
