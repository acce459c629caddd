/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Nor its private headers.
#include <interface/private/WindowInput.h>
