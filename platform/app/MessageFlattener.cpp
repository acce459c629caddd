/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/MessageFlattener.h>

#include <string.h>

#include <bit>
#include <new>
#include <string>
#include <unordered_map>


namespace BPrivate {


namespace {

// The classic format stores every number in the byte order of the host that wrote it, and the
// hosts that read our files wrote little-endian: values are copied as they are in memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(bool) == 1);

const uint32 kFormatClassic = 'FOB1';

// Magic, checksum, flattened size, what and the flags byte.
const size_t kHeaderSize = 17;
const size_t kChecksumOffset = 4;
// The checksum covers the header from the flattened size on.
const size_t kChecksumStart = 8;
const size_t kTargetSize = 4;
const size_t kReplyInfoSize = 16;

const uint8 kHeaderFlagValid = 0x01;
const uint8 kHeaderFlagTarget = 0x02;
const uint8 kHeaderFlagReplyInfo = 0x04;

const uint8 kFieldFlagValid = 0x01;
const uint8 kFieldFlagMiniData = 0x02;
const uint8 kFieldFlagFixedSize = 0x04;
const uint8 kFieldFlagSingleItem = 0x08;

const size_t kMaxNameLength = 255;


// The sum of the bytes taken as big-endian 32-bit numbers, the 1 to 3 left over packed into one.
uint32
header_checksum(const uint8* data, size_t size)
{
	uint32 sum = 0;
	size_t offset = 0;
	for (; offset + 4 <= size; offset += 4) {
		sum += (static_cast<uint32>(data[offset]) << 24)
			| (static_cast<uint32>(data[offset + 1]) << 16)
			| (static_cast<uint32>(data[offset + 2]) << 8) | data[offset + 3];
	}

	uint32 rest = 0;
	for (; offset < size; offset++)
		rest = (rest << 8) + data[offset];
	return sum + rest;
}


// Reads a flattened message and never steps outside it.
class Reader {
public:
	Reader(const uint8* data, size_t size)
		: fData(data),
		  fRemaining(size)
	{
	}

	size_t Remaining() const { return fRemaining; }

	// The next size bytes, or NULL when fewer are left.
	const uint8* Take(size_t size)
	{
		if (size > fRemaining)
			return NULL;

		const uint8* start = fData;
		fData += size;
		fRemaining -= size;
		return start;
	}

	template<typename T>
	bool Read(T* value)
	{
		const uint8* bytes = Take(sizeof(T));
		if (bytes == NULL)
			return false;

		memcpy(value, bytes, sizeof(T));
		return true;
	}

private:
	const uint8* fData;
	size_t fRemaining;
};


// Writes into a buffer its caller has made large enough.
class Writer {
public:
	explicit Writer(uint8* data)
		: fData(data)
	{
	}

	void Write(const void* data, size_t size)
	{
		if (size > 0)
			memcpy(fData, data, size);
		fData += size;
	}

	template<typename T>
	void Write(T value)
	{
		Write(&value, sizeof(T));
	}

	void Fill(size_t size)
	{
		memset(fData, 0, size);
		fData += size;
	}

private:
	uint8* fData;
};


// Checks the header and finds where the fields start and where the flattened message ends.
status_t
read_header(const uint8* buffer, size_t size, uint32* _what, size_t* _fieldsOffset,
	size_t* _flattenedSize)
{
	Reader reader(buffer, size);
	uint32 format;
	if (!reader.Read(&format))
		return B_BAD_VALUE;
	if (format != kFormatClassic)
		return B_NOT_A_MESSAGE;

	uint32 checksum;
	uint32 flattenedSize;
	uint32 what;
	uint8 flags;
	if (!reader.Read(&checksum) || !reader.Read(&flattenedSize) || !reader.Read(&what)
		|| !reader.Read(&flags)) {
		return B_BAD_VALUE;
	}

	// Target and reply details only mean something to the process a message was sent to.
	if ((flags & kHeaderFlagTarget) != 0 && reader.Take(kTargetSize) == NULL)
		return B_BAD_VALUE;
	if ((flags & kHeaderFlagReplyInfo) != 0 && reader.Take(kReplyInfoSize) == NULL)
		return B_BAD_VALUE;

	size_t headerSize = size - reader.Remaining();
	if (header_checksum(buffer + kChecksumStart, headerSize - kChecksumStart) != checksum)
		return B_NOT_A_MESSAGE;

	// There must be room for at least the byte that ends the fields.
	if (flattenedSize > size || flattenedSize <= headerSize)
		return B_BAD_VALUE;

	*_what = what;
	*_fieldsOffset = headerSize;
	*_flattenedSize = flattenedSize;
	return B_OK;
}


} // namespace


ssize_t
MessageFlattener::FlattenedSize(const BMessage& message)
{
	size_t size = kHeaderSize + 1;
	for (const BMessage::field& entry : message.fFields) {
		if (entry.name.size() > kMaxNameLength)
			return B_BAD_VALUE;

		// The format keeps sizes in signed 32 bits.
		size_t dataSize = entry.FlattenedDataSize();
		if (dataSize > INT32_MAX)
			return B_BAD_VALUE;

		size += 1 + sizeof(type_code) + (entry.CountItems() == 1 ? 0 : sizeof(int32))
			+ sizeof(int32) + 1 + entry.name.size() + dataSize;
		if (size > INT32_MAX)
			return B_BAD_VALUE;
	}
	return static_cast<ssize_t>(size);
}


status_t
MessageFlattener::Flatten(const BMessage& message, char* buffer, ssize_t size)
{
	if (buffer == NULL)
		return B_BAD_VALUE;

	ssize_t flattenedSize = FlattenedSize(message);
	if (flattenedSize < 0)
		return static_cast<status_t>(flattenedSize);
	if (size < flattenedSize)
		return B_BAD_VALUE;

	uint8* bytes = reinterpret_cast<uint8*>(buffer);
	Writer writer(bytes);
	writer.Write(kFormatClassic);
	writer.Write(static_cast<uint32>(0));
	writer.Write(static_cast<uint32>(flattenedSize));
	writer.Write(message.what);
	writer.Write(kHeaderFlagValid);

	uint32 checksum = header_checksum(bytes + kChecksumStart, kHeaderSize - kChecksumStart);
	memcpy(bytes + kChecksumOffset, &checksum, sizeof(checksum));

	for (const BMessage::field& entry : message.fFields) {
		int32 count = entry.CountItems();
		uint8 flags = kFieldFlagValid;
		if (entry.fixedSize)
			flags |= kFieldFlagFixedSize;
		if (count == 1)
			flags |= kFieldFlagSingleItem;

		writer.Write(flags);
		writer.Write(entry.type);
		if (count != 1)
			writer.Write(count);
		writer.Write(static_cast<int32>(entry.FlattenedDataSize()));
		writer.Write(static_cast<uint8>(entry.name.size()));
		writer.Write(entry.name.data(), entry.name.size());

		if (entry.fixedSize) {
			writer.Write(entry.data.data(), entry.data.size());
			continue;
		}
		for (int32 i = 0; i < count; i++) {
			size_t itemSize;
			const uint8* item = entry.ItemAt(i, &itemSize);
			writer.Write(static_cast<int32>(itemSize));
			writer.Write(item, itemSize);
			writer.Fill(padded_item_size(itemSize) - sizeof(int32) - itemSize);
		}
	}
	writer.Write(static_cast<uint8>(0));
	return B_OK;
}


status_t
MessageFlattener::Unflatten(const char* buffer, ssize_t size, uint32* _what,
	std::vector<BMessage::field>* _fields)
{
	if (buffer == NULL || size <= 0)
		return B_BAD_VALUE;

	try {
		const uint8* bytes = reinterpret_cast<const uint8*>(buffer);
		size_t fieldsOffset;
		size_t flattenedSize;
		status_t status
			= read_header(bytes, static_cast<size_t>(size), _what, &fieldsOffset, &flattenedSize);
		if (status != B_OK)
			return status;

		return _ReadFields(bytes + fieldsOffset, flattenedSize - fieldsOffset, *_fields);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
MessageFlattener::_ReadItems(BMessage::field& parsed, const uint8* bytes, size_t size, int32 count)
{
	size_t typeSize = fixed_type_size(parsed.type);
	size_t itemCount = static_cast<size_t>(count);

	if (parsed.fixedSize) {
		if (is_variable_type(parsed.type))
			return B_BAD_VALUE;

		// Items of a type we don't know share the data equally.
		parsed.itemSize = typeSize != 0 ? typeSize : size / itemCount;
		if (parsed.itemSize == 0 || parsed.itemSize * itemCount != size)
			return B_BAD_VALUE;

		parsed.data.assign(bytes, bytes + size);
		return B_OK;
	}

	if (typeSize != 0)
		return B_BAD_VALUE;

	// Every item takes at least 8 bytes, which keeps a forged count from making us reserve more
	// than the buffer could hold.
	if (itemCount > size / padded_item_size(0))
		return B_BAD_VALUE;

	parsed.ends.reserve(itemCount);
	parsed.data.reserve(size);
	Reader reader(bytes, size);
	for (size_t i = 0; i < itemCount; i++) {
		int32 length;
		if (!reader.Read(&length) || length < 0)
			return B_BAD_VALUE;

		size_t itemLength = static_cast<size_t>(length);
		const uint8* item = reader.Take(itemLength);
		if (item == NULL
			|| reader.Take(padded_item_size(itemLength) - sizeof(int32) - itemLength) == NULL) {
			return B_BAD_VALUE;
		}

		parsed.data.insert(parsed.data.end(), item, item + itemLength);
		parsed.ends.push_back(parsed.data.size());
	}
	return B_OK;
}


// Reads fields up to the byte that ends them. Fields that share a name are joined, as adding
// their items one by one would have done.
status_t
MessageFlattener::_ReadFields(const uint8* bytes, size_t size, std::vector<BMessage::field>& fields)
{
	Reader reader(bytes, size);
	std::unordered_map<std::string, size_t> fieldsByName;

	while (true) {
		uint8 flags;
		if (!reader.Read(&flags))
			return B_BAD_VALUE;
		if ((flags & kFieldFlagValid) == 0)
			return B_OK;

		bool miniData = (flags & kFieldFlagMiniData) != 0;
		uint32 type;
		if (!reader.Read(&type))
			return B_BAD_VALUE;

		int32 count = 1;
		int32 dataSize;
		if (miniData) {
			uint8 miniCount = 1;
			uint8 miniSize;
			if (((flags & kFieldFlagSingleItem) == 0 && !reader.Read(&miniCount))
				|| !reader.Read(&miniSize)) {
				return B_BAD_VALUE;
			}
			count = miniCount;
			dataSize = miniSize;
		} else if (((flags & kFieldFlagSingleItem) == 0 && !reader.Read(&count))
			|| !reader.Read(&dataSize)) {
			return B_BAD_VALUE;
		}
		if (count <= 0 || dataSize <= 0)
			return B_BAD_VALUE;

		uint8 nameLength;
		if (!reader.Read(&nameLength))
			return B_BAD_VALUE;
		const uint8* name = reader.Take(nameLength);
		const uint8* data = name != NULL ? reader.Take(static_cast<size_t>(dataSize)) : NULL;
		if (data == NULL)
			return B_BAD_VALUE;
		// Names are C strings everywhere else: one with a NUL inside could never be found.
		if (memchr(name, '\0', nameLength) != NULL)
			return B_BAD_VALUE;

		BMessage::field parsed;
		parsed.name.assign(reinterpret_cast<const char*>(name), nameLength);
		parsed.type = type;
		parsed.fixedSize = (flags & kFieldFlagFixedSize) != 0;
		status_t status = _ReadItems(parsed, data, static_cast<size_t>(dataSize), count);
		if (status != B_OK)
			return status;

		auto [position, isNew] = fieldsByName.try_emplace(parsed.name, fields.size());
		if (isNew) {
			fields.push_back(std::move(parsed));
			continue;
		}

		BMessage::field& existing = fields[position->second];
		if (existing.type != parsed.type || existing.fixedSize != parsed.fixedSize
			|| existing.itemSize != parsed.itemSize) {
			return B_BAD_VALUE;
		}
		size_t base = existing.data.size();
		existing.data.insert(existing.data.end(), parsed.data.begin(), parsed.data.end());
		for (size_t end : parsed.ends)
			existing.ends.push_back(base + end);
	}
}

} // namespace BPrivate
