/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The display may not see the window kit above it.
#include <Window.h>
