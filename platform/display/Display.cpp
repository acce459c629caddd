/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/DisplayServer.h>

#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <vector>

#include <display/fltk/FltkDisplay.h>
#include <display/InputPort.h>


namespace BPrivate {


namespace {

// Backends are never deleted: windows' threads may still talk to them while the process ends.
std::mutex sServerLock;
std::atomic<DisplayServer*> sCurrent{nullptr};
std::atomic<display_id> sNextId{1};
std::atomic<InputPort*> sInputPort{nullptr};
// Backends replaced by another, kept where they can be reached: a window may still use one.
std::vector<DisplayServer*>& sRetired = *new std::vector<DisplayServer*>;


// The on-screen display, opened at its first use: a test that installs another backend first
// (asking display_server() what is in use) never touches X.
class DeferredDisplay : public DisplayServer {
public:
	void SetWindow(display_id window, const window_state& state) override
	{
		_Server()->SetWindow(window, state);
	}

	void RemoveWindow(display_id window) noexcept override { _Server()->RemoveWindow(window); }

	void SetView(display_id window, display_id view, const view_state& state) override
	{
		_Server()->SetView(window, view, state);
	}

	void RemoveView(display_id window, display_id view) noexcept override
	{
		_Server()->RemoveView(window, view);
	}

	float StringWidth(const font_spec& font, const char* text) override
	{
		return _Server()->StringWidth(font, text);
	}

	void GetFontHeight(const font_spec& font, float* ascent, float* descent,
		float* leading) override
	{
		_Server()->GetFontHeight(font, ascent, descent, leading);
	}

	BRect ScreenFrame() override { return _Server()->ScreenFrame(); }

	BRect PlaceWindow(const BRect& frame) override { return _Server()->PlaceWindow(frame); }

private:
	DisplayServer* _Server()
	{
		std::call_once(fOpened, [this] {
			fServer = FltkDisplay::Create();
			sOpened = fServer.get();
			atexit(&shut_down);
		});
		return fServer.get();
	}

	static void shut_down() { sOpened->Shutdown(); }

	static inline FltkDisplay* sOpened = nullptr;

	std::once_flag fOpened;
	std::unique_ptr<FltkDisplay> fServer;
};


InputPort*
input_port()
{
	return sInputPort.load(std::memory_order_acquire);
}

} // namespace


DisplayServer::~DisplayServer()
{
}


BRect
DisplayServer::PlaceWindow(const BRect& frame)
{
	return frame;
}


DisplayServer*
display_server()
{
	DisplayServer* current = sCurrent.load(std::memory_order_acquire);
	if (current != nullptr)
		return current;

	std::lock_guard<std::mutex> guard(sServerLock);
	current = sCurrent.load(std::memory_order_acquire);
	if (current == nullptr) {
		// Without a backend installed (tests install the headless one), windows go on screen.
		current = new DeferredDisplay;
		sCurrent.store(current, std::memory_order_release);
	}
	return current;
}


void
install_display_server(std::unique_ptr<DisplayServer> server)
{
	std::lock_guard<std::mutex> guard(sServerLock);
	if (DisplayServer* previous = sCurrent.load(std::memory_order_acquire))
		sRetired.push_back(previous);
	sCurrent.store(server.release(), std::memory_order_release);
}


display_id
new_display_id()
{
	return sNextId.fetch_add(1, std::memory_order_relaxed);
}


InputPort::~InputPort()
{
}


void
install_input_port(InputPort* port)
{
	sInputPort.store(port, std::memory_order_release);
}


void
deliver_click(display_id window, display_id view)
{
	if (InputPort* port = input_port())
		port->Click(window, view);
}


void
deliver_mouse_down(display_id window, display_id view, BPoint where)
{
	if (InputPort* port = input_port())
		port->MouseDown(window, view, where);
}


void
deliver_close(display_id window)
{
	if (InputPort* port = input_port())
		port->Close(window);
}


void
deliver_drop(display_id window, BPoint where, const BMessage& message)
{
	if (InputPort* port = input_port())
		port->Drop(window, where, message);
}


} // namespace BPrivate
