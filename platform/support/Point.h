/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _POINT_H
#define _POINT_H


class BPoint {
public:
	constexpr BPoint()
		: x(0),
		  y(0)
	{
	}
	constexpr BPoint(float x, float y)
		: x(x),
		  y(y)
	{
	}

	void Set(float newX, float newY)
	{
		x = newX;
		y = newY;
	}

	constexpr BPoint operator+(const BPoint& other) const
	{
		return BPoint(x + other.x, y + other.y);
	}
	constexpr BPoint operator-(const BPoint& other) const
	{
		return BPoint(x - other.x, y - other.y);
	}
	constexpr bool operator==(const BPoint& other) const { return x == other.x && y == other.y; }
	constexpr bool operator!=(const BPoint& other) const { return !(*this == other); }

	void PrintToStream() const;

	float x;
	float y;
};


#endif // _POINT_H
