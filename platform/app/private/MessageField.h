/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef MESSAGE_FIELD_H
#define MESSAGE_FIELD_H


#include <stddef.h>

#include <string>
#include <vector>

#include <Message.h>


// One named field of a message: its type and its items, kept back to back.
struct BMessage::field {
	std::string name;
	type_code type = 0;
	bool fixedSize = true;
	// The size of each item of a fixed-size field.
	size_t itemSize = 0;
	// The items back to back; ends holds where each item of a variable-size field ends.
	std::vector<uint8> data;
	std::vector<size_t> ends;

	int32 CountItems() const;
	const uint8* ItemAt(int32 index, size_t* _size) const;
	// Throws std::bad_alloc and then leaves the field as it was.
	void Append(const void* item, size_t size);
	size_t FlattenedDataSize() const;
};


namespace BPrivate {


// The size of an item of a type whose items all have one size, 0 for any other type.
size_t fixed_type_size(type_code type);
bool is_variable_type(type_code type);
// A variable-size item is flattened as its int32 size and its bytes, padded to 8 bytes.
size_t padded_item_size(size_t size);


} // namespace BPrivate


#endif // MESSAGE_FIELD_H
