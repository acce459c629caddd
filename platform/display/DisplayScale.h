/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DISPLAY_SCALE_H
#define DISPLAY_SCALE_H


#include <Rect.h>


namespace BPrivate {


// How many screen pixels a logical unit of the kits takes. The kits, their layout and their
// fixed sizes stay in logical units; only the backend's drawing and its input see pixels.
class DisplayScale {
public:
	static constexpr float kMinimum = 1.0f;
	static constexpr float kMaximum = 4.0f;

	explicit DisplayScale(float factor = 1.0f);

	// From the text of the X resource Xft.dpi, as desktops publish their scale: 96 dots per
	// inch is 1.0. No value, or one that is no number, is 1.0.
	static DisplayScale FromDpi(const char* dpi);

	float Factor() const { return fFactor; }

	// A logical edge in pixels. Edges are rounded rather than sizes, so that views sharing an
	// edge share it in pixels too, and nothing drifts or gaps at fractional scales.
	int Pixel(float logical) const;
	// A length, such as a margin or a font size, in pixels; never less than minimum.
	int Length(float logical, int minimum = 0) const;
	// A line one logical unit wide: whole pixels, so that lines stay crisp.
	int LineWidth() const;
	float Logical(float pixels) const;

	// An inclusive logical frame as a pixel rectangle (position and size).
	void GetPixelFrame(const BRect& frame, int* _x, int* _y, int* _width, int* _height) const;
	// A pixel rectangle as an inclusive logical frame.
	BRect LogicalFrame(int x, int y, int width, int height) const;

private:
	float fFactor;
};


} // namespace BPrivate


#endif // DISPLAY_SCALE_H
