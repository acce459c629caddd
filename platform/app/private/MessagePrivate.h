/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef MESSAGE_PRIVATE_H
#define MESSAGE_PRIVATE_H


#include <Message.h>
#include <Point.h>


// What the kits may change in a message that applications may not: the window kit marks a
// message it delivers as the result of a drag and drop.
class BMessage::Private {
public:
	explicit Private(BMessage* message);

	void SetWasDropped(bool dropped, BPoint where);

private:
	BMessage* fMessage;
};


#endif // MESSAGE_PRIVATE_H
