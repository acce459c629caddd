/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Application.h>

#include <stdio.h>


BApplication* be_app = NULL;


BApplication::BApplication(const char* signature)
	: BLooper(signature),
	  fSignature(signature != NULL ? signature : ""),
	  fInitStatus(B_OK)
{
	if (be_app != NULL) {
		fprintf(stderr, "BApplication: an application object exists already\n");
		fInitStatus = B_NOT_ALLOWED;
		return;
	}
	be_app = this;
}


BApplication::~BApplication()
{
	if (be_app == this)
		be_app = NULL;
}


status_t
BApplication::InitCheck() const
{
	return fInitStatus;
}


const char*
BApplication::Signature() const
{
	return fSignature.c_str();
}


thread_id
BApplication::Run()
{
	PostMessage(B_READY_TO_RUN);
	RunInCallingThread();
	return B_OK;
}


void
BApplication::Quit()
{
	// The application object belongs to main: quitting ends the loop but deletes nothing.
	if (IsRunning() && find_thread(NULL) == Thread()) {
		BLooper::Quit();
		return;
	}
	PostMessage(B_QUIT_REQUESTED);
	Unlock();
}


bool
BApplication::QuitRequested()
{
	return true;
}


void
BApplication::ReadyToRun()
{
}


void
BApplication::RefsReceived(BMessage* message)
{
	(void)message;
}


void
BApplication::ArgvReceived(int32 argc, char** argv)
{
	(void)argc;
	(void)argv;
}


void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		switch (message->what) {
			case B_READY_TO_RUN:
				ReadyToRun();
				return;
			case B_REFS_RECEIVED:
				RefsReceived(message);
				return;
		}
	}
	BLooper::DispatchMessage(message, handler);
}
