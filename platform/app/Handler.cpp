/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Handler.h>

#include <Looper.h>
#include <Message.h>


BHandler::BHandler(const char* name)
	: fName(name != NULL ? name : ""),
	  fLooper(NULL),
	  fNextHandler(NULL)
{
}


BHandler::~BHandler()
{
	if (fLooper != NULL && fLooper != this)
		fLooper->RemoveHandler(this);
}


void
BHandler::MessageReceived(BMessage* message)
{
	if (fNextHandler != NULL)
		fNextHandler->MessageReceived(message);
}


BLooper*
BHandler::Looper() const
{
	return fLooper;
}


const char*
BHandler::Name() const
{
	return fName.c_str();
}


void
BHandler::SetName(const char* name)
{
	fName = name != NULL ? name : "";
}


BHandler*
BHandler::NextHandler() const
{
	return fNextHandler;
}


void
BHandler::SetNextHandler(BHandler* handler)
{
	fNextHandler = handler;
}
