/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <interface/private/WindowInput.h>

#include <mutex>
#include <unordered_map>

#include <Message.h>
#include <Window.h>

#include <app/private/MessagePrivate.h>


namespace BPrivate {


namespace {

// Never destroyed: windows' threads may outlive the process's static objects.
std::mutex sWindowsLock;
std::unordered_map<int32, BWindow*>& sWindows = *new std::unordered_map<int32, BWindow*>;
WindowInput& sPort = *new WindowInput;


void
post_to_window(display_id window, BMessage& message)
{
	std::lock_guard<std::mutex> guard(sWindowsLock);
	auto found = sWindows.find(window);
	if (found != sWindows.end())
		found->second->PostMessage(&message);
}

} // namespace


const char* const WindowInput::kViewField = "be:view";
const char* const WindowInput::kWhereField = "be:where";


void
WindowInput::Register(display_id token, BWindow* window)
{
	static std::once_flag sInstalled;
	std::call_once(sInstalled, [] { install_input_port(&sPort); });
	std::lock_guard<std::mutex> guard(sWindowsLock);
	sWindows.emplace(token, window);
}


void
WindowInput::Unregister(display_id token)
{
	std::lock_guard<std::mutex> guard(sWindowsLock);
	sWindows.erase(token);
}


void
WindowInput::Click(display_id window, display_id view)
{
	BMessage message(kMsgClick);
	if (message.AddInt32(kViewField, view) == B_OK)
		post_to_window(window, message);
}


void
WindowInput::MouseDown(display_id window, display_id view, BPoint where)
{
	BMessage message(B_MOUSE_DOWN);
	if (message.AddInt32(kViewField, view) == B_OK && message.AddPoint(kWhereField, where) == B_OK)
		post_to_window(window, message);
}


void
WindowInput::Close(display_id window)
{
	BMessage message(B_QUIT_REQUESTED);
	post_to_window(window, message);
}


void
WindowInput::Drop(display_id window, BPoint where, const BMessage& message)
{
	BMessage drop(message);
	BMessage::Private(&drop).SetWasDropped(true, where);
	post_to_window(window, drop);
}


} // namespace BPrivate
