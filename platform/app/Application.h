/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _APPLICATION_H
#define _APPLICATION_H


#include <string>

#include <Looper.h>


// The application object. Its loop runs in the thread that calls Run(), normally main's, and
// Run() returns once the application has quit.
class BApplication : public BLooper {
public:
	BApplication(const char* signature);
	virtual ~BApplication();

	status_t InitCheck() const;
	const char* Signature() const;

	virtual thread_id Run();
	virtual void Quit();
	virtual bool QuitRequested();
	virtual void ReadyToRun();
	virtual void RefsReceived(BMessage* message);
	virtual void ArgvReceived(int32 argc, char** argv);
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

private:
	std::string fSignature;
	status_t fInitStatus;
};


extern BApplication* be_app;


#endif // _APPLICATION_H
