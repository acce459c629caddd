/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _RECT_H
#define _RECT_H


#include <Point.h>


// Left, top, right and bottom, all inclusive as on BeOS: a rectangle from 0 to 9 is 10 pixels
// wide but has Width() 9. The default rectangle is invalid (right < left).
class BRect {
public:
	constexpr BRect()
		: left(0),
		  top(0),
		  right(-1),
		  bottom(-1)
	{
	}
	constexpr BRect(float l, float t, float r, float b)
		: left(l),
		  top(t),
		  right(r),
		  bottom(b)
	{
	}
	constexpr BRect(BPoint leftTop, BPoint rightBottom)
		: left(leftTop.x),
		  top(leftTop.y),
		  right(rightBottom.x),
		  bottom(rightBottom.y)
	{
	}

	void Set(float l, float t, float r, float b)
	{
		left = l;
		top = t;
		right = r;
		bottom = b;
	}

	constexpr BPoint LeftTop() const { return BPoint(left, top); }
	constexpr BPoint RightBottom() const { return BPoint(right, bottom); }
	constexpr float Width() const { return right - left; }
	constexpr float Height() const { return bottom - top; }
	constexpr bool IsValid() const { return left <= right && top <= bottom; }

	void OffsetBy(float dx, float dy);
	void OffsetBy(BPoint delta) { OffsetBy(delta.x, delta.y); }
	void OffsetTo(float x, float y);
	void OffsetTo(BPoint point) { OffsetTo(point.x, point.y); }
	void InsetBy(float dx, float dy);
	BRect OffsetByCopy(float dx, float dy) const;
	BRect OffsetToCopy(float x, float y) const;
	BRect InsetByCopy(float dx, float dy) const;

	bool Contains(BPoint point) const;

	constexpr bool operator==(const BRect& other) const
	{
		return left == other.left && top == other.top && right == other.right
			&& bottom == other.bottom;
	}
	constexpr bool operator!=(const BRect& other) const { return !(*this == other); }

	void PrintToStream() const;

	float left;
	float top;
	float right;
	float bottom;
};


#endif // _RECT_H
