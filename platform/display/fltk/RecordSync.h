/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef RECORD_SYNC_H
#define RECORD_SYNC_H


#include <map>
#include <memory>

#include <display/DisplayScale.h>
#include <display/DisplayServer.h>
#include <display/fltk/DisplayRecords.h>


namespace BPrivate {


class AccessibleDisplay;


// What the display thread keeps of the windows and their views, and the widgets that show
// them: each change the kits send is applied to the record and its widget, and told to the
// accessibility layer. On the display thread only.
class RecordSync {
public:
	explicit RecordSync(const DisplayScale& scale);

	void SetAccessible(AccessibleDisplay* accessible);

	void ApplyWindow(display_id window, const window_state& state);
	void RemoveWindow(display_id window);
	void ApplyView(display_id window, display_id view, const view_state& state);
	void RemoveView(display_id window, display_id view);
	// Puts the widgets of the windows whose tree changed in the views' order.
	void RelinkChanged();
	void HideAll();

	// The newest window of ours on screen that is decorated as a new one will be, None for none.
	unsigned long FramedWindow() const;

private:
	window_record* _WindowRecord(display_id window);
	void _DestroyWidget(window_record& window, view_record& view);
	void _Relink(window_record& record);

	const DisplayScale& fScale;
	AccessibleDisplay* fAccessible = NULL;
	std::map<display_id, std::unique_ptr<window_record>> fWindows;
};


} // namespace BPrivate


#endif // RECORD_SYNC_H
