/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _APPLICATION_H
#define _APPLICATION_H


#include <memory>
#include <string>

#include <Looper.h>


namespace BPrivate {
class LaunchServer;
}


// The application object. Its loop runs in the thread that calls Run(), normally main's, and
// Run() returns once the application has quit. The constructor reads the records of the
// program's own executable: a single-launch application started while an instance of it runs
// (same user, same display) hands the files it was started with to that one and exits with 0,
// there and then. The constructor also makes standard output line buffered and raises the
// process's soft limit of open descriptors to its hard limit.
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
	void _ReadOwnRecords();
	void _LaunchOnce();

	std::string fSignature;
	status_t fInitStatus;
	uint32 fAppFlags;
	// The refs of the program's arguments, when they had to be read before Run().
	std::unique_ptr<BMessage> fArgumentRefs;
	std::unique_ptr<BPrivate::LaunchServer> fLaunchServer;
};


extern BApplication* be_app;


#endif // _APPLICATION_H
