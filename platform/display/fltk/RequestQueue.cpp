/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/RequestQueue.h>

#include <stdio.h>

#include <condition_variable>
#include <new>

#include <FL/Fl.H>


namespace BPrivate {


namespace {

void
noop(void*)
{
}

} // namespace


RequestQueue::RequestQueue(std::function<void()> afterBatch)
	: fAfterBatch(std::move(afterBatch))
{
}


void
RequestQueue::Start(const std::function<void()>& open, std::function<void()> run)
{
	std::mutex readyLock;
	std::condition_variable readyChanged;
	bool ready = false;
	fThread = std::thread([&, run = std::move(run)] {
		{
			std::lock_guard<std::mutex> guard(readyLock);
			fThreadId = std::this_thread::get_id();
			// FLTK's awake queue is made by the first post; make it here, before anyone else
			// can post.
			Fl::lock();
			Fl::awake(&noop, NULL);
			open();
			ready = true;
			// Under the lock: the waiting Start returns, and its condition goes, as soon as it
			// is released.
			readyChanged.notify_all();
		}
		run();
	});
	std::unique_lock<std::mutex> guard(readyLock);
	readyChanged.wait(guard, [&ready] { return ready; });
}


void
RequestQueue::Stop()
{
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (fQuitting)
			return;
		fQuitting = true;
	}
	if (std::this_thread::get_id() == fThreadId) {
		fThread.detach();
		return;
	}
	Fl::awake(&noop, NULL);
	fThread.join();
}


bool
RequestQueue::Stopping()
{
	std::lock_guard<std::mutex> guard(fLock);
	if (fQuitting)
		fStopped = true;
	return fStopped;
}


void
RequestQueue::Post(request request)
{
	bool wake;
	{
		std::lock_guard<std::mutex> guard(fLock);
		if (fStopped)
			return;
		wake = fQueue.empty();
		fQueue.push_back(std::move(request));
	}
	// One wake-up per batch: FLTK's own queue is small and drops what overflows it.
	if (wake)
		Fl::awake(&_Drain, this);
}


void
RequestQueue::Call(const request& request)
{
	if (std::this_thread::get_id() == fThreadId) {
		request();
		return;
	}
	std::mutex doneLock;
	std::condition_variable doneChanged;
	bool done = false;
	Post([&] {
		request();
		std::lock_guard<std::mutex> guard(doneLock);
		done = true;
		doneChanged.notify_all();
	});
	std::unique_lock<std::mutex> guard(doneLock);
	doneChanged.wait(guard, [&] {
		if (done)
			return true;
		std::lock_guard<std::mutex> queueGuard(fLock);
		return fStopped && fQueue.empty();
	});
}


void
RequestQueue::Drain()
{
	std::vector<request> requests;
	{
		std::lock_guard<std::mutex> guard(fLock);
		requests.swap(fQueue);
	}
	for (auto& request : requests) {
		try {
			request();
		} catch (const std::bad_alloc&) {
			fprintf(stderr, "display: out of memory\n");
		}
	}
	fAfterBatch();
}


void
RequestQueue::_Drain(void* self)
{
	static_cast<RequestQueue*>(self)->Drain();
}


} // namespace BPrivate
