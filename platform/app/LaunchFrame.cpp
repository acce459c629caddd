/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/LaunchFrame.h>

#include <errno.h>

#include <Errors.h>
#include <Message.h>

#include <app/private/LaunchSocket.h>
#include <app/private/SingleLaunch.h>


namespace BPrivate {


LaunchFrame::LaunchFrame()
	: fHeader(),
	  fReceived(0)
{
}


status_t
LaunchFrame::Encode(const BMessage& message, std::vector<char>* _frame)
{
	ssize_t size = message.FlattenedSize();
	if (size < 0)
		return size;
	if (size_t(size) > kMaxLaunchMessageSize)
		return B_BAD_VALUE;

	std::vector<char>& frame = *_frame;
	frame.assign(sizeof(fHeader) + size, 0);
	uint32 length = uint32(size);
	for (size_t i = 0; i < sizeof(fHeader); i++)
		frame[i] = char(length >> (8 * i));
	return message.Flatten(frame.data() + sizeof(fHeader), size);
}


status_t
LaunchFrame::Receive(LaunchSocket& socket)
{
	for (;;) {
		bool inHeader = fReceived < sizeof(fHeader);
		char* into = inHeader ? reinterpret_cast<char*>(fHeader) + fReceived
							  : fBody.data() + (fReceived - sizeof(fHeader));
		size_t wanted
			= inHeader ? sizeof(fHeader) - fReceived : fBody.size() - (fReceived - sizeof(fHeader));
		ssize_t count = socket.ReceiveNow(into, wanted);
		if (count < 0 && errno == EINTR)
			continue;
		if (count < 0 && errno == EAGAIN)
			return B_WOULD_BLOCK;
		if (count <= 0)
			return B_ERROR;
		fReceived += count;

		if (fReceived == sizeof(fHeader)) {
			uint32 size = uint32(fHeader[0]) | uint32(fHeader[1]) << 8 | uint32(fHeader[2]) << 16
				| uint32(fHeader[3]) << 24;
			if (size == 0 || size > kMaxLaunchMessageSize)
				return B_ERROR;
			fBody.resize(size);
		} else if (fReceived == sizeof(fHeader) + fBody.size())
			return B_OK;
	}
}


} // namespace BPrivate
