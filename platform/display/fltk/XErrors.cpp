/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <display/fltk/XErrors.h>

#include <mutex>
#include <new>


namespace BPrivate {


namespace {

// A client can make errors as fast as it sends messages; past this many between two looks,
// only the count of lost ones would grow, and nobody reads it.
const size_t kMaxKept = 256;

std::mutex sLock;
std::vector<XID> sErrors;


// Called by Xlib inside whatever call read the error, which must make no request itself.
int
keep_error(Display*, XErrorEvent* event)
{
	std::lock_guard<std::mutex> guard(sLock);
	if (sErrors.size() < kMaxKept) {
		try {
			sErrors.push_back(event->resourceid);
		} catch (const std::bad_alloc&) {
		}
	}
	return 0;
}

} // namespace


void
keep_x_errors()
{
	XSetErrorHandler(&keep_error);
}


std::vector<XID>
take_x_errors()
{
	std::vector<XID> errors;
	std::lock_guard<std::mutex> guard(sLock);
	errors.swap(sErrors);
	return errors;
}


} // namespace BPrivate
