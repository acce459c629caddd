/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef REF_CODEC_H
#define REF_CODEC_H


#include <stddef.h>

#include <vector>

#include <SupportDefs.h>


struct entry_ref;


namespace BPrivate {


// An entry_ref as a message item holds it: int32 device, int64 folder inode and the name with
// its zero, as the platform lays them out; then the folder's path with its zero, which is ours.
class RefCodec {
public:
	// The parts of an item as far as they are there; a part that runs to the item's end without
	// its zero is cut there.
	struct parts {
		int32 device;
		int64 directory;
		const char* name;
		size_t nameLength;
		bool hasName;
		bool nameEnds;
		const char* folder;
		size_t folderLength;
		bool hasFolder;
		bool folderEnds;
		// The bytes of device, folder inode and name: the item as the platform sizes it.
		size_t platformSize;
	};

	// The item for ref. Throws std::bad_alloc.
	static std::vector<uint8> Encode(const entry_ref& ref);
	// False for an item too short for device and folder inode.
	static bool Split(const uint8* data, size_t size, parts* _parts);
	// B_BAD_DATA unless the item holds a whole ref.
	[[nodiscard]] static status_t Decode(const uint8* data, size_t size, entry_ref* ref);
};


} // namespace BPrivate


#endif // REF_CODEC_H
