#include "platform/ProfileStringRules.h"

#include <algorithm>
#include <cstring>

namespace platform::profile {

namespace {

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool checkWrite(const char* section, const char* key, const char* value, std::string_view& sectionName,
                std::string_view& keyName)
{
    if (!section)
        return false;
    sectionName = trim(section);
    if (sectionName.empty() || hasLineBreak(sectionName) || sectionName.find(']') != std::string_view::npos)
        return false;
    keyName = {};
    if (key) {
        keyName = trim(key);
        if (keyName.empty() || hasLineBreak(keyName) || keyName.find('=') != std::string_view::npos ||
            keyName.front() == '[' || keyName.front() == ';')
            return false;
    }
    return !(value && hasLineBreak(value));
}

std::size_t copyDefault(const char* defaultValue, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return 0;
    std::string_view text = defaultValue ? defaultValue : "";
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n;
}

} // namespace platform::profile
