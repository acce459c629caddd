/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Memory running out at every allocation of one pass of process_refs, one at a time: the count
// of windows must come back to zero, no node may stay open, no exception may leave the call.
#include <stdlib.h>

// The replaced operators below hand out and take back malloc blocks on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <atomic>
#include <memory>
#include <new>
#include <set>

#include <gtest/gtest.h>

#include <PermsWindow.h>
#include <ProcessRefs.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

// The allocation of this thread that fails, counting from 1; 0 for none.
thread_local long tFailAt = 0;
thread_local long tAllocations = 0;
thread_local bool tFailed = false;


bool
should_fail()
{
	if (tFailAt == 0 || ++tAllocations != tFailAt)
		return false;
	tFailed = true;
	return true;
}

} // namespace


void*
operator new(size_t size)
{
	if (should_fail())
		throw std::bad_alloc();
	if (void* block = malloc(size != 0 ? size : 1))
		return block;
	throw std::bad_alloc();
}


void*
operator new[](size_t size)
{
	return operator new(size);
}


void*
operator new(size_t size, const std::nothrow_t&) noexcept
{
	if (should_fail())
		return NULL;
	return malloc(size != 0 ? size : 1);
}


void*
operator new[](size_t size, const std::nothrow_t& nothrow) noexcept
{
	return operator new(size, nothrow);
}


void
operator delete(void* block) noexcept
{
	free(block);
}


void
operator delete[](void* block) noexcept
{
	free(block);
}


void
operator delete(void* block, size_t) noexcept
{
	free(block);
}


void
operator delete[](void* block, size_t) noexcept
{
	free(block);
}


namespace {

struct sweep_result {
	bool failed = false;
};


// Calls process_refs once for each allocation number in [first, last], all at once in threads
// of their own, answers every alert and closes every window, and collects the alert texts.
void
run_batch(const ScriptedUser& user, const BMessage& message, long first, long last,
	std::vector<sweep_result>& results, std::multiset<std::string>& alerts)
{
	std::vector<std::unique_ptr<std::thread>> threads;
	std::atomic<long> returned(0);
	for (long n = first; n <= last; n++) {
		threads.push_back(std::make_unique<std::thread>([&, n] {
			BMessage copy(message);
			entry_ref directory;
			tAllocations = 0;
			tFailed = false;
			tFailAt = n;
			process_refs(directory, &copy, NULL);
			tFailAt = 0;
			results[n].failed = tFailed;
			returned++;
		}));
	}
	long count = last - first + 1;
	user.WaitFor("every call to return", [&] {
		for (const auto& alert : user.Alerts()) {
			if (alert.buttons.empty())
				continue;
			alerts.insert(alert.text);
			press_first_button(user, alert);
			user.WaitForGone(alert.window);
		}
		for (const auto& window : user.Windows())
			user.Close(window.id);
		return returned.load() == count;
	});
	for (auto& thread : threads)
		thread->join();
}


// Sweeps until a pass runs through without reaching its failing allocation.
std::vector<sweep_result>
sweep(const ScriptedUser& user, const BMessage& message, std::multiset<std::string>& alerts)
{
	const long kBatch = getenv("SWEEP_BATCH") ? atol(getenv("SWEEP_BATCH")) : 40;
	std::vector<sweep_result> results(1);
	for (long first = 1; first < 5000; first += kBatch) {
		results.resize(first + kBatch);
		run_batch(user, message, first, first + kBatch - 1, results, alerts);
		EXPECT_EQ(_windowCount.load(), 0);
		if (!results.back().failed) {
			while (!results.back().failed)
				results.pop_back();
			return results;
		}
	}
	ADD_FAILURE() << "the pass never ran through";
	return results;
}


long
count_of(const std::string& text, const std::string& part)
{
	long count = 0;
	for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
		count++;
	return count;
}

} // namespace


TEST(AllocationTest, AlertWithoutMemoryFallsBackToStandardOutput)
{
	ScriptedUser user;
	BMessage empty(B_REFS_RECEIVED);
	std::multiset<std::string> alerts;
	std::vector<sweep_result> results;
	std::string text;
	{
		OutputCapture output;
		results = sweep(user, empty, alerts);
		text = output.Text();
	}

	// Every allocation of this pass is the alert's: each failure shows the line instead.
	long failures = static_cast<long>(results.size()) - 1;
	ASSERT_GT(failures, 0);
	EXPECT_EQ(count_of(text, "aieee... - Select files/folders first!\n"), failures) << text;
}


TEST(AllocationTest, EveryAllocationOfAWindowCanFail)
{
	ScriptedUser user;
	TempFolder folder;
	std::string path = folder.MakeFile("file", 0644);
	std::string missing = folder.Path() + "/missing";
	BMessage message = refs_message({missing, path});
	int descriptors = count_open_descriptors();

	std::multiset<std::string> alerts;
	std::vector<sweep_result> results;
	std::string text;
	{
		OutputCapture output;
		results = sweep(user, message, alerts);
		text = output.Text();
	}

	EXPECT_GT(results.size(), 20u);
	EXPECT_EQ(_windowCount.load(), 0);
	EXPECT_EQ(count_open_descriptors(), descriptors);
	EXPECT_GT(alerts.count("Can't create PermsWindow!"), 0u);
	EXPECT_GT(count_of(text, "aieee... - Woah, I've opened too many nodes...\n"), 0) << text;
	EXPECT_EQ(mode_of(path), 0644);
}
