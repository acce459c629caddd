/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Looper.h>

#include <algorithm>
#include <new>


namespace {

// Asks a looper, from another thread, to quit once it reaches this message.
const uint32 kQuitLooper = '_QIT';

} // namespace


BLooper::BLooper(const char* name)
	: BHandler(name),
	  fOwner(-1),
	  fOwnerCount(0),
	  fCurrentMessage(NULL),
	  fThread(-1),
	  fRunning(false),
	  fQuitting(false)
{
	BHandler::fLooper = this;
	fHandlers.push_back(this);
	// A new looper is locked by its creator until it runs.
	Lock();
}


BLooper::~BLooper()
{
	std::lock_guard<std::mutex> guard(fQueueLock);
	fQueue.clear();
}


status_t
BLooper::PostMessage(uint32 command)
{
	BMessage message(command);
	return PostMessage(&message);
}


status_t
BLooper::PostMessage(BMessage* message, BHandler* handler, BHandler* replyTo)
{
	(void)replyTo;
	if (message == NULL)
		return B_BAD_VALUE;
	if (handler != NULL && handler->Looper() != this)
		return B_BAD_HANDLER;

	try {
		queued_message item{std::make_unique<BMessage>(*message), handler, handler == NULL};
		// Notified under the lock: once it is released, the looper may handle the message,
		// quit and be gone.
		std::lock_guard<std::mutex> guard(fQueueLock);
		fQueue.push_back(std::move(item));
		fQueueChanged.notify_one();
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}


void
BLooper::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (message->what == kQuitLooper) {
		Quit();
		return;
	}
	if (message->what == B_QUIT_REQUESTED && handler == this) {
		if (QuitRequested())
			Quit();
		return;
	}
	handler->MessageReceived(message);
}


void
BLooper::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


bool
BLooper::QuitRequested()
{
	return true;
}


thread_id
BLooper::Run()
{
	if (IsRunning())
		return Thread();

	// Everything that can fail is done before the thread exists.
	std::thread thread([this] {
		_Loop();
		Lock();
		delete this;
	});
	thread_id id;
	{
		std::unique_lock<std::mutex> guard(fLockLock);
		fLockReleased.wait(guard, [this] { return fThread >= 0; });
		id = fThread;
	}
	thread.detach();
	// The creator's lock from construction passes to nobody: the loop takes its own. From
	// then on the looper may quit at any moment, so nothing of it is touched after this.
	Unlock();
	return id;
}


void
BLooper::RunInCallingThread()
{
	{
		std::lock_guard<std::mutex> guard(fLockLock);
		fThread = find_thread(NULL);
		fRunning = true;
	}
	Unlock();
	_Loop();
}


void
BLooper::Quit()
{
	if (!IsRunning()) {
		delete this;
		return;
	}
	if (find_thread(NULL) == Thread()) {
		fQuitting = true;
		return;
	}
	PostMessage(kQuitLooper);
	Unlock();
}


bool
BLooper::Lock()
{
	return LockWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}


status_t
BLooper::LockWithTimeout(bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> guard(fLockLock);
	if (fOwner == self) {
		fOwnerCount++;
		return B_OK;
	}
	auto isFree = [this] { return fOwnerCount == 0; };
	if (timeout == B_INFINITE_TIMEOUT)
		fLockReleased.wait(guard, isFree);
	else if (!fLockReleased.wait_for(guard, std::chrono::microseconds(timeout), isFree))
		return B_TIMED_OUT;
	fOwner = self;
	fOwnerCount = 1;
	return B_OK;
}


void
BLooper::Unlock()
{
	std::unique_lock<std::mutex> guard(fLockLock);
	if (fOwner != find_thread(NULL) || fOwnerCount == 0)
		return;
	if (--fOwnerCount == 0) {
		fOwner = -1;
		fLockReleased.notify_all();
	}
}


bool
BLooper::IsLocked() const
{
	std::lock_guard<std::mutex> guard(fLockLock);
	return fOwnerCount > 0 && fOwner == find_thread(NULL);
}


thread_id
BLooper::LockingThread() const
{
	std::lock_guard<std::mutex> guard(fLockLock);
	return fOwner;
}


thread_id
BLooper::Thread() const
{
	std::lock_guard<std::mutex> guard(fLockLock);
	return fThread;
}


bool
BLooper::IsRunning() const
{
	std::lock_guard<std::mutex> guard(fLockLock);
	return fRunning;
}


void
BLooper::AddHandler(BHandler* handler)
{
	if (handler == NULL || handler->fLooper == this)
		return;
	fHandlers.push_back(handler);
	handler->fLooper = this;
}


bool
BLooper::RemoveHandler(BHandler* handler)
{
	if (handler == NULL || handler == this)
		return false;
	auto found = std::find(fHandlers.begin(), fHandlers.end(), handler);
	if (found == fHandlers.end())
		return false;
	fHandlers.erase(found);
	handler->fLooper = NULL;
	return true;
}


int32
BLooper::CountHandlers() const
{
	return static_cast<int32>(fHandlers.size());
}


BMessage*
BLooper::CurrentMessage() const
{
	return fCurrentMessage;
}


bool
BLooper::_HasHandler(BHandler* handler) const
{
	return std::find(fHandlers.begin(), fHandlers.end(), handler) != fHandlers.end();
}


void
BLooper::_Loop()
{
	{
		std::lock_guard<std::mutex> guard(fLockLock);
		if (fThread < 0) {
			fThread = find_thread(NULL);
			fRunning = true;
		}
		fLockReleased.notify_all();
	}

	for (;;) {
		queued_message item;
		{
			std::unique_lock<std::mutex> guard(fQueueLock);
			fQueueChanged.wait(guard, [this] { return !fQueue.empty(); });
			item = std::move(fQueue.front());
			fQueue.pop_front();
		}

		Lock();
		BHandler* handler = item.preferred ? this : item.handler;
		// A handler removed since the post no longer gets its messages.
		if (_HasHandler(handler)) {
			fCurrentMessage = item.message.get();
			DispatchMessage(item.message.get(), handler);
			fCurrentMessage = NULL;
		}
		bool quitting = fQuitting;
		Unlock();
		if (quitting)
			break;
	}
}
