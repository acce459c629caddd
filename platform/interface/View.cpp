/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <View.h>

#include <string.h>

#include <algorithm>

#include <Window.h>

#include <display/DisplayServer.h>


using BPrivate::display_server;
using BPrivate::view_state;


BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
	: BHandler(name),
	  fFrame(frame),
	  fResizingMode(resizingMode),
	  fFlags(flags),
	  fFont(be_plain_font),
	  fParent(NULL),
	  fWindow(NULL),
	  fToken(BPrivate::new_display_id())
{
}


BView::~BView()
{
	if (fWindow != NULL)
		_Detach();
	if (fParent != NULL) {
		auto& siblings = fParent->fChildren;
		siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
	}
	// Children are deleted last-first, each taking itself off the list.
	while (!fChildren.empty()) {
		BView* child = fChildren.back();
		child->fParent = NULL;
		fChildren.pop_back();
		delete child;
	}
}


void
BView::AttachedToWindow()
{
}


void
BView::DetachedFromWindow()
{
}


void
BView::MessageReceived(BMessage* message)
{
	BHandler::MessageReceived(message);
}


void
BView::MouseDown(BPoint where)
{
	(void)where;
}


void
BView::FrameResized(float width, float height)
{
	(void)width;
	(void)height;
}


void
BView::GetPreferredSize(float* _width, float* _height)
{
	if (_width != NULL)
		*_width = fFrame.Width();
	if (_height != NULL)
		*_height = fFrame.Height();
}


void
BView::AddChild(BView* child, BView* before)
{
	if (child == NULL || child->fParent != NULL)
		return;
	// Either the child is added, or, when memory runs out, it is not and stays the caller's.
	auto position = std::find(fChildren.begin(), fChildren.end(), before);
	position = fChildren.insert(position, child);
	child->fParent = this;
	if (fWindow == NULL)
		return;
	try {
		child->_Attach(fWindow);
	} catch (...) {
		child->_Detach();
		fChildren.erase(std::find(fChildren.begin(), fChildren.end(), child));
		child->fParent = NULL;
		throw;
	}
}


bool
BView::RemoveChild(BView* child)
{
	if (child == NULL || child->fParent != this)
		return false;
	if (child->fWindow != NULL)
		child->_Detach();
	fChildren.erase(std::remove(fChildren.begin(), fChildren.end(), child), fChildren.end());
	child->fParent = NULL;
	return true;
}


bool
BView::RemoveSelf()
{
	return fParent != NULL && fParent->RemoveChild(this);
}


int32
BView::CountChildren() const
{
	return static_cast<int32>(fChildren.size());
}


BView*
BView::ChildAt(int32 index) const
{
	if (index < 0 || index >= CountChildren())
		return NULL;
	return fChildren[index];
}


BView*
BView::Parent() const
{
	return fParent;
}


BWindow*
BView::Window() const
{
	return fWindow;
}


BView*
BView::FindView(const char* name) const
{
	for (BView* child : fChildren) {
		if (name != NULL && strcmp(child->Name(), name) == 0)
			return child;
		if (BView* found = child->FindView(name))
			return found;
	}
	return NULL;
}


BRect
BView::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


BRect
BView::Frame() const
{
	return fFrame;
}


void
BView::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BView::MoveTo(float x, float y)
{
	if (x == fFrame.left && y == fFrame.top)
		return;
	fFrame.OffsetTo(x, y);
	_SyncDisplay();
}


void
BView::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BView::ResizeTo(float width, float height)
{
	float dx = width - fFrame.Width();
	float dy = height - fFrame.Height();
	if (dx == 0 && dy == 0)
		return;
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;

	// Children whose right or bottom side follows ours grow with us.
	for (BView* child : fChildren) {
		uint32 mode = child->fResizingMode;
		float childDx = (mode & 0xf) == _VIEW_RIGHT_ ? dx : 0;
		float childDy = ((mode >> 4) & 0xf) == _VIEW_BOTTOM_ ? dy : 0;
		float moveX = ((mode >> 8) & 0xf) == _VIEW_RIGHT_ ? dx : 0;
		float moveY = ((mode >> 12) & 0xf) == _VIEW_BOTTOM_ ? dy : 0;
		if (moveX != 0 || moveY != 0)
			child->MoveBy(moveX, moveY);
		if (childDx - moveX != 0 || childDy - moveY != 0)
			child->ResizeBy(childDx - moveX, childDy - moveY);
	}
	_SyncDisplay();
	FrameResized(width, height);
}


void
BView::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


uint32
BView::ResizingMode() const
{
	return fResizingMode;
}


uint32
BView::Flags() const
{
	return fFlags;
}


void
BView::SetFont(const BFont* font, uint32 mask)
{
	if (font == NULL)
		return;
	if ((mask & B_FONT_SIZE) != 0)
		fFont.SetSize(font->Size());
	if ((mask & (B_FONT_FACE | B_FONT_FAMILY_AND_STYLE)) != 0)
		fFont.SetFace(font->Face());
	_SyncDisplay();
}


void
BView::GetFont(BFont* font) const
{
	if (font != NULL)
		*font = fFont;
}


void
BView::SetFontSize(float size)
{
	fFont.SetSize(size);
	_SyncDisplay();
}


float
BView::StringWidth(const char* string) const
{
	return fFont.StringWidth(string);
}


void
BView::GetFontHeight(font_height* height) const
{
	fFont.GetHeight(height);
}


void
BView::Invalidate()
{
	_SyncDisplay();
}


BView*
BView::ViewAt(BPoint point)
{
	for (auto child = fChildren.rbegin(); child != fChildren.rend(); ++child) {
		if ((*child)->fFrame.Contains(point))
			return (*child)->ViewAt(point - (*child)->fFrame.LeftTop());
	}
	return this;
}


int32
BView::DisplayToken() const
{
	return fToken;
}


void
BView::FillDisplayState(view_state* state) const
{
	state->kind = BPrivate::VIEW_PLAIN;
	state->name = Name();
	state->font.size = fFont.Size();
	state->font.bold = fFont.IsBold();
}


void
BView::_Attach(BWindow* window)
{
	// Without memory part of a tree may stay unattached; _Detach skips what never attached.
	window->_RegisterView(this);
	fWindow = window;
	_SyncDisplay();
	for (BView* child : fChildren)
		child->_Attach(window);
	AttachedToWindow();
}


void
BView::_Detach()
{
	if (fWindow == NULL)
		return;
	DetachedFromWindow();
	for (BView* child : fChildren)
		child->_Detach();
	fWindow->_UnregisterView(this);
	fWindow = NULL;
}


void
BView::_SyncDisplay()
{
	if (fWindow == NULL || !fWindow->fShown)
		return;

	view_state state;
	FillDisplayState(&state);
	BRect frame = fFrame;
	for (BView* parent = fParent; parent != NULL && parent != fWindow->fTopView;
		 parent = parent->fParent)
		frame.OffsetBy(parent->fFrame.LeftTop());
	state.frame = frame;
	state.parent = fParent != NULL && fParent != fWindow->fTopView ? fParent->fToken : 0;
	if (fParent != NULL) {
		auto& siblings = fParent->fChildren;
		state.index = static_cast<int32>(
			std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
	}
	display_server()->SetView(fWindow->fToken, fToken, state);
	// Descendants' frames are in window coordinates: they move with us.
	for (BView* child : fChildren)
		child->_SyncDisplay();
}
