/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/RefCodec.h>

#include <string.h>

#include <algorithm>

#include <Entry.h>


namespace BPrivate {


namespace {

// The device and the folder inode, before the name.
const size_t kDeviceOffset = 0;
const size_t kDirectoryOffset = sizeof(int32);
const size_t kNameOffset = kDirectoryOffset + sizeof(int64);

} // namespace


std::vector<uint8>
RefCodec::Encode(const entry_ref& ref)
{
	// The platform keeps a device in 32 bits; Linux numbers the devices it mounts within them.
	int32 device = static_cast<int32>(ref.device);
	int64 directory = static_cast<int64>(ref.directory);

	// Readers that only know device, folder and name stop at the name's end.
	size_t nameSize = ref.name != NULL ? strlen(ref.name) + 1 : 0;
	const char* folder = ref.name != NULL ? ref.directory_path() : NULL;
	size_t folderSize = folder != NULL ? strlen(folder) + 1 : 0;

	std::vector<uint8> item(kNameOffset);
	item.reserve(kNameOffset + nameSize + folderSize);
	memcpy(item.data() + kDeviceOffset, &device, sizeof(device));
	memcpy(item.data() + kDirectoryOffset, &directory, sizeof(directory));
	// Appended rather than copied to an offset: g++ 14 can't bound an offset past strlen's
	// result and warns.
	if (nameSize > 0)
		item.insert(item.end(), ref.name, ref.name + nameSize);
	if (folderSize > 0)
		item.insert(item.end(), folder, folder + folderSize);
	return item;
}


bool
RefCodec::Split(const uint8* data, size_t size, parts* _parts)
{
	if (size < kNameOffset)
		return false;

	parts& split = *_parts;
	memcpy(&split.device, data + kDeviceOffset, sizeof(split.device));
	memcpy(&split.directory, data + kDirectoryOffset, sizeof(split.directory));

	size_t rest = size - kNameOffset;
	split.name = reinterpret_cast<const char*>(data) + kNameOffset;
	split.nameLength = strnlen(split.name, rest);
	split.hasName = rest > 0;
	split.nameEnds = split.nameLength < rest;
	size_t nameSpan = std::min(split.nameLength + 1, rest);

	size_t folderRest = rest - nameSpan;
	split.folder = split.name + nameSpan;
	split.folderLength = strnlen(split.folder, folderRest);
	split.hasFolder = folderRest > 0;
	split.folderEnds = split.folderLength < folderRest;

	split.platformSize = kNameOffset + nameSpan;
	return true;
}


status_t
RefCodec::Decode(const uint8* data, size_t size, entry_ref* ref)
{
	parts split;
	if (!Split(data, size, &split))
		return B_BAD_DATA;

	// Name and folder path are optional, but each that is there must end within the item.
	if ((split.hasName && !split.nameEnds) || (split.hasFolder && !split.folderEnds))
		return B_BAD_DATA;

	// Linux device numbers are unsigned; -1 is the platform's "no device" and stays so.
	*ref = entry_ref();
	ref->device = split.device == -1 ? static_cast<dev_t>(-1)
									 : static_cast<dev_t>(static_cast<uint32>(split.device));
	ref->directory = static_cast<ino_t>(split.directory);
	if (split.hasName) {
		status_t status = ref->set_name(split.name);
		if (status != B_OK)
			return status;
	}
	if (split.hasFolder)
		return ref->set_directory_path(split.folder);
	return B_OK;
}


} // namespace BPrivate
