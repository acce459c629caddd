/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The display sees the kits below it, public and private headers alike.
#include <Entry.h>
#include <Message.h>

#include <app/private/MessagePrivate.h>
#include <display/DisplayServer.h>
#include <storage/private/UriList.h>
