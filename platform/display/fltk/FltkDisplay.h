/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef FLTK_DISPLAY_H
#define FLTK_DISPLAY_H


#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>


namespace BPrivate {


class AccessibleDisplay;
class FltkWindow;
class WorkArea;


// The display on an X screen, drawn with FLTK. One thread of its own makes every FLTK call; the
// kits' threads queue requests for it and wake it once per batch.
class FltkDisplay : public DisplayServer {
public:
	// Opens the X display; a process that has none is told so on stderr and exits with status 1.
	static std::unique_ptr<FltkDisplay> Create();
	~FltkDisplay() override;

	// Stops the display thread and closes the windows; later requests are ignored. The
	// process calls it on its way out, before the libraries under FLTK are torn down while
	// the thread still uses them.
	void Shutdown();

	void SetWindow(display_id window, const window_state& state) override;
	void RemoveWindow(display_id window) noexcept override;
	void SetView(display_id window, display_id view, const view_state& state) override;
	void RemoveView(display_id window, display_id view) noexcept override;
	float StringWidth(const font_spec& font, const char* text) override;
	void GetFontHeight(const font_spec& font, float* ascent, float* descent,
		float* leading) override;
	BRect ScreenFrame() override;
	BRect PlaceWindow(const BRect& frame) override;

	// What the display thread keeps of a window and its views.
	struct view_record;
	struct window_record;

private:
	FltkDisplay(void* xDisplay);

	void _Run(void* xDisplay);
	void _Post(std::function<void()> request);
	void _Call(const std::function<void()>& request);
	static void _Drain(void* self);

	// On the display thread only.
	window_record* _WindowRecord(display_id window);
	void _ApplyWindow(display_id window, const window_state& state);
	void _ApplyView(display_id window, display_id view, const view_state& state);
	void _RemoveView(display_id window, display_id view);
	void _DestroyWidget(window_record& window, view_record& view);
	void _Relink(window_record& record);
	unsigned long _FramedWindow() const;

	std::thread fThread;
	std::thread::id fThreadId;

	std::mutex fQueueLock;
	std::vector<std::function<void()>> fQueue;
	bool fQuitting = false;
	bool fStopped = false;

	// Set on the display thread before the constructor returns, never changed afterwards.
	DisplayScale fScale;

	std::mutex fMetricsLock;
	std::map<std::pair<int, std::string>, float> fWidths;
	std::map<int, std::pair<float, float>> fHeights;
	std::optional<BRect> fScreen;

	std::map<display_id, std::unique_ptr<window_record>> fWindows;
	// Made at the first placement; the display thread's own.
	std::unique_ptr<WorkArea> fWorkArea;
	// The accessibility layer, where it runs; the display thread's own.
	AccessibleDisplay* fAccessible = NULL;
};


} // namespace BPrivate


#endif // FLTK_DISPLAY_H
