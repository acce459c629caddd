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
// Once the looper quits, nobody gets its lock any more: Lock() fails, also in a thread that was
// waiting for it, and so does Lock() or PostMessage() on a looper that is gone.
namespace BPrivate {
struct looper_lock;
}


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
	// failure (std::bad_alloc) leaves the looper as it was, not running. Without a thread to be
	// had it returns B_NO_MORE_THREADS, and the looper stays as it was, locked by its creator.
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
	// Runs the loop in the calling thread until the looper quits (the application's main loop),
	// and returns with the looper locked by the calling thread; nothing is deleted.
	void RunInCallingThread();

private:
	struct queued_message {
		std::unique_ptr<BMessage> message;
		BHandler* handler;
		bool preferred;
	};

	// Returns when the looper quits, with the lock held and closed to everyone else.
	void _Loop();
	bool _HasHandler(BHandler* handler) const;

	std::mutex fQueueLock;
	std::condition_variable fQueueChanged;
	std::deque<queued_message> fQueue;

	// Shared with the threads that wait for the lock, so that it outlives the looper for them.
	std::shared_ptr<BPrivate::looper_lock> fLock;

	std::vector<BHandler*> fHandlers;
	BMessage* fCurrentMessage;
	bool fQuitting;
};


#endif // _LOOPER_H
