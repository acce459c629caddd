/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <PermsWindow.h>


namespace {

// Bitwell's permissions windows cascade from (50, 50) from the first one on; the add-on, which
// has no start-up initialisation, starts from an all-zero frame instead.
struct CascadeStart {
	CascadeStart() { _offset = BRect(50, 50, 60, 60); }
};

const CascadeStart sCascadeStart;

} // namespace
