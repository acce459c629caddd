/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <MView.h>


minimax::minimax(int minX, int minY, int maxX, int maxY, float weight)
	: mini(minX, minY),
	  maxi(maxX, maxY),
	  weight(weight)
{
}


MView::MView()
{
}


MView::~MView()
{
}
