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

// createPrivateFile, with the new file left open for writing (not shared, not inherited) so that no one
// can put another file in its place between the creation and the writes. INVALID_HANDLE_VALUE when it
// cannot be created.
void* openPrivateFile(const std::string& path);

// Whether an open or a replace that failed with `error` on its `attempt`-th try (from 0) is worth trying
// again, after a pause this call takes: a virus scanner, the search indexer or a helper may hold the file
// for a moment. It gives up after about two seconds.
bool retryWhileHeld(int attempt, unsigned long error);

// Moves `from` over `to` in one step, trying again while a reader holds the target open.
bool replaceFileWithRetry(const std::string& from, const std::string& to);

} // namespace platform
