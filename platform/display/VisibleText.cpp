/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/VisibleText.h>

#include <stdio.h>

#include <support/private/TextEscape.h>


namespace BPrivate {


namespace {

// Characters that draw nothing of their own or change the direction of what follows.
const uint32 kHidden[][2] = {
	{0x00ad, 0x00ad}, // soft hyphen
	{0x034f, 0x034f}, // combining grapheme joiner
	{0x061c, 0x061c}, // Arabic letter mark
	{0x115f, 0x1160}, // Hangul fillers
	{0x17b4, 0x17b5}, // Khmer inherent vowels
	{0x180b, 0x180f}, // Mongolian selectors and vowel separator
	{0x200b, 0x200f}, // zero-width space, non-joiner, joiner; LRM, RLM
	{0x2028, 0x202e}, // line and paragraph separators; embeddings, overrides
	{0x2060, 0x206f}, // word joiner, invisible operators, isolates, deprecated formats
	{0x3164, 0x3164}, // Hangul filler
	{0xfe00, 0xfe0f}, // variation selectors
	{0xfeff, 0xfeff}, // zero-width no-break space
	{0xffa0, 0xffa0}, // halfwidth Hangul filler
	{0xfff9, 0xfffb}, // interlinear annotation
	{0x1bca0, 0x1bca3}, // shorthand format controls
	{0x1d173, 0x1d17a}, // musical format controls
	{0xe0000, 0xe0fff}, // tags, variation selectors supplement
};


bool
is_hidden(uint32 codePoint)
{
	for (const auto& range : kHidden) {
		if (codePoint >= range[0] && codePoint <= range[1])
			return true;
	}
	return false;
}

} // namespace


std::string
visible_text(const std::string& text)
{
	std::string visible;
	visible.reserve(text.size());
	size_t index = 0;
	while (index < text.size()) {
		size_t start = index;
		uint32 codePoint;
		if (!decode_utf8(text.data(), text.size(), &index, &codePoint)) {
			visible += "\xef\xbf\xbd";
			continue;
		}
		if (is_hidden(codePoint)) {
			char name[16];
			snprintf(name, sizeof(name), "<U+%04X>", static_cast<unsigned>(codePoint));
			visible += name;
			continue;
		}
		visible.append(text, start, index - start);
	}
	return visible;
}


} // namespace BPrivate
