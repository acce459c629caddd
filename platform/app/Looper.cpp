/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Looper.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <unordered_map>


namespace BPrivate {


// The looper's lock, and its thread. Threads that wait for the lock hold it by a shared pointer,
// so that a looper deleted meanwhile leaves them a lock that says it is closed, never freed
// memory.
struct looper_lock {
	std::mutex lock;
	std::condition_variable released;
	thread_id owner = -1;
	int32 count = 0;
	// Set when the looper quits or is deleted: from then on nobody else gets the lock.
	bool closed = false;
	thread_id thread = -1;
	bool running = false;
};


} // namespace BPrivate


using BPrivate::looper_lock;


namespace {

// Asks a looper, from another thread, to quit once it reaches this message.
const uint32 kQuitLooper = '_QIT';

// The loopers that exist, so that a looper that is gone is neither locked nor posted to. Never
// destroyed: loopers' threads may outlive the process's static objects.
std::mutex sLoopersLock;
std::unordered_map<const BLooper*, std::shared_ptr<looper_lock>>& sLoopers
	= *new std::unordered_map<const BLooper*, std::shared_ptr<looper_lock>>;


std::shared_ptr<looper_lock>
lock_of(const BLooper* looper)
{
	std::lock_guard<std::mutex> guard(sLoopersLock);
	auto found = sLoopers.find(looper);
	return found != sLoopers.end() ? found->second : NULL;
}


// Takes the lock for the calling thread. Once the lock is closed, only the thread that holds it
// may take it again.
status_t
acquire(looper_lock& state, bigtime_t timeout)
{
	thread_id self = find_thread(NULL);
	std::unique_lock<std::mutex> guard(state.lock);
	if (state.count > 0 && state.owner == self) {
		state.count++;
		return B_OK;
	}
	auto decided = [&state] { return state.count == 0 || state.closed; };
	if (timeout == B_INFINITE_TIMEOUT)
		state.released.wait(guard, decided);
	else if (!state.released.wait_for(guard, std::chrono::microseconds(timeout), decided))
		return B_TIMED_OUT;
	if (state.closed)
		return B_BAD_VALUE;
	state.owner = self;
	state.count = 1;
	return B_OK;
}


void
close_lock(looper_lock& state)
{
	std::lock_guard<std::mutex> guard(state.lock);
	state.closed = true;
	state.released.notify_all();
}

} // namespace


BLooper::BLooper(const char* name)
	: BHandler(name),
	  fLock(std::make_shared<looper_lock>()),
	  fCurrentMessage(NULL),
	  fQuitting(false)
{
	BHandler::fLooper = this;
	fHandlers.push_back(this);
	{
		std::lock_guard<std::mutex> guard(sLoopersLock);
		sLoopers.emplace(this, fLock);
	}
	// A new looper is locked by its creator until it runs.
	acquire(*fLock, B_INFINITE_TIMEOUT);
}


BLooper::~BLooper()
{
	{
		std::lock_guard<std::mutex> guard(sLoopersLock);
		sLoopers.erase(this);
	}
	// Threads still waiting for the lock wake up and fail.
	close_lock(*fLock);
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

	try {
		queued_message item{std::make_unique<BMessage>(*message), handler, handler == NULL};
		// The looper can't be deleted while its entry is looked at: the destructor takes it out
		// under the same lock.
		std::lock_guard<std::mutex> loopers(sLoopersLock);
		if (sLoopers.find(this) == sLoopers.end())
			return B_BAD_PORT_ID;
		if (handler != NULL && handler->Looper() != this)
			return B_BAD_HANDLER;
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
	try {
		std::thread thread([this] {
			_Loop();
			delete this;
		});
		thread.detach();
	} catch (const std::system_error&) {
		return B_NO_MORE_THREADS;
	}
	thread_id id;
	{
		std::unique_lock<std::mutex> guard(fLock->lock);
		fLock->released.wait(guard, [this] { return fLock->thread >= 0; });
		id = fLock->thread;
	}
	// The creator's lock from construction passes to nobody: the loop takes its own. From
	// then on the looper may quit at any moment, so nothing of it is touched after this.
	Unlock();
	return id;
}


void
BLooper::RunInCallingThread()
{
	{
		std::lock_guard<std::mutex> guard(fLock->lock);
		fLock->thread = find_thread(NULL);
		fLock->running = true;
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
	// Held here, so that it stays while this thread waits, whatever becomes of the looper.
	std::shared_ptr<looper_lock> state = lock_of(this);
	if (state == NULL)
		return B_BAD_VALUE;
	return acquire(*state, timeout);
}


void
BLooper::Unlock()
{
	std::lock_guard<std::mutex> guard(fLock->lock);
	if (fLock->owner != find_thread(NULL) || fLock->count == 0)
		return;
	if (--fLock->count == 0) {
		fLock->owner = -1;
		fLock->released.notify_all();
	}
}


bool
BLooper::IsLocked() const
{
	std::lock_guard<std::mutex> guard(fLock->lock);
	return fLock->count > 0 && fLock->owner == find_thread(NULL);
}


thread_id
BLooper::LockingThread() const
{
	std::lock_guard<std::mutex> guard(fLock->lock);
	return fLock->owner;
}


thread_id
BLooper::Thread() const
{
	std::lock_guard<std::mutex> guard(fLock->lock);
	return fLock->thread;
}


bool
BLooper::IsRunning() const
{
	std::lock_guard<std::mutex> guard(fLock->lock);
	return fLock->running;
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
		std::lock_guard<std::mutex> guard(fLock->lock);
		if (fLock->thread < 0) {
			fLock->thread = find_thread(NULL);
			fLock->running = true;
		}
		fLock->released.notify_all();
	}

	for (;;) {
		queued_message item;
		{
			std::unique_lock<std::mutex> guard(fQueueLock);
			fQueueChanged.wait(guard, [this] { return !fQueue.empty(); });
			item = std::move(fQueue.front());
			fQueue.pop_front();
		}

		acquire(*fLock, B_INFINITE_TIMEOUT);
		BHandler* handler = item.preferred ? this : item.handler;
		// A handler removed since the post no longer gets its messages.
		if (_HasHandler(handler)) {
			fCurrentMessage = item.message.get();
			DispatchMessage(item.message.get(), handler);
			fCurrentMessage = NULL;
		}
		if (fQuitting) {
			// Whoever waits for the lock now gives up instead of waiting for a looper that goes.
			close_lock(*fLock);
			return;
		}
		Unlock();
	}
}
