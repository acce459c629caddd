/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef MESSAGE_PRINTER_H
#define MESSAGE_PRINTER_H


#include <SupportDefs.h>


class BMessage;


namespace BPrivate {


// Writes a message to standard output in the platform's classic text form, nested messages
// indented under the item that holds them.
class MessagePrinter {
public:
	static void Print(const BMessage& message, int indent = 0, int32 depth = 0);
};


} // namespace BPrivate


#endif // MESSAGE_PRINTER_H
