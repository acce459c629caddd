/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/DisplayScale.h>

#include <math.h>
#include <stdlib.h>

#include <algorithm>


namespace BPrivate {


namespace {

const float kBaseDpi = 96;

} // namespace


DisplayScale::DisplayScale(float factor)
	: fFactor(std::isfinite(factor) ? std::clamp(factor, kMinimum, kMaximum) : 1.0f)
{
}


DisplayScale
DisplayScale::FromDpi(const char* dpi)
{
	if (dpi == NULL)
		return DisplayScale();
	char* end;
	float value = strtof(dpi, &end);
	while (*end == ' ' || *end == '\t')
		end++;
	if (end == dpi || *end != '\0' || !(value > 0))
		return DisplayScale();
	return DisplayScale(value / kBaseDpi);
}


int
DisplayScale::Pixel(float logical) const
{
	return static_cast<int>(lroundf(logical * fFactor));
}


int
DisplayScale::Length(float logical, int minimum) const
{
	return std::max(minimum, Pixel(logical));
}


int
DisplayScale::LineWidth() const
{
	return Length(1, 1);
}


float
DisplayScale::Logical(float pixels) const
{
	return pixels / fFactor;
}


void
DisplayScale::GetPixelFrame(const BRect& frame, int* _x, int* _y, int* _width, int* _height) const
{
	int left = Pixel(frame.left);
	int top = Pixel(frame.top);
	*_x = left;
	*_y = top;
	*_width = std::max(0, Pixel(frame.right + 1) - left);
	*_height = std::max(0, Pixel(frame.bottom + 1) - top);
}


BRect
DisplayScale::LogicalFrame(int x, int y, int width, int height) const
{
	return BRect(Logical(x), Logical(y), Logical(x + width) - 1, Logical(y + height) - 1);
}


} // namespace BPrivate
