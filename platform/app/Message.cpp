/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Message.h>

#include <string.h>

#include <new>
#include <string>

#include <app/private/MessageField.h>
#include <app/private/MessageFlattener.h>
#include <app/private/MessagePrinter.h>


namespace {

const size_t kMaxItemSize = INT32_MAX;

} // namespace


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
	BPrivate::MessagePrinter::Print(*this);
}


// #pragma mark - Flattening


ssize_t
BMessage::FlattenedSize() const
{
	return BPrivate::MessageFlattener::FlattenedSize(*this);
}


status_t
BMessage::Flatten(char* buffer, ssize_t size) const
{
	return BPrivate::MessageFlattener::Flatten(*this, buffer, size);
}


status_t
BMessage::Unflatten(const char* buffer, ssize_t size)
{
	// The message read replaces this one, whether it was dropped or not.
	fWasDropped = false;
	fDropPoint = BPoint();

	uint32 newWhat = 0;
	std::vector<field> fields;
	status_t status = BPrivate::MessageFlattener::Unflatten(buffer, size, &newWhat, &fields);
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
	size_t typeSize = BPrivate::fixed_type_size(type);
	if (typeSize != 0) {
		if (numBytes != typeSize)
			return B_BAD_VALUE;
		isFixedSize = true;
	} else if (BPrivate::is_variable_type(type))
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
