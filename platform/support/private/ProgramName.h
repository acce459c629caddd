/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef PROGRAM_NAME_H
#define PROGRAM_NAME_H


#include <string>


namespace BPrivate {


// The name a program goes by in what it prints and shows: the last component of the path it was
// started by or from. Each caller has its own name for a program without a path.
std::string program_name(const std::string& path);


} // namespace BPrivate


#endif // PROGRAM_NAME_H
