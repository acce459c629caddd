/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef PROCESS_REFS_H
#define PROCESS_REFS_H


#include <Entry.h>
#include <Message.h>

#include "ErrorAlert.h"


// Opens a permissions window for each ref under "refs" in message and returns once they have
// all closed. The file manager calls it with the user's selection; the directory and the
// reserved pointer are not used.
extern "C" __attribute__((visibility("default"))) void process_refs(entry_ref directory,
	BMessage* message, void* reserved);


#endif // PROCESS_REFS_H
