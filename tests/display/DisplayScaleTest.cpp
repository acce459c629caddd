/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/DisplayScale.h>

#include <vector>

#include <gtest/gtest.h>


using namespace BPrivate;


TEST(DisplayScaleTest, TakesTheScaleFromTheDesktopsDpi)
{
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("96").Factor(), 1.0f);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("120").Factor(), 1.25f);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("144").Factor(), 1.5f);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("192").Factor(), 2.0f);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("168.0").Factor(), 1.75f);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi(" 192 ").Factor(), 2.0f);

	// No resource, or nonsense in it, leaves the windows as they are.
	for (const char* dpi : {(const char*)NULL, "", "abc", "192dpi", "0", "-192", "nan", "inf"})
		EXPECT_FLOAT_EQ(DisplayScale::FromDpi(dpi).Factor(), 1.0f) << (dpi != NULL ? dpi : "NULL");
	// Below 96 nothing shrinks; far above, the windows stop growing before they leave the screen.
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("72").Factor(), DisplayScale::kMinimum);
	EXPECT_FLOAT_EQ(DisplayScale::FromDpi("9600").Factor(), DisplayScale::kMaximum);
}


TEST(DisplayScaleTest, FramesAndPointsGoBothWays)
{
	int x, y, w, h;
	DisplayScale one;
	one.GetPixelFrame(BRect(50, 50, 335, 188), &x, &y, &w, &h);
	EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({50, 50, 286, 139}));

	DisplayScale two(2);
	two.GetPixelFrame(BRect(50, 50, 335, 188), &x, &y, &w, &h);
	EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({100, 100, 572, 278}));
	BRect screen = two.LogicalFrame(0, 0, 1024, 768);
	EXPECT_EQ(screen.LeftTop(), BPoint(0, 0));
	EXPECT_EQ(screen.RightBottom(), BPoint(511, 383));
	EXPECT_FLOAT_EQ(two.Logical(301), 150.5f);

	DisplayScale oneAndAHalf(1.5f);
	oneAndAHalf.GetPixelFrame(BRect(50, 50, 335, 188), &x, &y, &w, &h);
	EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({75, 75, 429, 209}));
	EXPECT_FLOAT_EQ(oneAndAHalf.Logical(75), 50.0f);
}


TEST(DisplayScaleTest, FramesSideBySideNeitherGapNorOverlap)
{
	// Views laid out from font metrics have fractional edges; neighbours share each edge.
	for (float factor : {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f}) {
		DisplayScale scale(factor);
		float left = 0;
		int end = 0;
		for (float width : {20.4f, 91.5f, 13.25f, 7.0f, 33.8f, 0.6f}) {
			int x, y, w, h;
			scale.GetPixelFrame(BRect(left, 0, left + width - 1, 9), &x, &y, &w, &h);
			EXPECT_EQ(x, end) << "at " << factor << ", from " << left;
			EXPECT_GE(w, 0);
			end = x + w;
			left += width;
		}
		EXPECT_EQ(end, scale.Pixel(left)) << "at " << factor;
	}
}


TEST(DisplayScaleTest, LinesAreWholePixels)
{
	EXPECT_EQ(DisplayScale(1.0f).LineWidth(), 1);
	EXPECT_EQ(DisplayScale(1.25f).LineWidth(), 1);
	EXPECT_EQ(DisplayScale(1.5f).LineWidth(), 2);
	EXPECT_EQ(DisplayScale(2.0f).LineWidth(), 2);
	EXPECT_EQ(DisplayScale(3.0f).LineWidth(), 3);
	// Font sizes and margins round the same way; a length never drops below its minimum.
	EXPECT_EQ(DisplayScale(1.25f).Length(12, 1), 15);
	EXPECT_EQ(DisplayScale(1.5f).Length(12, 1), 18);
	EXPECT_EQ(DisplayScale(2.0f).Length(0.1f, 1), 1);
}
