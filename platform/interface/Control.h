/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _CONTROL_H
#define _CONTROL_H


#include <memory>
#include <string>

#include <Message.h>
#include <View.h>


// A view that sends a message to a target when the user operates it. The control owns its
// message, also when its construction fails; each time it is invoked, a copy is posted to the
// target's looper.
class BControl : public BView {
public:
	BControl(BRect frame, const char* name, const char* label, BMessage* message,
		uint32 resizingMode, uint32 flags);
	virtual ~BControl();

	virtual void SetLabel(const char* label);
	const char* Label() const;
	virtual void SetValue(int32 value);
	int32 Value() const;
	virtual void SetEnabled(bool enabled);
	bool IsEnabled() const;

	void SetMessage(BMessage* message);
	BMessage* Message() const;
	status_t SetTarget(BHandler* target);
	BHandler* Target() const;
	virtual status_t Invoke(BMessage* message = NULL);

protected:
	virtual void FillDisplayState(BPrivate::view_state* state) const;
	// What a click does before the message is sent: a check box toggles.
	virtual void UserClicked();

private:
	friend class BWindow;

	void _Clicked();

	std::string fLabel;
	BHandler* fTarget;
	int32 fValue;
	bool fEnabled;
	// Last, so that the message is owned only once nothing of the construction can fail.
	std::unique_ptr<BMessage> fMessage;
};


#endif // _CONTROL_H
