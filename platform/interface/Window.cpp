/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Window.h>

#include <memory>
#include <new>

#include <Control.h>
#include <View.h>

#include <display/DisplayServer.h>
#include <interface/private/WindowInput.h>


using namespace BPrivate;


BWindow::BWindow(BRect frame, const char* title, window_type type, uint32 flags, uint32 workspace)
	: BLooper(title),
	  fTitle(title != NULL ? title : ""),
	  fFrame(frame),
	  fType(type),
	  fFlags(flags),
	  fShown(false),
	  fAlert(false),
	  fOnDisplay(false),
	  fToken(new_display_id()),
	  fTopView(NULL)
{
	(void)workspace;
	auto topView = std::make_unique<BView>(Bounds(), "top", B_FOLLOW_ALL, 0);
	WindowInput::Register(fToken, this);
	fTopView = topView.release();
	fTopView->fWindow = this;
}


BWindow::~BWindow()
{
	WindowInput::Unregister(fToken);
	while (BView* child = fTopView->ChildAt(0)) {
		fTopView->RemoveChild(child);
		delete child;
	}
	fTopView->fWindow = NULL;
	delete fTopView;
	if (fOnDisplay)
		display_server()->RemoveWindow(fToken);
}


void
BWindow::Show()
{
	if (!fShown) {
		// The window reaches the display hidden, then its views, then it is mapped whole.
		fShown = true;
		_SendWindow(false);
		for (BView* child : fTopView->fChildren)
			child->_SyncDisplay();
		_SendWindow(true);
	}
	if (!IsRunning())
		Run();
}


void
BWindow::Hide()
{
	if (!fShown)
		return;
	fShown = false;
	_SyncDisplay();
}


bool
BWindow::IsHidden() const
{
	return !fShown;
}


void
BWindow::Quit()
{
	BLooper::Quit();
}


bool
BWindow::QuitRequested()
{
	return true;
}


void
BWindow::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BWindow::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		int32 token;
		switch (message->what) {
			case WindowInput::kMsgClick:
				if (message->FindInt32(WindowInput::kViewField, &token) == B_OK)
					_HandleClick(token);
				return;
			case B_MOUSE_DOWN:
			{
				BPoint where;
				auto found = message->FindInt32(WindowInput::kViewField, &token) == B_OK
					? fViews.find(token)
					: fViews.end();
				if (found != fViews.end()
					&& message->FindPoint(WindowInput::kWhereField, &where) == B_OK)
					found->second->MouseDown(where);
				return;
			}
		}
		if (message->WasDropped()) {
			BView* target = fTopView->ViewAt(message->DropPoint());
			if (target != fTopView) {
				target->MessageReceived(message);
				return;
			}
		}
	}
	BLooper::DispatchMessage(message, handler);
}


void
BWindow::AddChild(BView* child, BView* before)
{
	fTopView->AddChild(child, before);
}


bool
BWindow::RemoveChild(BView* child)
{
	return fTopView->RemoveChild(child);
}


int32
BWindow::CountChildren() const
{
	return fTopView->CountChildren();
}


BView*
BWindow::ChildAt(int32 index) const
{
	return fTopView->ChildAt(index);
}


BView*
BWindow::FindView(const char* name) const
{
	return fTopView->FindView(name);
}


BRect
BWindow::Bounds() const
{
	return BRect(0, 0, fFrame.Width(), fFrame.Height());
}


BRect
BWindow::Frame() const
{
	return fFrame;
}


void
BWindow::SetTitle(const char* title)
{
	fTitle = title != NULL ? title : "";
	SetName(fTitle.c_str());
	_SyncDisplay();
}


const char*
BWindow::Title() const
{
	return fTitle.c_str();
}


void
BWindow::MoveTo(BPoint where)
{
	MoveTo(where.x, where.y);
}


void
BWindow::MoveTo(float x, float y)
{
	fFrame.OffsetTo(x, y);
	_SyncDisplay();
}


void
BWindow::MoveBy(float dx, float dy)
{
	MoveTo(fFrame.left + dx, fFrame.top + dy);
}


void
BWindow::MoveOnScreen()
{
	BPoint where = display_server()->PlaceWindow(fFrame).LeftTop();
	if (where != fFrame.LeftTop())
		MoveTo(where);
}


void
BWindow::ResizeTo(float width, float height)
{
	fFrame.right = fFrame.left + width;
	fFrame.bottom = fFrame.top + height;
	fTopView->ResizeTo(width, height);
	_SyncDisplay();
}


void
BWindow::ResizeBy(float dx, float dy)
{
	ResizeTo(fFrame.Width() + dx, fFrame.Height() + dy);
}


window_type
BWindow::Type() const
{
	return fType;
}


uint32
BWindow::Flags() const
{
	return fFlags;
}


int32
BWindow::DisplayToken() const
{
	return fToken;
}


void
BWindow::SetAlert(bool alert)
{
	fAlert = alert;
	_SyncDisplay();
}


void
BWindow::_SyncDisplay()
{
	if (fOnDisplay)
		_SendWindow(fShown);
}


void
BWindow::_SendWindow(bool shown)
{
	window_state state;
	state.frame = fFrame;
	state.title = fTitle;
	state.closable = (fFlags & B_NOT_CLOSABLE) == 0;
	state.shown = shown;
	state.alert = fAlert;
	display_server()->SetWindow(fToken, state);
	fOnDisplay = true;
}


void
BWindow::_RegisterView(BView* view)
{
	fViews.emplace(view->fToken, view);
	try {
		AddHandler(view);
	} catch (...) {
		fViews.erase(view->fToken);
		throw;
	}
}


void
BWindow::_UnregisterView(BView* view)
{
	fViews.erase(view->fToken);
	RemoveHandler(view);
	if (fOnDisplay)
		display_server()->RemoveView(fToken, view->fToken);
}


void
BWindow::_HandleClick(int32 viewToken)
{
	auto found = fViews.find(viewToken);
	if (found == fViews.end())
		return;
	if (BControl* control = dynamic_cast<BControl*>(found->second))
		control->_Clicked();
}
