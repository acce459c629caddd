/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _LOOPER_H
#define _LOOPER_H


#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <Handler.h>
#include <Message.h>
#include <OS.h>


// A thread with a message queue. Messages are handled one at a time, in the order they were
// posted, with the looper locked. The lock is recursive and may also be taken by other threads
// to touch the looper's objects; while the looper's thread handles a message, it holds it.
class BLooper : public BHandler {
public:
	BLooper(const char* name = NULL);
	virtual ~BLooper();

	// Posting copies the message; the copy is handled by handler (the looper itself when NULL).
	// B_BAD_HANDLER if handler belongs to another looper, B_NO_MEMORY if the copy fails.
	status_t PostMessage(uint32 command);
	status_t PostMessage(BMessage* message, BHandler* handler = NULL, BHandler* replyTo = NULL);

	virtual void DispatchMessage(BMessage* message, BHandler* handler);
	virtual void MessageReceived(BMessage* message);
	// Asked by B_QUIT_REQUESTED; the looper quits when it returns true.
	virtual bool QuitRequested();

	// Starts the looper's thread. Allocates everything before the thread starts, so that a
	// failure (std::bad_alloc) leaves the looper as it was, not running.
	virtual thread_id Run();
	// With the looper locked: from the looper's own thread, the looper is deleted once the
	// current message has been handled; from another thread, the looper is asked to quit and
	// the lock is given up; a looper that never ran is deleted at once.
	virtual void Quit();

	bool Lock();
	status_t LockWithTimeout(bigtime_t timeout);
	void Unlock();
	bool IsLocked() const;
	thread_id LockingThread() const;
	thread_id Thread() const;
	bool IsRunning() const;

	void AddHandler(BHandler* handler);
	bool RemoveHandler(BHandler* handler);
	int32 CountHandlers() const;

	BMessage* CurrentMessage() const;

protected:
	// Runs the loop in the calling thread until the looper quits (the application's main loop).
	void RunInCallingThread();

private:
	struct queued_message {
		std::unique_ptr<BMessage> message;
		BHandler* handler;
		bool preferred;
	};

	void _Loop();
	bool _HasHandler(BHandler* handler) const;

	std::mutex fQueueLock;
	std::condition_variable fQueueChanged;
	std::deque<queued_message> fQueue;

	mutable std::mutex fLockLock;
	std::condition_variable fLockReleased;
	thread_id fOwner;
	int32 fOwnerCount;

	std::vector<BHandler*> fHandlers;
	BMessage* fCurrentMessage;
	thread_id fThread;
	bool fRunning;
	bool fQuitting;
};


#endif // _LOOPER_H
