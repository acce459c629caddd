/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef REQUEST_QUEUE_H
#define REQUEST_QUEUE_H


#include <functional>
#include <mutex>
#include <thread>
#include <vector>


namespace BPrivate {


// The display thread, which makes every FLTK call, and the requests the kits' threads queue for
// it: they wake it once per batch.
class RequestQueue {
public:
	typedef std::function<void()> request;

	// afterBatch runs on the display thread after each batch of requests.
	explicit RequestQueue(std::function<void()> afterBatch);

	// Starts the display thread: it takes FLTK's lock and runs open, which Start waits for, then
	// run, which returns once Stopping() says so.
	void Start(const std::function<void()>& open, std::function<void()> run);
	// Stops the display thread; later requests are ignored. Waits for it, unless called on it.
	void Stop();
	// On the display thread, after each wake-up: the thread is to stop. From then on nothing is
	// queued.
	bool Stopping();

	void Post(request request);
	// Runs the request on the display thread and waits for it; returns at once where the display
	// stopped without running it.
	void Call(const request& request);
	// On the display thread: runs the requests queued.
	void Drain();

private:
	static void _Drain(void* self);

	std::function<void()> fAfterBatch;
	std::thread fThread;
	std::thread::id fThreadId;

	std::mutex fLock;
	std::vector<request> fQueue;
	bool fQuitting = false;
	bool fStopped = false;
};


} // namespace BPrivate


#endif // REQUEST_QUEUE_H
