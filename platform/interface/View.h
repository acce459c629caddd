/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _VIEW_H
#define _VIEW_H


#include <vector>

#include <Font.h>
#include <Handler.h>
#include <InterfaceDefs.h>
#include <Rect.h>


class BWindow;

namespace BPrivate {
struct view_state;
}


// A rectangle of a window. A view owns the children added to it and deletes them with itself;
// a window owns its views. Frames are in the parent's coordinates.
class BView : public BHandler {
public:
	BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
	virtual ~BView();

	virtual void AttachedToWindow();
	virtual void DetachedFromWindow();
	virtual void MessageReceived(BMessage* message);
	virtual void MouseDown(BPoint where);
	virtual void FrameResized(float width, float height);
	virtual void GetPreferredSize(float* _width, float* _height);

	// The view owns the child once added; if adding fails (std::bad_alloc), the caller keeps it.
	void AddChild(BView* child, BView* before = NULL);
	bool RemoveChild(BView* child);
	bool RemoveSelf();
	int32 CountChildren() const;
	BView* ChildAt(int32 index) const;
	BView* Parent() const;
	BWindow* Window() const;
	BView* FindView(const char* name) const;

	BRect Bounds() const;
	BRect Frame() const;
	void MoveTo(BPoint where);
	void MoveTo(float x, float y);
	void MoveBy(float dx, float dy);
	void ResizeTo(float width, float height);
	void ResizeBy(float dx, float dy);
	uint32 ResizingMode() const;
	uint32 Flags() const;

	virtual void SetFont(const BFont* font, uint32 mask = B_FONT_ALL);
	void GetFont(BFont* font) const;
	void SetFontSize(float size);
	float StringWidth(const char* string) const;
	void GetFontHeight(font_height* height) const;

	void Invalidate();

	// The view under point, in this view's coordinates: the deepest child containing it, or this.
	BView* ViewAt(BPoint point);
	int32 DisplayToken() const;

protected:
	// Describes the view to the display; subclasses add their kind and contents.
	virtual void FillDisplayState(BPrivate::view_state* state) const;

private:
	friend class BWindow;

	void _Attach(BWindow* window);
	void _Detach();
	void _SyncDisplay();

	BRect fFrame;
	uint32 fResizingMode;
	uint32 fFlags;
	BFont fFont;
	BView* fParent;
	BWindow* fWindow;
	std::vector<BView*> fChildren;
	int32 fToken;
};


#endif // _VIEW_H
