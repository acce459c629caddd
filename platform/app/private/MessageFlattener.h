/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef MESSAGE_FLATTENER_H
#define MESSAGE_FLATTENER_H


#include <sys/types.h>

#include <vector>

#include <Message.h>

#include <app/private/MessageField.h>


namespace BPrivate {


// Writes and reads a message's fields in the classic flattened form ('FOB1', little-endian).
class MessageFlattener {
public:
	// B_BAD_VALUE for a name longer than 255 bytes or a size beyond 32 bits.
	static ssize_t FlattenedSize(const BMessage& message);
	static status_t Flatten(const BMessage& message, char* buffer, ssize_t size);
	// The what code and fields of the message flattened in buffer: B_NOT_A_MESSAGE for another
	// format or a wrong checksum, B_BAD_VALUE for anything else malformed, B_NO_MEMORY.
	static status_t Unflatten(const char* buffer, ssize_t size, uint32* _what,
		std::vector<BMessage::field>* _fields);

private:
	static status_t _ReadItems(BMessage::field& parsed, const uint8* bytes, size_t size,
		int32 count);
	// Reads fields up to the byte that ends them.
	static status_t _ReadFields(const uint8* bytes, size_t size,
		std::vector<BMessage::field>& fields);
};


} // namespace BPrivate


#endif // MESSAGE_FLATTENER_H
