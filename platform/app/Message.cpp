/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Message.h>

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <bit>
#include <new>
#include <string>
#include <unordered_map>

#include <Entry.h>

#include <app/private/MessagePrivate.h>
#include <support/private/TextEscape.h>


namespace {

// The classic format stores every number in the byte order of the host that wrote it, and the
// hosts that read our files wrote little-endian: values are copied as they are in memory.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(bool) == 1);

const uint32 kFormatClassic = 'FOB1';

// Magic, checksum, flattened size, what and the flags byte.
const size_t kHeaderSize = 17;
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
const size_t kMaxItemSize = INT32_MAX;

// A flattened ref starts with an int32 device and an int64 folder inode.
const size_t kRefHeaderSize = 12;

// Nested messages are only unpacked to be shown; a forged chain of them must not exhaust the
// stack.
const int32 kMaxPrintDepth = 32;
const int kNestedIndent = 8;
const size_t kMaxRawBytesShown = 16;


// The size of an item of a type whose items all have one size, 0 for any other type.
size_t
fixed_type_size(type_code type)
{
	switch (type) {
		case B_BOOL_TYPE:
		case B_CHAR_TYPE:
		case B_INT8_TYPE:
		case B_UINT8_TYPE:
			return 1;
		case B_INT16_TYPE:
		case B_UINT16_TYPE:
			return 2;
		case B_INT32_TYPE:
		case B_UINT32_TYPE:
		case B_FLOAT_TYPE:
			return 4;
		case B_INT64_TYPE:
		case B_UINT64_TYPE:
		case B_DOUBLE_TYPE:
			return 8;
		case B_POINT_TYPE:
			return sizeof(BPoint);
		case B_RECT_TYPE:
			return sizeof(BRect);
		case B_POINTER_TYPE:
			return sizeof(void*);
		default:
			return 0;
	}
}


bool
is_variable_type(type_code type)
{
	return type == B_STRING_TYPE || type == B_MIME_STRING_TYPE || type == B_REF_TYPE
		|| type == B_MESSAGE_TYPE || type == B_RAW_TYPE;
}


// A variable-size item is flattened as its int32 size and its bytes, padded to 8 bytes.
size_t
padded_item_size(size_t size)
{
	return (sizeof(int32) + size + 7) & ~static_cast<size_t>(7);
}


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


// The four characters of a type or what code, most significant first.
void
code_chars(uint32 code, char chars[5])
{
	for (int i = 0; i < 4; i++)
		chars[i] = static_cast<char>(code >> (24 - 8 * i));
	chars[4] = '\0';
}


// As code_chars(), but empty unless all four are printable.
void
printable_code_chars(uint32 code, char chars[5])
{
	code_chars(code, chars);
	for (int i = 0; i < 4; i++) {
		if (chars[i] < 0x20 || chars[i] > 0x7e) {
			chars[0] = '\0';
			return;
		}
	}
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


// Names and strings come from anyone: their control characters are written escaped.
void
write_bounded(const void* data, size_t size)
{
	BPrivate::write_escaped(stdout, static_cast<const char*>(data), size);
}


// The size the platform reports for a ref is that of its device, folder and name: the folder's
// path that follows is ours.
size_t
printed_item_size(type_code type, const uint8* data, size_t size)
{
	if (type != B_REF_TYPE || size <= kRefHeaderSize)
		return size;

	size_t rest = size - kRefHeaderSize;
	size_t nameLength = strnlen(reinterpret_cast<const char*>(data) + kRefHeaderSize, rest);
	return kRefHeaderSize + std::min(nameLength + 1, rest);
}


void
print_ref(const uint8* data, size_t size)
{
	if (size < kRefHeaderSize) {
		printf("(damaged ref)");
		return;
	}

	int32 device;
	int64 directory;
	memcpy(&device, data, sizeof(device));
	memcpy(&directory, data + sizeof(device), sizeof(directory));

	const char* name = reinterpret_cast<const char*>(data) + kRefHeaderSize;
	size_t rest = size - kRefHeaderSize;
	size_t nameLength = strnlen(name, rest);
	size_t nameSpan = std::min(nameLength + 1, rest);
	const char* folder = name + nameSpan;
	size_t folderLength = strnlen(folder, rest - nameSpan);

	printf("device=%ld, directory=%lld, name=\"", static_cast<long>(device),
		static_cast<long long>(directory));
	write_bounded(name, nameLength);
	printf("\", path=\"");
	if (folderLength > 0) {
		write_bounded(folder, folderLength);
		if (folder[folderLength - 1] != '/')
			putchar('/');
		write_bounded(name, nameLength);
	}
	putchar('"');
}


void
print_raw(const uint8* data, size_t size)
{
	for (size_t i = 0; i < size && i < kMaxRawBytesShown; i++)
		printf(i == 0 ? "%02x" : " %02x", static_cast<unsigned>(data[i]));
	if (size > kMaxRawBytesShown)
		printf(" ...");
}


template<typename T>
T
item_value(const uint8* data)
{
	T value;
	memcpy(&value, data, sizeof(T));
	return value;
}


// Prints any item but a nested message, without its line's start or end.
void
print_item(type_code type, const uint8* data, size_t size)
{
	size_t typeSize = fixed_type_size(type);
	if (typeSize != 0 && size != typeSize) {
		print_raw(data, size);
		return;
	}

	switch (type) {
		case B_REF_TYPE:
			print_ref(data, size);
			break;
		case B_STRING_TYPE:
		case B_MIME_STRING_TYPE:
			putchar('"');
			write_bounded(data, strnlen(reinterpret_cast<const char*>(data), size));
			putchar('"');
			break;
		case B_BOOL_TYPE:
			printf("%s", data[0] != 0 ? "true" : "false");
			break;
		case B_CHAR_TYPE:
			if (data[0] >= 0x20 && data[0] <= 0x7e)
				printf("'%c'", data[0]);
			else
				printf("0x%x", static_cast<unsigned>(data[0]));
			break;
		case B_INT8_TYPE:
		{
			int8 value = item_value<int8>(data);
			printf("0x%x (%d)", static_cast<unsigned>(static_cast<uint8>(value)), value);
			break;
		}
		case B_UINT8_TYPE:
			printf("0x%x (%u)", static_cast<unsigned>(data[0]), static_cast<unsigned>(data[0]));
			break;
		case B_INT16_TYPE:
		{
			int16 value = item_value<int16>(data);
			printf("0x%x (%d)", static_cast<unsigned>(static_cast<uint16>(value)), value);
			break;
		}
		case B_UINT16_TYPE:
		{
			unsigned value = item_value<uint16>(data);
			printf("0x%x (%u)", value, value);
			break;
		}
		case B_INT32_TYPE:
		{
			int32 value = item_value<int32>(data);
			char chars[5];
			printable_code_chars(static_cast<uint32>(value), chars);
			printf("0x%lx (%ld, '%s')", static_cast<unsigned long>(static_cast<uint32>(value)),
				static_cast<long>(value), chars);
			break;
		}
		case B_UINT32_TYPE:
		{
			unsigned long value = item_value<uint32>(data);
			printf("0x%lx (%lu)", value, value);
			break;
		}
		case B_INT64_TYPE:
		{
			int64 value = item_value<int64>(data);
			printf("0x%llx (%lld)", static_cast<unsigned long long>(static_cast<uint64>(value)),
				static_cast<long long>(value));
			break;
		}
		case B_UINT64_TYPE:
		{
			unsigned long long value = item_value<uint64>(data);
			printf("0x%llx (%llu)", value, value);
			break;
		}
		case B_FLOAT_TYPE:
			printf("%g", static_cast<double>(item_value<float>(data)));
			break;
		case B_DOUBLE_TYPE:
			printf("%.10g", item_value<double>(data));
			break;
		case B_POINT_TYPE:
		{
			BPoint point = item_value<BPoint>(data);
			printf("BPoint(x:%.1f, y:%.1f)", point.x, point.y);
			break;
		}
		case B_RECT_TYPE:
		{
			BRect rect = item_value<BRect>(data);
			printf("BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)", rect.left, rect.top, rect.right,
				rect.bottom);
			break;
		}
		case B_POINTER_TYPE:
			printf("%p", item_value<void*>(data));
			break;
		default:
			print_raw(data, size);
			break;
	}
}

} // namespace


// #pragma mark - field


struct BMessage::field {
	std::string name;
	type_code type = 0;
	bool fixedSize = true;
	// The size of each item of a fixed-size field.
	size_t itemSize = 0;
	// The items back to back; ends holds where each item of a variable-size field ends.
	std::vector<uint8> data;
	std::vector<size_t> ends;

	int32 CountItems() const
	{
		return static_cast<int32>(fixedSize ? data.size() / itemSize : ends.size());
	}

	const uint8* ItemAt(int32 index, size_t* _size) const
	{
		if (fixedSize) {
			*_size = itemSize;
			return data.data() + index * itemSize;
		}

		size_t start = index == 0 ? 0 : ends[index - 1];
		*_size = ends[index] - start;
		return data.data() + start;
	}

	// Throws std::bad_alloc and then leaves the field as it was.
	void Append(const void* item, size_t size)
	{
		const uint8* bytes = static_cast<const uint8*>(item);
		data.insert(data.end(), bytes, bytes + size);
		if (fixedSize)
			return;

		try {
			ends.push_back(data.size());
		} catch (const std::bad_alloc&) {
			data.resize(data.size() - size);
			throw;
		}
	}

	size_t FlattenedDataSize() const
	{
		if (fixedSize)
			return data.size();

		size_t size = 0;
		size_t start = 0;
		for (size_t end : ends) {
			size += padded_item_size(end - start);
			start = end;
		}
		return size;
	}

	status_t ReadItems(const uint8* bytes, size_t size, int32 count);
	static status_t ReadFields(Reader& reader, std::vector<field>& fields);
};


status_t
BMessage::field::ReadItems(const uint8* bytes, size_t size, int32 count)
{
	size_t typeSize = fixed_type_size(type);
	size_t itemCount = static_cast<size_t>(count);

	if (fixedSize) {
		if (is_variable_type(type))
			return B_BAD_VALUE;

		// Items of a type we don't know share the data equally.
		itemSize = typeSize != 0 ? typeSize : size / itemCount;
		if (itemSize == 0 || itemSize * itemCount != size)
			return B_BAD_VALUE;

		data.assign(bytes, bytes + size);
		return B_OK;
	}

	if (typeSize != 0)
		return B_BAD_VALUE;

	// Every item takes at least 8 bytes, which keeps a forged count from making us reserve more
	// than the buffer could hold.
	if (itemCount > size / padded_item_size(0))
		return B_BAD_VALUE;

	ends.reserve(itemCount);
	data.reserve(size);
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

		data.insert(data.end(), item, item + itemLength);
		ends.push_back(data.size());
	}
	return B_OK;
}


// Reads fields up to the byte that ends them. Fields that share a name are joined, as adding
// their items one by one would have done.
status_t
BMessage::field::ReadFields(Reader& reader, std::vector<field>& fields)
{
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

		field parsed;
		parsed.name.assign(reinterpret_cast<const char*>(name), nameLength);
		parsed.type = type;
		parsed.fixedSize = (flags & kFieldFlagFixedSize) != 0;
		status_t status = parsed.ReadItems(data, static_cast<size_t>(dataSize), count);
		if (status != B_OK)
			return status;

		auto [position, isNew] = fieldsByName.try_emplace(parsed.name, fields.size());
		if (isNew) {
			fields.push_back(std::move(parsed));
			continue;
		}

		field& existing = fields[position->second];
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


// #pragma mark - BMessage


BMessage::BMessage()
	: what(0),
	  fWasDropped(false)
{
}


BMessage::BMessage(uint32 what)
	: what(what),
	  fWasDropped(false)
{
}


BMessage::BMessage(const BMessage& other)
	: what(other.what),
	  fWasDropped(other.fWasDropped),
	  fDropPoint(other.fDropPoint)
{
	try {
		fFields = other.fFields;
	} catch (const std::bad_alloc&) {
		fFields.clear();
	}
}


BMessage::~BMessage()
{
}


BMessage&
BMessage::operator=(const BMessage& other)
{
	if (this == &other)
		return *this;

	what = other.what;
	fWasDropped = other.fWasDropped;
	fDropPoint = other.fDropPoint;
	try {
		std::vector<field> fields(other.fFields);
		fFields.swap(fields);
	} catch (const std::bad_alloc&) {
		fFields.clear();
	}
	return *this;
}


status_t
BMessage::GetInfo(const char* name, type_code* typeFound, int32* countFound) const
{
	if (name == NULL)
		return B_BAD_VALUE;

	const field* found = _FindField(name);
	if (found == NULL)
		return B_NAME_NOT_FOUND;

	if (typeFound != NULL)
		*typeFound = found->type;
	if (countFound != NULL)
		*countFound = found->CountItems();
	return B_OK;
}


status_t
BMessage::GetInfo(type_code type, int32 index, const char** nameFound, type_code* typeFound,
	int32* countFound) const
{
	if (index < 0)
		return B_BAD_INDEX;

	int32 matches = 0;
	for (const field& candidate : fFields) {
		if (type != B_ANY_TYPE && candidate.type != type)
			continue;

		if (matches == index) {
			if (nameFound != NULL)
				*nameFound = candidate.name.c_str();
			if (typeFound != NULL)
				*typeFound = candidate.type;
			if (countFound != NULL)
				*countFound = candidate.CountItems();
			return B_OK;
		}
		matches++;
	}
	return matches == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}


int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const field& candidate : fFields) {
		if (type == B_ANY_TYPE || candidate.type == type)
			count++;
	}
	return count;
}


bool
BMessage::IsEmpty() const
{
	return fFields.empty();
}


bool
BMessage::HasField(const char* name, type_code type) const
{
	if (name == NULL)
		return false;

	const field* found = _FindField(name);
	return found != NULL && (type == B_ANY_TYPE || found->type == type);
}


// #pragma mark - Adding


status_t
BMessage::AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
	bool isFixedSize, int32)
{
	if (numBytes < 0)
		return B_BAD_VALUE;

	return _AddItem(name, type, data, static_cast<size_t>(numBytes), isFixedSize);
}


status_t
BMessage::AddRef(const char* name, const entry_ref* ref)
{
	if (ref == NULL)
		return B_BAD_VALUE;

	// The platform keeps a device in 32 bits; Linux numbers the devices it mounts within them.
	int32 device = static_cast<int32>(ref->device);
	int64 directory = static_cast<int64>(ref->directory);

	try {
		std::vector<uint8> item(kRefHeaderSize);
		memcpy(item.data(), &device, sizeof(device));
		memcpy(item.data() + sizeof(device), &directory, sizeof(directory));
		if (ref->name != NULL) {
			item.insert(item.end(), ref->name, ref->name + strlen(ref->name) + 1);

			// Readers that only know device, folder and name stop at the name's end.
			const char* folder = ref->directory_path();
			if (folder != NULL)
				item.insert(item.end(), folder, folder + strlen(folder) + 1);
		}
		return _AddItem(name, B_REF_TYPE, item.data(), item.size(), false);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;

	return _AddItem(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}


status_t
BMessage::AddInt8(const char* name, int8 value)
{
	return _AddItem(name, B_INT8_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddInt16(const char* name, int16 value)
{
	return _AddItem(name, B_INT16_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddInt32(const char* name, int32 value)
{
	return _AddItem(name, B_INT32_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddInt64(const char* name, int64 value)
{
	return _AddItem(name, B_INT64_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddBool(const char* name, bool value)
{
	uint8 byte = value ? 1 : 0;
	return _AddItem(name, B_BOOL_TYPE, &byte, sizeof(byte), true);
}


status_t
BMessage::AddFloat(const char* name, float value)
{
	return _AddItem(name, B_FLOAT_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddDouble(const char* name, double value)
{
	return _AddItem(name, B_DOUBLE_TYPE, &value, sizeof(value), true);
}


status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	return _AddItem(name, B_POINT_TYPE, &point, sizeof(point), true);
}


status_t
BMessage::AddRect(const char* name, BRect rect)
{
	return _AddItem(name, B_RECT_TYPE, &rect, sizeof(rect), true);
}


status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;

	ssize_t size = message->FlattenedSize();
	if (size < 0)
		return static_cast<status_t>(size);

	try {
		std::vector<uint8> flattened(static_cast<size_t>(size));
		status_t status = message->Flatten(reinterpret_cast<char*>(flattened.data()), size);
		if (status != B_OK)
			return status;

		return _AddItem(name, B_MESSAGE_TYPE, flattened.data(), flattened.size(), false);
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


// #pragma mark - Finding


status_t
BMessage::FindData(const char* name, type_code type, int32 index, const void** data,
	ssize_t* numBytes) const
{
	if (data == NULL)
		return B_BAD_VALUE;

	size_t size;
	status_t status = _FindItem(name, type, index, data, &size);
	if (status == B_OK && numBytes != NULL)
		*numBytes = static_cast<ssize_t>(size);
	return status;
}


status_t
BMessage::FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}


status_t
BMessage::FindRef(const char* name, entry_ref* ref) const
{
	return FindRef(name, 0, ref);
}


status_t
BMessage::FindRef(const char* name, int32 index, entry_ref* ref) const
{
	if (ref == NULL)
		return B_BAD_VALUE;

	const void* data;
	size_t size;
	status_t status = _FindItem(name, B_REF_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;
	if (size < kRefHeaderSize)
		return B_BAD_DATA;

	const char* bytes = static_cast<const char*>(data);
	int32 device;
	int64 directory;
	memcpy(&device, bytes, sizeof(device));
	memcpy(&directory, bytes + sizeof(device), sizeof(directory));

	// Name and folder path are optional, but each that is there must end within the item.
	const char* leaf = NULL;
	const char* folder = NULL;
	if (size > kRefHeaderSize) {
		leaf = bytes + kRefHeaderSize;
		size_t rest = size - kRefHeaderSize;
		size_t leafLength = strnlen(leaf, rest);
		if (leafLength == rest)
			return B_BAD_DATA;

		rest -= leafLength + 1;
		if (rest > 0) {
			folder = leaf + leafLength + 1;
			if (strnlen(folder, rest) == rest)
				return B_BAD_DATA;
		}
	}

	// Linux device numbers are unsigned; -1 is the platform's "no device" and stays so.
	*ref = entry_ref();
	ref->device
		= device == -1 ? static_cast<dev_t>(-1) : static_cast<dev_t>(static_cast<uint32>(device));
	ref->directory = static_cast<ino_t>(directory);
	if (leaf != NULL) {
		status = ref->set_name(leaf);
		if (status != B_OK)
			return status;
	}
	if (folder != NULL)
		return ref->set_directory_path(folder);
	return B_OK;
}


status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == NULL)
		return B_BAD_VALUE;

	const void* data;
	size_t size;
	status_t status = _FindItem(name, B_STRING_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;

	// Items added as raw data or read from a file need not end in a zero.
	const char* chars = static_cast<const char*>(data);
	if (size == 0 || chars[size - 1] != '\0')
		return B_BAD_DATA;

	*string = chars;
	return B_OK;
}


status_t
BMessage::FindInt8(const char* name, int8* value) const
{
	return _FindFixed(name, B_INT8_TYPE, 0, value, sizeof(*value));
}


status_t
BMessage::FindInt16(const char* name, int16* value) const
{
	return _FindFixed(name, B_INT16_TYPE, 0, value, sizeof(*value));
}


status_t
BMessage::FindInt32(const char* name, int32* value) const
{
	return FindInt32(name, 0, value);
}


status_t
BMessage::FindInt32(const char* name, int32 index, int32* value) const
{
	return _FindFixed(name, B_INT32_TYPE, index, value, sizeof(*value));
}


status_t
BMessage::FindInt64(const char* name, int64* value) const
{
	return _FindFixed(name, B_INT64_TYPE, 0, value, sizeof(*value));
}


status_t
BMessage::FindBool(const char* name, bool* value) const
{
	if (value == NULL)
		return B_BAD_VALUE;

	uint8 byte;
	status_t status = _FindFixed(name, B_BOOL_TYPE, 0, &byte, sizeof(byte));
	if (status == B_OK)
		*value = byte != 0;
	return status;
}


status_t
BMessage::FindFloat(const char* name, float* value) const
{
	return _FindFixed(name, B_FLOAT_TYPE, 0, value, sizeof(*value));
}


status_t
BMessage::FindDouble(const char* name, double* value) const
{
	return _FindFixed(name, B_DOUBLE_TYPE, 0, value, sizeof(*value));
}


status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return _FindFixed(name, B_POINT_TYPE, 0, point, sizeof(*point));
}


status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return _FindFixed(name, B_RECT_TYPE, 0, rect, sizeof(*rect));
}


status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}


status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == NULL)
		return B_BAD_VALUE;

	const void* data;
	size_t size;
	status_t status = _FindItem(name, B_MESSAGE_TYPE, index, &data, &size);
	if (status != B_OK)
		return status;

	// Unflatten() only lets go of the old fields once it has read the new ones, so this holds
	// even when message is this message.
	return message->Unflatten(static_cast<const char*>(data), static_cast<ssize_t>(size));
}


// #pragma mark - Removing


status_t
BMessage::RemoveName(const char* name)
{
	if (name == NULL)
		return B_BAD_VALUE;

	for (auto iterator = fFields.begin(); iterator != fFields.end(); iterator++) {
		if (iterator->name == name) {
			fFields.erase(iterator);
			return B_OK;
		}
	}
	return B_NAME_NOT_FOUND;
}


status_t
BMessage::MakeEmpty()
{
	fFields.clear();
	return B_OK;
}


// #pragma mark - Printing


void
BMessage::PrintToStream() const
{
	_PrintToStream(0, 0);
}


// #pragma mark - Flattening


ssize_t
BMessage::FlattenedSize() const
{
	size_t size = kHeaderSize + 1;
	for (const field& entry : fFields) {
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
BMessage::Flatten(char* buffer, ssize_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;

	ssize_t flattenedSize = FlattenedSize();
	if (flattenedSize < 0)
		return static_cast<status_t>(flattenedSize);
	if (size < flattenedSize)
		return B_BAD_VALUE;

	uint8* bytes = reinterpret_cast<uint8*>(buffer);
	Writer writer(bytes);
	writer.Write(kFormatClassic);
	writer.Write(static_cast<uint32>(0));
	writer.Write(static_cast<uint32>(flattenedSize));
	writer.Write(what);
	writer.Write(kHeaderFlagValid);

	uint32 checksum = header_checksum(bytes + kChecksumStart, kHeaderSize - kChecksumStart);
	memcpy(bytes + sizeof(kFormatClassic), &checksum, sizeof(checksum));

	for (const field& entry : fFields) {
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
BMessage::Unflatten(const char* buffer, ssize_t size)
{
	// The message read replaces this one, whether it was dropped or not.
	fWasDropped = false;
	fDropPoint = BPoint();

	status_t status = B_BAD_VALUE;
	uint32 newWhat = 0;
	std::vector<field> fields;
	if (buffer != NULL && size > 0) {
		try {
			const uint8* bytes = reinterpret_cast<const uint8*>(buffer);
			size_t fieldsOffset;
			size_t flattenedSize;
			status = read_header(bytes, static_cast<size_t>(size), &newWhat, &fieldsOffset,
				&flattenedSize);
			if (status == B_OK) {
				Reader reader(bytes + fieldsOffset, flattenedSize - fieldsOffset);
				status = field::ReadFields(reader, fields);
			}
		} catch (const std::bad_alloc&) {
			status = B_NO_MEMORY;
		}
	}

	if (status != B_OK) {
		fFields.clear();
		what = 0;
		return status;
	}

	fFields.swap(fields);
	what = newWhat;
	return B_OK;
}


// #pragma mark - Dropping


bool
BMessage::WasDropped() const
{
	return fWasDropped;
}


BPoint
BMessage::DropPoint(BPoint* offset) const
{
	// Drags here carry no image, so the grip is always its corner.
	if (offset != NULL)
		*offset = BPoint();
	return fDropPoint;
}


// #pragma mark - Private


BMessage::field*
BMessage::_FindField(const char* name)
{
	for (field& candidate : fFields) {
		if (candidate.name == name)
			return &candidate;
	}
	return NULL;
}


const BMessage::field*
BMessage::_FindField(const char* name) const
{
	for (const field& candidate : fFields) {
		if (candidate.name == name)
			return &candidate;
	}
	return NULL;
}


status_t
BMessage::_AddItem(const char* name, type_code type, const void* data, size_t numBytes,
	bool isFixedSize)
{
	if (name == NULL || (data == NULL && numBytes > 0) || numBytes > kMaxItemSize)
		return B_BAD_VALUE;

	// Known types are kept the way the flattened form has them, whatever the caller asks for,
	// so that anything added can be written and read back.
	size_t typeSize = fixed_type_size(type);
	if (typeSize != 0) {
		if (numBytes != typeSize)
			return B_BAD_VALUE;
		isFixedSize = true;
	} else if (is_variable_type(type))
		isFixedSize = false;

	try {
		field* existing = _FindField(name);
		if (existing != NULL) {
			if (existing->type != type)
				return B_BAD_TYPE;
			if (existing->fixedSize && numBytes != existing->itemSize)
				return B_BAD_VALUE;

			existing->Append(data, numBytes);
			return B_OK;
		}

		if (isFixedSize && numBytes == 0)
			return B_BAD_VALUE;

		field added;
		added.name = name;
		added.type = type;
		added.fixedSize = isFixedSize;
		added.itemSize = isFixedSize ? numBytes : 0;
		added.Append(data, numBytes);
		fFields.push_back(std::move(added));
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


status_t
BMessage::_FindItem(const char* name, type_code type, int32 index, const void** _data,
	size_t* _numBytes) const
{
	if (name == NULL)
		return B_BAD_VALUE;

	const field* found = _FindField(name);
	if (found == NULL)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && found->type != type)
		return B_BAD_TYPE;
	if (index < 0 || index >= found->CountItems())
		return B_BAD_INDEX;

	*_data = found->ItemAt(index, _numBytes);
	return B_OK;
}


status_t
BMessage::_FindFixed(const char* name, type_code type, int32 index, void* value, size_t size) const
{
	if (value == NULL)
		return B_BAD_VALUE;

	const void* data;
	size_t itemSize;
	status_t status = _FindItem(name, type, index, &data, &itemSize);
	if (status != B_OK)
		return status;
	if (itemSize != size)
		return B_BAD_DATA;

	memcpy(value, data, size);
	return B_OK;
}


void
BMessage::_PrintToStream(int indent, int32 depth) const
{
	char whatChars[5];
	printable_code_chars(what, whatChars);
	printf("%*sBMessage: what = %.4s (0x%lx, or %ld)\n", indent, "", whatChars,
		static_cast<unsigned long>(what), static_cast<long>(static_cast<int32>(what)));

	for (const field& entry : fFields) {
		char typeChars[5];
		code_chars(entry.type, typeChars);
		int32 count = entry.CountItems();

		// Further items go on lines of their own, lined up under the first.
		int column = printf("%*s    entry %14s, type='%s', c=%ld, ", indent, "",
			BPrivate::escaped_text(entry.name.data(), entry.name.size()).c_str(),
			BPrivate::escaped_text(typeChars, strnlen(typeChars, 4)).c_str(), static_cast<long>(count));
		if (column < 0)
			column = 0;

		for (int32 i = 0; i < count; i++) {
			if (i > 0)
				printf("%*s", column, "");

			size_t size;
			const uint8* item = entry.ItemAt(i, &size);
			printf("size=%2ld, data[%ld]: ",
				static_cast<long>(printed_item_size(entry.type, item, size)), static_cast<long>(i));
			if (entry.type != B_MESSAGE_TYPE) {
				print_item(entry.type, item, size);
				putchar('\n');
				continue;
			}

			printf("message");
			if (depth + 1 >= kMaxPrintDepth) {
				printf(" (nested too deep to show)\n");
				continue;
			}

			BMessage nested;
			if (nested.Unflatten(reinterpret_cast<const char*>(item), static_cast<ssize_t>(size))
				!= B_OK) {
				printf(" (damaged)\n");
				continue;
			}

			putchar('\n');
			nested._PrintToStream(indent + kNestedIndent, depth + 1);
		}
	}
}


// #pragma mark - BMessage::Private


BMessage::Private::Private(BMessage* message)
	: fMessage(message)
{
}


void
BMessage::Private::SetWasDropped(bool dropped, BPoint where)
{
	fMessage->fWasDropped = dropped;
	fMessage->fDropPoint = dropped ? where : BPoint();
}
