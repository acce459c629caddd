/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef RESOURCE_FORMAT_H
#define RESOURCE_FORMAT_H


#include <stddef.h>

#include <bit>

#include <SupportDefs.h>


namespace BPrivate {


// The fixed parts of an x86 resource area, as they lie in the file. Every number is a
// little-endian uint32, so the structs need no packing and are copied as they are in memory.
static_assert(std::endian::native == std::endian::little);


// At the start of the area.
struct resources_header {
	uint32 magic;
	uint32 resourceCount;
	uint32 indexSectionOffset;
	// The header and the index section together.
	uint32 adminSectionSize;
	uint32 pad[13];
};


// At indexSectionOffset: where the sections lie, then the index entries.
struct resource_index_section_header {
	uint32 indexSectionOffset;
	uint32 indexSectionSize;
	uint32 unusedData1;
	uint32 unknownSectionOffset;
	uint32 unknownSectionSize;
	uint32 unusedData2[25];
	uint32 infoTableOffset;
	uint32 infoTableSize;
	uint32 unusedData3;
};


// One per resource, in index order: where its data lies in the area.
struct resource_index_entry {
	uint32 offset;
	uint32 size;
	uint32 pad;
};


// The last bytes of the info table.
struct resource_info_table_end {
	uint32 checksum;
	uint32 terminator;
};


static_assert(sizeof(resources_header) == 68);
static_assert(sizeof(resource_index_section_header) == 132);
static_assert(sizeof(resource_index_entry) == 12);
static_assert(sizeof(resource_info_table_end) == 8);


const uint32 kResourcesMagic = 0x444F1000;
// The index section follows the header directly.
const uint32 kIndexSectionOffset = sizeof(resources_header);
const uint32 kIndexEntriesOffset = kIndexSectionOffset + sizeof(resource_index_section_header);
const uint32 kIndexSectionAlignment = 0x600;
const uint32 kUnknownSectionSize = 0x168;
// The words of the filler in unused places, by their offset in the area.
const uint32 kUnusedDataPattern[3] = {0xFFFFFFFF, 0x000003E9, 0x00000000};
// Two of these close each type block of the info table.
const uint32 kInfoSeparator = 0xFFFFFFFF;
const size_t kInfoSeparatorSize = 2 * sizeof(uint32);


} // namespace BPrivate


#endif // RESOURCE_FORMAT_H
