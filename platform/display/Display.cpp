/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/DisplayServer.h>

#include <atomic>
#include <mutex>

#include <display/HeadlessDisplay.h>


namespace BPrivate {


namespace {

std::mutex sServerLock;
std::unique_ptr<DisplayServer> sServer;
std::atomic<DisplayServer*> sCurrent{nullptr};
std::atomic<display_id> sNextId{1};

} // namespace


DisplayServer::~DisplayServer()
{
}


DisplayServer*
display_server()
{
	DisplayServer* current = sCurrent.load(std::memory_order_acquire);
	if (current != nullptr)
		return current;

	std::lock_guard<std::mutex> guard(sServerLock);
	if (sServer == nullptr) {
		sServer = std::make_unique<HeadlessDisplay>();
		sCurrent.store(sServer.get(), std::memory_order_release);
	}
	return sServer.get();
}


void
install_display_server(std::unique_ptr<DisplayServer> server)
{
	std::lock_guard<std::mutex> guard(sServerLock);
	// A backend that windows already used stays alive: they may still talk to it.
	if (sServer != nullptr)
		sServer.release();
	sServer = std::move(server);
	sCurrent.store(sServer.get(), std::memory_order_release);
}


display_id
new_display_id()
{
	return sNextId.fetch_add(1, std::memory_order_relaxed);
}


} // namespace BPrivate
