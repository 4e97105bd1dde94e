#pragma once

// What the profile-string implementations of every system share (see Platform.h). Not for callers.

#include <cstddef>
#include <string_view>

namespace platform::profile {

bool isBlank(char c);
std::string_view trim(std::string_view s);

// The trimmed section and key names of a write, or false when the write would change the structure of
// the file (a line break anywhere, "]" in the section, "=" in the key, a key that reads as a section or a
// comment) or names no section. A null key leaves `keyName` empty.
bool checkWrite(const char* section, const char* key, const char* value, std::string_view& sectionName,
                std::string_view& keyName);

// Copies the default as GetPrivateProfileStringA does: null is empty, trailing blanks are dropped, cut to
// size - 1 and terminated. Returns the number of characters copied.
std::size_t copyDefault(const char* defaultValue, char* buffer, std::size_t size);

} // namespace platform::profile
