/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _ALERT_H
#define _ALERT_H


#include <memory>

#include <InterfaceDefs.h>
#include <Window.h>


class BButton;


// A small window with an icon, a text and up to three buttons. Go() shows it and blocks the
// calling thread, and only that thread, until a button is pressed; the alert then deletes itself.
class BAlert : public BWindow {
public:
	BAlert(const char* title, const char* text, const char* button0, const char* button1 = NULL,
		const char* button2 = NULL, button_width width = B_WIDTH_AS_USUAL,
		alert_type type = B_INFO_ALERT);
	virtual ~BAlert();

	// The index of the button pressed. If showing the alert fails for lack of memory, the alert
	// is deleted and std::bad_alloc passes to the caller. Without a thread of its own to be had,
	// the alert runs in the calling thread.
	int32 Go();

	virtual void MessageReceived(BMessage* message);

	BButton* ButtonAt(int32 index) const;
	int32 CountButtons() const;
	alert_type AlertType() const;

private:
	struct result;

	std::shared_ptr<result> fResult;
	BButton* fButtons[3];
	int32 fButtonCount;
	alert_type fType;
};


#endif // _ALERT_H
