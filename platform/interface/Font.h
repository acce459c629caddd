/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _FONT_H
#define _FONT_H


#include <SupportDefs.h>


enum {
	B_FONT_FAMILY_AND_STYLE = 0x00000001,
	B_FONT_SIZE = 0x00000002,
	B_FONT_SHEAR = 0x00000004,
	B_FONT_ROTATION = 0x00000008,
	B_FONT_SPACING = 0x00000010,
	B_FONT_ENCODING = 0x00000020,
	B_FONT_FACE = 0x00000040,
	B_FONT_FLAGS = 0x00000080,
	B_FONT_ALL = 0x000000FF
};

enum {
	B_REGULAR_FACE = 0x0040,
	B_BOLD_FACE = 0x0020,
	B_ITALIC_FACE = 0x0001
};

struct font_height {
	float ascent;
	float descent;
	float leading;
};


// Sizes are in pixels of the display; the display measures the text.
class BFont {
public:
	BFont();
	BFont(const BFont* font);

	void SetSize(float size);
	float Size() const;
	void SetFace(uint16 face);
	uint16 Face() const;
	bool IsBold() const;

	float StringWidth(const char* string) const;
	void GetHeight(font_height* height) const;

	bool operator==(const BFont& other) const;
	bool operator!=(const BFont& other) const { return !(*this == other); }

private:
	float fSize;
	uint16 fFace;
};


extern const BFont* be_plain_font;
extern const BFont* be_bold_font;


#endif // _FONT_H
