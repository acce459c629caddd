/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef ACCESSIBILITY_BRIDGE_H
#define ACCESSIBILITY_BRIDGE_H


#include <functional>
#include <string>

#include <SupportDefs.h>


namespace BPrivate {


class AccessibleDisplay;


// A key as the accessibility tree's key listeners take it: X's keysym, keycode, modifier state
// and time, and the text (the character of a graphic key, else the key's name, "Tab").
struct accessible_key {
	bool press = true;
	uint32 keysym = 0;
	uint32 keycode = 0;
	uint32 modifiers = 0;
	uint32 time = 0;
	std::string text;
};


// The tree itself, on a thread of its own, loaded beside the kits only where it starts. The
// calls come from the display thread; each returns at once.
class AccessibilityBridge {
public:
	virtual ~AccessibilityBridge() = default;

	// Windows changed: the bridge asks the display for the changes.
	virtual void Update() = 0;
	// Hands a key to the key listeners; done(true) when one of them took it.
	virtual void Key(const accessible_key& key, std::function<void(bool)> done) = 0;
	// Ends the bridge's loop: the thread returns from be_accessibility_run().
	virtual void Quit() = 0;
};


} // namespace BPrivate


// The module's one entry: builds the tree from display, starts the bridge and runs its loop on
// the calling thread until Quit(). Returns false when the bridge could not start.
extern "C" bool be_accessibility_run(BPrivate::AccessibleDisplay* display);


#endif // ACCESSIBILITY_BRIDGE_H
