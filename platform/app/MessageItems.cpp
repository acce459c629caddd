/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// BMessage's typed calls that add and find items, on top of its private item access.
#include <Message.h>

#include <string.h>

#include <new>
#include <vector>

#include <Entry.h>

#include <app/private/RefCodec.h>


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

	try {
		std::vector<uint8> item = BPrivate::RefCodec::Encode(*ref);
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

	return BPrivate::RefCodec::Decode(static_cast<const uint8*>(data), size, ref);
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
