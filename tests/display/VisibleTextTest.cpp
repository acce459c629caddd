/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Names as the screen shows them and as debugging lines write them.
#include <gtest/gtest.h>

#include <display/VisibleText.h>
#include <support/private/TextEscape.h>


using BPrivate::escaped_text;
using BPrivate::visible_text;


TEST(VisibleTextTest, BytesThatAreNoUtf8ShowAsReplacementCharacters)
{
	EXPECT_EQ(visible_text("caf\xe9"), "caf\xef\xbf\xbd");
	// Overlong, a surrogate, beyond U+10FFFF, cut short: one U+FFFD a byte.
	EXPECT_EQ(visible_text("\xc0\xaf"), "\xef\xbf\xbd\xef\xbf\xbd");
	EXPECT_EQ(visible_text("\xed\xa0\x80"), "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd");
	EXPECT_EQ(visible_text("\xf4\x90\x80\x80").size(), 12u);
	EXPECT_EQ(visible_text("a\xe2\x82"), "a\xef\xbf\xbd\xef\xbf\xbd");
	EXPECT_EQ(visible_text("Gr\xc3\xbc\xc3\x9f \xe6\x97\xa5 \xf0\x9f\x93\x84"),
		"Gr\xc3\xbc\xc3\x9f \xe6\x97\xa5 \xf0\x9f\x93\x84");
}


TEST(VisibleTextTest, DirectionAndInvisibleCharactersShowByTheirNames)
{
	EXPECT_EQ(visible_text("invoice\xe2\x80\xae"
						   "fdp.exe"),
		"invoice<U+202E>fdp.exe");
	EXPECT_EQ(visible_text("a\xe2\x80\x8b.txt"), "a<U+200B>.txt");
	EXPECT_EQ(visible_text("\xe2\x81\xa6x\xe2\x81\xa9\xe2\x80\x8e\xe2\x80\x8f\xd8\x9c"),
		"<U+2066>x<U+2069><U+200E><U+200F><U+061C>");
	EXPECT_EQ(visible_text("\xef\xbb\xbf\xe2\x81\xa0\xe2\x80\x8d\xe2\x80\xaa"),
		"<U+FEFF><U+2060><U+200D><U+202A>");
	EXPECT_EQ(visible_text("a\nb\x1b"), "a\nb\x1b");
	EXPECT_EQ(visible_text("\xf3\xa0\x80\x81"), "<U+E0001>");
	EXPECT_EQ(visible_text("<U+202E> as typed"), "<U+202E> as typed");
}


TEST(EscapedTextTest, ControlsAndStrayBytesAreWrittenEscaped)
{
	EXPECT_EQ(escaped_text("\x1b]0;title\x07"), "\\x1b]0;title\\x07");
	EXPECT_EQ(escaped_text("\x1b[2J\r\n\t\x7f"), "\\x1b[2J\\x0d\\x0a\\x09\\x7f");
	EXPECT_EQ(escaped_text("csi \xc2\x9b"
						   "2J"),
		"csi \\xc2\\x9b2J");
	EXPECT_EQ(escaped_text("caf\xe9"), "caf\\xe9");
	EXPECT_EQ(escaped_text("back\\slash \\x1b"), "back\\\\slash \\\\x1b");
	EXPECT_EQ(escaped_text("caf\xc3\xa9 \xe2\x80\xae \xf0\x9f\x93\x84"),
		"caf\xc3\xa9 \xe2\x80\xae \xf0\x9f\x93\x84");
	EXPECT_EQ(escaped_text(std::string("a\0b", 3).data(), 3), "a\\x00b");
}
