/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <Looper.h>
#include <Message.h>


namespace {

// Records what it handles, and whether it was locked by its own thread meanwhile.
class RecordingLooper : public BLooper {
public:
	RecordingLooper(std::vector<uint32>& handled, std::mutex& lock,
		std::condition_variable& changed, std::atomic<bool>& gone)
		: fHandled(handled),
		  fLock(lock),
		  fChanged(changed),
		  fGone(gone)
	{
	}

	~RecordingLooper() override
	{
		std::lock_guard<std::mutex> guard(fLock);
		fGone = true;
		fChanged.notify_all();
	}

	void MessageReceived(BMessage* message) override
	{
		EXPECT_TRUE(IsLocked());
		int32 value = 0;
		message->FindInt32("value", &value);
		std::lock_guard<std::mutex> guard(fLock);
		fHandled.push_back(message->what + value);
		fChanged.notify_all();
	}

private:
	std::vector<uint32>& fHandled;
	std::mutex& fLock;
	std::condition_variable& fChanged;
	std::atomic<bool>& fGone;
};


struct LooperTest : testing::Test {
	template<typename Predicate>
	bool WaitFor(Predicate predicate)
	{
		std::unique_lock<std::mutex> guard(lock);
		return changed.wait_for(guard, std::chrono::seconds(10), predicate);
	}

	// Whether each thread (by its id, once set) is asleep, waiting, within ten seconds.
	static bool AllWaiting(const std::vector<std::atomic<pid_t>>& ids)
	{
		auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
		for (const std::atomic<pid_t>& id : ids) {
			for (;;) {
				if (std::chrono::steady_clock::now() > deadline)
					return false;
				pid_t tid = id.load();
				if (tid != 0 && thread_state(tid) == 'S')
					break;
				std::this_thread::yield();
			}
		}
		return true;
	}

	static char thread_state(pid_t tid)
	{
		std::string path = "/proc/self/task/" + std::to_string(tid) + "/stat";
		char state = '?';
		if (FILE* file = fopen(path.c_str(), "r")) {
			if (fscanf(file, "%*d (%*[^)]) %c", &state) != 1)
				state = '?';
			fclose(file);
		}
		return state;
	}

	std::vector<uint32> handled;
	std::mutex lock;
	std::condition_variable changed;
	std::atomic<bool> gone{false};
};

} // namespace


TEST_F(LooperTest, HandlesCopiesInOrderAndQuitsFromItsThread)
{
	auto* looper = new RecordingLooper(handled, lock, changed, gone);
	BMessage message('test');
	for (int32 i = 0; i < 100; i++) {
		message.MakeEmpty();
		message.AddInt32("value", i);
		// Posted before the thread runs, and changed after posting: the copies count.
		ASSERT_EQ(looper->PostMessage(&message), B_OK);
	}
	message.what = 'late';
	looper->Run();
	ASSERT_TRUE(WaitFor([&] { return handled.size() == 100; }));
	for (uint32 i = 0; i < 100; i++)
		EXPECT_EQ(handled[i], 'test' + i);

	looper->PostMessage(B_QUIT_REQUESTED);
	EXPECT_TRUE(WaitFor([&] { return gone.load(); }));
}


TEST_F(LooperTest, AnotherThreadWaitsForTheLockWhileAMessageIsHandled)
{
	struct SlowLooper : BLooper {
		std::atomic<bool> inside{false};
		std::atomic<bool> release{false};
		void MessageReceived(BMessage*) override
		{
			inside = true;
			while (!release)
				std::this_thread::yield();
		}
	};
	auto* looper = new SlowLooper;
	looper->Run();
	looper->PostMessage('slow');
	while (!looper->inside)
		std::this_thread::yield();
	EXPECT_EQ(looper->LockWithTimeout(50000), B_TIMED_OUT);
	looper->release = true;
	ASSERT_TRUE(looper->Lock());
	EXPECT_TRUE(looper->IsLocked());
	looper->Quit();
}


TEST_F(LooperTest, PostingToAHandlerOfAnotherLooperFails)
{
	auto* first = new RecordingLooper(handled, lock, changed, gone);
	BLooper* second = new BLooper;
	BHandler handler;
	second->AddHandler(&handler);
	BMessage message('test');
	EXPECT_EQ(first->PostMessage(&message, &handler), B_BAD_HANDLER);
	second->RemoveHandler(&handler);
	first->Quit();
	second->Quit();
}


TEST_F(LooperTest, ALockWaitedForFailsOnceTheLooperQuitsAndNothingIsLeftWaiting)
{
	struct QuittingLooper : BLooper {
		std::atomic<bool> inside{false};
		std::atomic<bool> release{false};
		std::atomic<bool>* gone = NULL;
		~QuittingLooper() override { *gone = true; }
		void MessageReceived(BMessage*) override
		{
			inside = true;
			while (!release)
				std::this_thread::yield();
			Quit();
		}
	};
	auto* looper = new QuittingLooper;
	looper->gone = &gone;
	looper->Run();
	looper->PostMessage('quit');
	while (!looper->inside)
		std::this_thread::yield();

	// Threads that wait for the lock while the looper's thread decides to quit: each wakes up
	// with a failure, and the looper is deleted although they were waiting.
	std::atomic<int> failed(0);
	std::vector<std::thread> waiters;
	std::vector<std::atomic<pid_t>> ids(4);
	for (std::atomic<pid_t>& id : ids) {
		std::atomic<pid_t>* slot = &id;
		waiters.emplace_back([slot, looper, &failed] {
			*slot = gettid();
			if (!looper->Lock())
				failed++;
		});
	}
	ASSERT_TRUE(AllWaiting(ids));
	looper->release = true;
	for (auto& waiter : waiters)
		waiter.join();
	EXPECT_EQ(failed.load(), 4);
	auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
	while (!gone && std::chrono::steady_clock::now() < deadline)
		std::this_thread::yield();
	EXPECT_TRUE(gone.load());
}


TEST_F(LooperTest, ALooperDeletedBeforeItRanWakesItsWaiters)
{
	auto* looper = new BLooper;
	std::vector<std::atomic<pid_t>> ids(1);
	std::atomic<bool> locked(true);
	std::thread waiter([&] {
		ids[0] = gettid();
		locked = looper->Lock();
	});
	ASSERT_TRUE(AllWaiting(ids));
	// Never ran, so quitting deletes it at once, with the waiter inside Lock().
	looper->Quit();
	waiter.join();
	EXPECT_FALSE(locked.load());
}
