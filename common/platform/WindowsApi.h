#pragma once

// The Windows API as the platform layer uses it: without its rarely used parts, and without the min and
// max macros that would break the standard library's.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

namespace platform {

// Moves `from` over `to` in one step, trying again for a moment while a reader (a virus scanner, a
// helper) holds the target open.
bool replaceFileWithRetry(const std::string& from, const std::string& to);

} // namespace platform
