/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef FLTK_DISPLAY_H
#define FLTK_DISPLAY_H


#include <memory>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>
#include <display/fltk/MetricCache.h>
#include <display/fltk/RecordSync.h>
#include <display/fltk/RequestQueue.h>


namespace BPrivate {


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

private:
	FltkDisplay(void* xDisplay);

	void _Open(void* xDisplay);
	void _Run();

	// Set on the display thread before the constructor returns, never changed afterwards.
	DisplayScale fScale;
	RecordSync fRecords;
	RequestQueue fRequests;
	MetricCache fMetrics;
	// Made at the first placement; the display thread's own.
	std::unique_ptr<WorkArea> fWorkArea;
};


} // namespace BPrivate


#endif // FLTK_DISPLAY_H
