/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _WINDOW_H
#define _WINDOW_H


#include <string>
#include <unordered_map>

#include <InterfaceDefs.h>
#include <Looper.h>
#include <Rect.h>


class BView;


// A window with its own message-loop thread, started by the first Show(). Quit() from the
// window's thread deletes it, with its views, once the current message is handled. The close box
// posts B_QUIT_REQUESTED, granted when QuitRequested() returns true.
class BWindow : public BLooper {
public:
	BWindow(BRect frame, const char* title, window_type type, uint32 flags,
		uint32 workspace = B_CURRENT_WORKSPACE);
	virtual ~BWindow();

	virtual void Show();
	virtual void Hide();
	bool IsHidden() const;
	virtual void Quit();
	virtual bool QuitRequested();
	virtual void MessageReceived(BMessage* message);
	virtual void DispatchMessage(BMessage* message, BHandler* handler);

	// Adds a view to the window, which owns it from then on; if adding fails (std::bad_alloc),
	// the caller keeps it.
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* FindView(const char* name) const;

	BRect Bounds() const;
	BRect Frame() const;
	void SetTitle(const char* title);
	const char* Title() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	// Moves the window, if need be, so that it and its decorations lie where the desktop leaves
	// room for windows (below a top bar, say): top and left edges first. Never resizes it.
	void MoveOnScreen();

	window_type Type() const;
	uint32 Flags() const;

	int32 DisplayToken() const;

protected:
	// Alerts mark their window so that the display keeps it on top.
	void SetAlert(bool alert);

private:
	friend class BView;

	void _SyncDisplay();
	void _SendWindow(bool shown);
	void _RegisterView(BView* view);
	void _UnregisterView(BView* view);
	void _HandleClick(int32 viewToken);

	std::string fTitle;
	BRect fFrame;
	window_type fType;
	uint32 fFlags;
	bool fShown;
	bool fAlert;
	bool fOnDisplay;
	int32 fToken;
	BView* fTopView;
	std::unordered_map<int32, BView*> fViews;
};


#endif // _WINDOW_H
