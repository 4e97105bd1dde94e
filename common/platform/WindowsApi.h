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
#include <string_view>

namespace platform {

// The program holds every path and message as UTF-8; the system's wide calls take UTF-16. The texts of
// the CRM's exchange files stay in the ANSI code page and do not pass through these.
std::wstring wideText(std::string_view utf8);
std::string utf8Text(std::wstring_view wide);

// Moves `from` over `to` in one step, trying again for a moment while a reader (a virus scanner, a
// helper) holds the target open.
bool replaceFileWithRetry(const std::string& from, const std::string& to);

} // namespace platform
