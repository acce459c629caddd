/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <support/private/ProgramName.h>


namespace BPrivate {


std::string
program_name(const std::string& path)
{
	size_t slash = path.rfind('/');
	return slash == std::string::npos ? path : path.substr(slash + 1);
}


} // namespace BPrivate
