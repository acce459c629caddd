/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/MessagePrinter.h>

#include <stdio.h>
#include <string.h>

#include <Message.h>

#include <app/private/MessageField.h>
#include <app/private/RefCodec.h>
#include <support/private/TextEscape.h>


namespace BPrivate {


namespace {

// Nested messages are only unpacked to be shown; a forged chain of them must not exhaust the
// stack.
const int32 kMaxPrintDepth = 32;
const int kNestedIndent = 8;
const size_t kMaxRawBytesShown = 16;


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


// Names and strings come from anyone: their control characters are written escaped.
void
write_bounded(const void* data, size_t size)
{
	write_escaped(stdout, static_cast<const char*>(data), size);
}


template<typename T>
T
item_value(const uint8* data)
{
	T value;
	memcpy(&value, data, sizeof(T));
	return value;
}


// #pragma mark - Items


// Each prints one item, without its line's start or end. Items of a fixed-size type come with
// that type's size.
typedef void (*item_printer)(const uint8* data, size_t size);


void
print_raw(const uint8* data, size_t size)
{
	for (size_t i = 0; i < size && i < kMaxRawBytesShown; i++)
		printf(i == 0 ? "%02x" : " %02x", static_cast<unsigned>(data[i]));
	if (size > kMaxRawBytesShown)
		printf(" ...");
}


void
print_ref(const uint8* data, size_t size)
{
	RefCodec::parts ref;
	if (!RefCodec::Split(data, size, &ref)) {
		printf("(damaged ref)");
		return;
	}

	printf("device=%ld, directory=%lld, name=\"", static_cast<long>(ref.device),
		static_cast<long long>(ref.directory));
	write_bounded(ref.name, ref.nameLength);
	printf("\", path=\"");
	if (ref.folderLength > 0) {
		write_bounded(ref.folder, ref.folderLength);
		if (ref.folder[ref.folderLength - 1] != '/')
			putchar('/');
		write_bounded(ref.name, ref.nameLength);
	}
	putchar('"');
}


void
print_string(const uint8* data, size_t size)
{
	putchar('"');
	write_bounded(data, strnlen(reinterpret_cast<const char*>(data), size));
	putchar('"');
}


void
print_bool(const uint8* data, size_t)
{
	printf("%s", data[0] != 0 ? "true" : "false");
}


void
print_char(const uint8* data, size_t)
{
	if (data[0] >= 0x20 && data[0] <= 0x7e)
		printf("'%c'", data[0]);
	else
		printf("0x%x", static_cast<unsigned>(data[0]));
}


// In hex as its unsigned bits, then in decimal.
template<typename Signed, typename Unsigned>
void
print_signed(const uint8* data, size_t)
{
	Signed value = item_value<Signed>(data);
	printf("0x%llx (%lld)", static_cast<unsigned long long>(static_cast<Unsigned>(value)),
		static_cast<long long>(value));
}


template<typename Unsigned>
void
print_unsigned(const uint8* data, size_t)
{
	unsigned long long value = item_value<Unsigned>(data);
	printf("0x%llx (%llu)", value, value);
}


// An int32 is often a type or message code: its characters follow when they are printable.
void
print_int32(const uint8* data, size_t)
{
	int32 value = item_value<int32>(data);
	char chars[5];
	printable_code_chars(static_cast<uint32>(value), chars);
	printf("0x%lx (%ld, '%s')", static_cast<unsigned long>(static_cast<uint32>(value)),
		static_cast<long>(value), chars);
}


void
print_float(const uint8* data, size_t)
{
	printf("%g", static_cast<double>(item_value<float>(data)));
}


void
print_double(const uint8* data, size_t)
{
	printf("%.10g", item_value<double>(data));
}


void
print_point(const uint8* data, size_t)
{
	BPoint point = item_value<BPoint>(data);
	printf("BPoint(x:%.1f, y:%.1f)", point.x, point.y);
}


void
print_rect(const uint8* data, size_t)
{
	BRect rect = item_value<BRect>(data);
	printf("BRect(l:%.1f, t:%.1f, r:%.1f, b:%.1f)", rect.left, rect.top, rect.right, rect.bottom);
}


void
print_pointer(const uint8* data, size_t)
{
	printf("%p", item_value<void*>(data));
}


struct type_printer {
	type_code type;
	item_printer print;
};


// Nested messages are printed by the message printer itself; any type not here as raw bytes.
const type_printer kTypePrinters[] = {
	{B_REF_TYPE, print_ref},
	{B_STRING_TYPE, print_string},
	{B_MIME_STRING_TYPE, print_string},
	{B_BOOL_TYPE, print_bool},
	{B_CHAR_TYPE, print_char},
	{B_INT8_TYPE, print_signed<int8, uint8>},
	{B_UINT8_TYPE, print_unsigned<uint8>},
	{B_INT16_TYPE, print_signed<int16, uint16>},
	{B_UINT16_TYPE, print_unsigned<uint16>},
	{B_INT32_TYPE, print_int32},
	{B_UINT32_TYPE, print_unsigned<uint32>},
	{B_INT64_TYPE, print_signed<int64, uint64>},
	{B_UINT64_TYPE, print_unsigned<uint64>},
	{B_FLOAT_TYPE, print_float},
	{B_DOUBLE_TYPE, print_double},
	{B_POINT_TYPE, print_point},
	{B_RECT_TYPE, print_rect},
	{B_POINTER_TYPE, print_pointer},
};


void
print_item(type_code type, const uint8* data, size_t size)
{
	// An item of a fixed-size type read with another size can only be shown as bytes.
	size_t typeSize = fixed_type_size(type);
	if (typeSize != 0 && size != typeSize) {
		print_raw(data, size);
		return;
	}

	for (const type_printer& printer : kTypePrinters) {
		if (printer.type == type) {
			printer.print(data, size);
			return;
		}
	}
	print_raw(data, size);
}


// The size the platform reports for a ref is that of its device, folder and name: the folder's
// path that follows is ours.
size_t
printed_item_size(type_code type, const uint8* data, size_t size)
{
	RefCodec::parts ref;
	if (type != B_REF_TYPE || !RefCodec::Split(data, size, &ref))
		return size;
	return ref.platformSize;
}


// Prints a nested message under its item's line, which it ends.
void
print_nested(const uint8* data, size_t size, int indent, int32 depth)
{
	printf("message");
	if (depth + 1 >= kMaxPrintDepth) {
		printf(" (nested too deep to show)\n");
		return;
	}

	BMessage nested;
	if (nested.Unflatten(reinterpret_cast<const char*>(data), static_cast<ssize_t>(size)) != B_OK) {
		printf(" (damaged)\n");
		return;
	}

	putchar('\n');
	MessagePrinter::Print(nested, indent + kNestedIndent, depth + 1);
}

} // namespace


void
MessagePrinter::Print(const BMessage& message, int indent, int32 depth)
{
	char whatChars[5];
	printable_code_chars(message.what, whatChars);
	printf("%*sBMessage: what = %.4s (0x%lx, or %ld)\n", indent, "", whatChars,
		static_cast<unsigned long>(message.what),
		static_cast<long>(static_cast<int32>(message.what)));

	const char* name;
	type_code type;
	int32 count;
	for (int32 index = 0; message.GetInfo(B_ANY_TYPE, index, &name, &type, &count) == B_OK;
		 index++) {
		char typeChars[5];
		code_chars(type, typeChars);

		// Further items go on lines of their own, lined up under the first.
		int column = printf("%*s    entry %14s, type='%s', c=%ld, ", indent, "",
			escaped_text(name, strlen(name)).c_str(),
			escaped_text(typeChars, strnlen(typeChars, 4)).c_str(), static_cast<long>(count));
		if (column < 0)
			column = 0;

		for (int32 i = 0; i < count; i++) {
			if (i > 0)
				printf("%*s", column, "");

			const void* data;
			ssize_t size;
			if (message.FindData(name, type, i, &data, &size) != B_OK)
				return;
			const uint8* item = static_cast<const uint8*>(data);
			size_t itemSize = static_cast<size_t>(size);
			printf("size=%2ld, data[%ld]: ",
				static_cast<long>(printed_item_size(type, item, itemSize)), static_cast<long>(i));
			if (type == B_MESSAGE_TYPE) {
				print_nested(item, itemSize, indent, depth);
				continue;
			}

			print_item(type, item, itemSize);
			putchar('\n');
		}
	}
}


} // namespace BPrivate
