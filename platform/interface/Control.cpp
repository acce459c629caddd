/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Control.h>

#include <Looper.h>
#include <Window.h>

#include <display/DisplayServer.h>


// clang-format 14 folds a function try block's initializers into one line.
// clang-format off
BControl::BControl(BRect frame, const char* name, const char* label, BMessage* message,
	uint32 resizingMode, uint32 flags)
try
	: BView(frame, name, resizingMode, flags),
	  fLabel(label != NULL ? label : ""),
	  fTarget(NULL),
	  fValue(B_CONTROL_OFF),
	  fEnabled(true),
	  fMessage(message)
{
} catch (...) {
	delete message;
}
// clang-format on


BControl::~BControl()
{
}


void
BControl::SetLabel(const char* label)
{
	fLabel = label != NULL ? label : "";
	Invalidate();
}


const char*
BControl::Label() const
{
	return fLabel.c_str();
}


void
BControl::SetValue(int32 value)
{
	if (value == fValue)
		return;
	fValue = value;
	Invalidate();
}


int32
BControl::Value() const
{
	return fValue;
}


void
BControl::SetEnabled(bool enabled)
{
	if (enabled == fEnabled)
		return;
	fEnabled = enabled;
	Invalidate();
}


bool
BControl::IsEnabled() const
{
	return fEnabled;
}


void
BControl::SetMessage(BMessage* message)
{
	fMessage.reset(message);
}


BMessage*
BControl::Message() const
{
	return fMessage.get();
}


status_t
BControl::SetTarget(BHandler* target)
{
	fTarget = target;
	return B_OK;
}


BHandler*
BControl::Target() const
{
	return fTarget != NULL ? fTarget : Window();
}


status_t
BControl::Invoke(BMessage* message)
{
	if (message == NULL)
		message = fMessage.get();
	if (message == NULL)
		return B_BAD_VALUE;
	BHandler* target = Target();
	if (target == NULL || target->Looper() == NULL)
		return B_BAD_HANDLER;
	return target->Looper()->PostMessage(message, target);
}


void
BControl::FillDisplayState(BPrivate::view_state* state) const
{
	BView::FillDisplayState(state);
	state->label = fLabel;
	state->value = fValue;
	state->enabled = fEnabled;
}


void
BControl::UserClicked()
{
}


void
BControl::_Clicked()
{
	if (!fEnabled)
		return;
	UserClicked();
	Invoke();
}
