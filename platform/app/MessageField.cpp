/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/MessageField.h>

#include <new>

#include <Point.h>
#include <Rect.h>


size_t
BPrivate::fixed_type_size(type_code type)
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
BPrivate::is_variable_type(type_code type)
{
	return type == B_STRING_TYPE || type == B_MIME_STRING_TYPE || type == B_REF_TYPE
		|| type == B_MESSAGE_TYPE || type == B_RAW_TYPE;
}


size_t
BPrivate::padded_item_size(size_t size)
{
	return (sizeof(int32) + size + 7) & ~static_cast<size_t>(7);
}


// #pragma mark - BMessage::field


int32
BMessage::field::CountItems() const
{
	return static_cast<int32>(fixedSize ? data.size() / itemSize : ends.size());
}


const uint8*
BMessage::field::ItemAt(int32 index, size_t* _size) const
{
	if (fixedSize) {
		*_size = itemSize;
		return data.data() + index * itemSize;
	}

	size_t start = index == 0 ? 0 : ends[index - 1];
	*_size = ends[index] - start;
	return data.data() + start;
}


void
BMessage::field::Append(const void* item, size_t size)
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


size_t
BMessage::field::FlattenedDataSize() const
{
	if (fixedSize)
		return data.size();

	size_t size = 0;
	size_t start = 0;
	for (size_t end : ends) {
		size += BPrivate::padded_item_size(end - start);
		start = end;
	}
	return size;
}
