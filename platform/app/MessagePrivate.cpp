/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/MessagePrivate.h>


BMessage::Private::Private(BMessage* message)
	: fMessage(message)
{
}


void
BMessage::Private::SetWasDropped(bool dropped, BPoint where)
{
	fMessage->fWasDropped = dropped;
	fMessage->fDropPoint = dropped ? where : BPoint();
}
