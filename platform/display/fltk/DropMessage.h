/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DROP_MESSAGE_H
#define DROP_MESSAGE_H


#include <stddef.h>

#include <Message.h>


namespace BPrivate {


// The message a drop of these bytes makes: B_SIMPLE_DATA with a "refs" entry for each item of
// the list that exists, the others left out; B_MIME_DATA with the bytes as "text/plain" when they
// are no file list or name nothing that exists.
BMessage drop_message(const char* text, size_t length);


} // namespace BPrivate


#endif // DROP_MESSAGE_H
