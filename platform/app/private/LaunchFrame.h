/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef LAUNCH_FRAME_H
#define LAUNCH_FRAME_H


#include <stddef.h>

#include <vector>

#include <SupportDefs.h>


class BMessage;


namespace BPrivate {


class LaunchSocket;


// A message as it goes over a single-launch socket: its flattened size as a little-endian
// uint32, then the flattened bytes. Frames of more than kMaxLaunchMessageSize bytes are refused.
class LaunchFrame {
public:
	LaunchFrame();

	// The frame of message, or B_BAD_VALUE when it is too large, or the flattening's error.
	// Throws std::bad_alloc.
	[[nodiscard]] static status_t Encode(const BMessage& message, std::vector<char>* _frame);

	// Takes in what has come of a frame, without waiting: B_OK once it is whole, B_WOULD_BLOCK
	// while more is to come, B_ERROR when the peer ended early or announced a size refused.
	// Throws std::bad_alloc.
	[[nodiscard]] status_t Receive(LaunchSocket& socket);
	// The flattened message of a whole frame.
	const std::vector<char>& Body() const { return fBody; }

private:
	uint8 fHeader[4];
	size_t fReceived;
	std::vector<char> fBody;
};


} // namespace BPrivate


#endif // LAUNCH_FRAME_H
