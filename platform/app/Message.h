/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _MESSAGE_H
#define _MESSAGE_H


#include <sys/types.h>

#include <memory>
#include <vector>

#include <AppDefs.h>
#include <Point.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <TypeConstants.h>


struct entry_ref;

namespace BPrivate {
class MessageFlattener;
}


// A what code and named, typed fields, each holding one or more items of one type. The calls
// report failures as status codes and never throw; a copy whose memory could not be had is empty.
class BMessage {
public:
	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();

	BMessage& operator=(const BMessage& other);

	// B_OK only when the field exists; count is its number of items.
	status_t GetInfo(const char* name, type_code* typeFound, int32* countFound = NULL) const;
	// The index-th field of type (B_ANY_TYPE for any), in the order the fields were added.
	status_t GetInfo(type_code type, int32 index, const char** nameFound, type_code* typeFound,
		int32* countFound = NULL) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;
	bool HasField(const char* name, type_code type = B_ANY_TYPE) const;

	// Items of the known types keep their type's size and layout, whatever isFixedSize says;
	// every item of another fixed-size type must have the size of the field's first.
	status_t AddData(const char* name, type_code type, const void* data, ssize_t numBytes,
		bool isFixedSize = true, int32 numItems = 1);
	// Keeps device, folder inode and name as the platform flattens them, followed by the
	// folder's path; the device is kept in 32 bits.
	status_t AddRef(const char* name, const entry_ref* ref);
	status_t AddString(const char* name, const char* string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddRect(const char* name, BRect rect);
	// Keeps the message flattened; FindMessage() reads it back.
	status_t AddMessage(const char* name, const BMessage* message);

	status_t FindData(const char* name, type_code type, int32 index, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, const void** data, ssize_t* numBytes) const;
	// Items that don't hold a whole ref, or strings that don't end in a zero, are B_BAD_DATA.
	status_t FindRef(const char* name, entry_ref* ref) const;
	status_t FindRef(const char* name, int32 index, entry_ref* ref) const;
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index, const char** string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index, BMessage* message) const;

	status_t RemoveName(const char* name);
	status_t MakeEmpty();

	// Dumps the message to standard output in the platform's classic text form.
	void PrintToStream() const;

	// The classic flattened form ('FOB1', little-endian): what files and other processes get.
	// Names longer than 255 bytes can't be written in it: both calls return B_BAD_VALUE then.
	ssize_t FlattenedSize() const;
	status_t Flatten(char* buffer, ssize_t size) const;
	// Reads a flattened message of at most size bytes; anything malformed is rejected with
	// B_NOT_A_MESSAGE or B_BAD_VALUE and leaves the message empty.
	status_t Unflatten(const char* buffer, ssize_t size);

	bool WasDropped() const;
	BPoint DropPoint(BPoint* offset = NULL) const;

	uint32 what;

	class Private;

private:
	friend class Private;
	friend class BPrivate::MessageFlattener;

	struct field;

	field* _FindField(const char* name);
	const field* _FindField(const char* name) const;
	status_t _AddItem(const char* name, type_code type, const void* data, size_t numBytes,
		bool isFixedSize);
	status_t _FindItem(const char* name, type_code type, int32 index, const void** _data,
		size_t* _numBytes) const;
	status_t _FindFixed(const char* name, type_code type, int32 index, void* value,
		size_t size) const;

	std::vector<field> fFields;
	bool fWasDropped;
	BPoint fDropPoint;
};


#endif // _MESSAGE_H
