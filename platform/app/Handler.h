/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _HANDLER_H
#define _HANDLER_H


#include <string>

#include <SupportDefs.h>


class BLooper;
class BMessage;


class BHandler {
public:
	BHandler(const char* name = NULL);
	virtual ~BHandler();

	BHandler(const BHandler&) = delete;
	BHandler& operator=(const BHandler&) = delete;

	// Called in the looper's thread, with the looper locked, for each message sent to this
	// handler. The base passes the message on to the next handler, if there is one.
	virtual void MessageReceived(BMessage* message);

	BLooper* Looper() const;
	const char* Name() const;
	void SetName(const char* name);

	BHandler* NextHandler() const;
	void SetNextHandler(BHandler* handler);

private:
	friend class BLooper;

	std::string fName;
	BLooper* fLooper;
	BHandler* fNextHandler;
};


#endif // _HANDLER_H
