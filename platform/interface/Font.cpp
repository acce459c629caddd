/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Font.h>

#include <display/DisplayServer.h>


namespace {

const float kPlainSize = 13;

const BFont sPlainFont;

BFont
make_bold_font()
{
	BFont font;
	font.SetFace(B_BOLD_FACE);
	return font;
}

const BFont sBoldFont = make_bold_font();


BPrivate::font_spec
spec_of(const BFont& font)
{
	BPrivate::font_spec spec;
	spec.size = font.Size();
	spec.bold = font.IsBold();
	return spec;
}

} // namespace


const BFont* be_plain_font = &sPlainFont;
const BFont* be_bold_font = &sBoldFont;


BFont::BFont()
	: fSize(kPlainSize),
	  fFace(B_REGULAR_FACE)
{
}


BFont::BFont(const BFont* font)
	: BFont()
{
	if (font != NULL)
		*this = *font;
}


void
BFont::SetSize(float size)
{
	fSize = size;
}


float
BFont::Size() const
{
	return fSize;
}


void
BFont::SetFace(uint16 face)
{
	fFace = face;
}


uint16
BFont::Face() const
{
	return fFace;
}


bool
BFont::IsBold() const
{
	return (fFace & B_BOLD_FACE) != 0;
}


float
BFont::StringWidth(const char* string) const
{
	if (string == NULL)
		return 0;
	return BPrivate::display_server()->StringWidth(spec_of(*this), string);
}


void
BFont::GetHeight(font_height* height) const
{
	if (height == NULL)
		return;
	BPrivate::display_server()->GetFontHeight(spec_of(*this), &height->ascent, &height->descent,
		&height->leading);
}


bool
BFont::operator==(const BFont& other) const
{
	return fSize == other.fSize && fFace == other.fFace;
}
