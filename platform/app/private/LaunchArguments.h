/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef LAUNCH_ARGUMENTS_H
#define LAUNCH_ARGUMENTS_H


#include <string>
#include <vector>


namespace BPrivate {


// The program's arguments as BApplication reads them (from the kernel, unless set here): the
// program, then the items it was started with. Tests set them to start an application with
// items of their choosing.
std::vector<std::string> launch_arguments();
void set_launch_arguments(const std::vector<std::string>& arguments);


} // namespace BPrivate


#endif // LAUNCH_ARGUMENTS_H
