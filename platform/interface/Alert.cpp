/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Alert.h>

#include <string.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <new>
#include <string>

#include <Button.h>
#include <StringView.h>

#include <display/DisplayServer.h>


namespace {

const uint32 kMsgButton = '_ABN';
const char* const kIndexField = "be:index";

const float kMargin = 12;
const float kIconSize = 32;
const float kSpacing = 10;


// The icon of the alert's type, drawn by the display.
class AlertIconView : public BView {
public:
	AlertIconView(BRect frame, alert_type type)
		: BView(frame, "icon", B_FOLLOW_LEFT_TOP, B_WILL_DRAW),
		  fType(type)
	{
	}

protected:
	void FillDisplayState(BPrivate::view_state* state) const override
	{
		BView::FillDisplayState(state);
		state->kind = BPrivate::VIEW_ALERT_ICON;
		state->kind_detail = fType;
	}

private:
	alert_type fType;
};

} // namespace


struct BAlert::result {
	std::mutex lock;
	std::condition_variable pressed;
	int32 index = -1;
};


BAlert::BAlert(const char* title, const char* text, const char* button0, const char* button1,
	const char* button2, button_width width, alert_type type)
	: BWindow(BRect(0, 0, 99, 49), title, B_MODAL_WINDOW,
		B_NOT_RESIZABLE | B_NOT_ZOOMABLE | B_NOT_CLOSABLE | B_NOT_MINIMIZABLE),
	  fResult(std::make_shared<result>()),
	  fButtons{NULL, NULL, NULL},
	  fButtonCount(0),
	  fType(type)
{
	SetAlert(true);

	bool hasIcon = type != B_EMPTY_ALERT;
	float textLeft = kMargin + (hasIcon ? kIconSize + kSpacing : 0);
	auto textView
		= std::make_unique<BStringView>(BRect(0, 0, 0, 0), "text", text != NULL ? text : "");
	float textWidth;
	float textHeight;
	textView->GetPreferredSize(&textWidth, &textHeight);
	textView->MoveTo(textLeft, kMargin);
	textView->ResizeTo(textWidth, textHeight);

	const char* labels[3] = {button0, button1, button2};
	float buttonWidth = 0;
	float buttonHeight = 0;
	std::unique_ptr<BButton> buttons[3];
	for (int32 i = 0; i < 3 && labels[i] != NULL; i++) {
		auto message = std::make_unique<BMessage>(kMsgButton);
		if (message->AddInt32(kIndexField, i) != B_OK)
			throw std::bad_alloc();
		// Allocated before the message is handed over, so that a failed allocation keeps it.
		buttons[i].reset(new BButton(BRect(0, 0, 0, 0), labels[i], labels[i], message.release()));
		float w;
		buttons[i]->GetPreferredSize(&w, &buttonHeight);
		buttonWidth = std::max(buttonWidth, std::max(w, 75.0f));
		fButtonCount = i + 1;
	}

	float contentHeight = std::max(textHeight, hasIcon ? kIconSize : 0.0f);
	float buttonsWidth = fButtonCount * buttonWidth + std::max<int32>(fButtonCount - 1, 0) * 8;
	float windowWidth = std::max(textLeft + textWidth + kMargin, buttonsWidth + 2 * kMargin);
	windowWidth = std::max(windowWidth, 260.0f);
	float buttonTop = kMargin + contentHeight + kSpacing + 4;
	float windowHeight = buttonTop + buttonHeight + kMargin;

	BRect screen = BPrivate::display_server()->ScreenFrame();
	float left = screen.left + std::max(0.0f, (screen.Width() - windowWidth) / 2);
	float top = screen.top + std::max(0.0f, (screen.Height() - windowHeight) / 3);
	MoveTo(left, top);
	ResizeTo(windowWidth - 1, windowHeight - 1);

	if (hasIcon) {
		auto icon = std::make_unique<AlertIconView>(
			BRect(kMargin, kMargin, kMargin + kIconSize - 1, kMargin + kIconSize - 1), type);
		AddChild(icon.get());
		icon.release();
	}
	AddChild(textView.get());
	textView.release();
	float x = windowWidth - kMargin - buttonsWidth;
	for (int32 i = 0; i < fButtonCount; i++) {
		buttons[i]->MoveTo(x, buttonTop);
		buttons[i]->ResizeTo(buttonWidth - 1, buttonHeight - 1);
		buttons[i]->SetTarget(this);
		AddChild(buttons[i].get());
		fButtons[i] = buttons[i].release();
		x += buttonWidth + 8;
	}
	(void)width;
}


BAlert::~BAlert()
{
}


int32
BAlert::Go()
{
	std::shared_ptr<result> shared = fResult;
	// Held until it is known whether the alert got a thread: once it runs, it may be pressed
	// and gone at any moment.
	Lock();
	try {
		Show();
	} catch (const std::bad_alloc&) {
		Quit();
		throw;
	}
	if (!IsRunning()) {
		// No thread to be had: the alert runs in the caller's, which would only wait for it.
		Unlock();
		RunInCallingThread();
		delete this;
		return shared->index;
	}
	Unlock();
	std::unique_lock<std::mutex> guard(shared->lock);
	shared->pressed.wait(guard, [&shared] { return shared->index >= 0; });
	return shared->index;
}


void
BAlert::MessageReceived(BMessage* message)
{
	int32 index;
	if (message->what == kMsgButton && message->FindInt32(kIndexField, &index) == B_OK) {
		{
			std::lock_guard<std::mutex> guard(fResult->lock);
			fResult->index = index;
		}
		fResult->pressed.notify_all();
		Quit();
		return;
	}
	BWindow::MessageReceived(message);
}


BButton*
BAlert::ButtonAt(int32 index) const
{
	if (index < 0 || index >= fButtonCount)
		return NULL;
	return fButtons[index];
}


int32
BAlert::CountButtons() const
{
	return fButtonCount;
}


alert_type
BAlert::AlertType() const
{
	return fType;
}
