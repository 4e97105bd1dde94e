#include "misc/CxIniUtil.h"

#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// A path that does not fit is refused rather than cut: a cut path names some other file.
bool storePath(char (&target)[260], const std::string& path)
{
    if (path.size() >= sizeof target)
        return false;
    std::memcpy(target, path.c_str(), path.size() + 1);
    return true;
}

} // namespace

CxIniUtil::CxIniUtil(const char* folder, const char* fileName)
{
    m_szPath[0] = '\0';
    std::string path;
    if (folder && *folder)
        path = folder;
    else
        platform::programFolder(path);
    if (fileName)
        path += fileName;
    storePath(m_szPath, path);
}

void CxIniUtil::SetPath(const char* path)
{
    if (path && *path)
        storePath(m_szPath, path);
}

std::size_t CxIniUtil::ReadString(const char* section, const char* key, char* buffer, std::size_t size,
                                  const char* defaultValue)
{
    if (!key || !*key || !buffer || size == 0)
        return 0;
    return platform::readProfileString(section, key, defaultValue, buffer, size, m_szPath);
}

std::int32_t CxIniUtil::ReadInt(const char* section, const char* key, std::int32_t defaultValue)
{
    char text[32];
    if (ReadString(section, key, text, sizeof text, "") == 0)
        return defaultValue;
    // atol's reading; a number beyond 32 bits is clamped to the nearest 32-bit value.
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool CxIniUtil::ReadBool(const char* section, const char* key, bool defaultValue)
{
    return ReadInt(section, key, defaultValue ? 1 : 0) != 0;
}

bool CxIniUtil::WriteString(const char* section, const char* key, const char* value)
{
    if (!key || !*key)
        return false;
    return platform::writeProfileString(section, key, value ? value : "", m_szPath);
}

bool CxIniUtil::WriteInt(const char* section, const char* key, std::int32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteString(section, key, text);
}

bool CxIniUtil::WriteBool(const char* section, const char* key, bool value)
{
    return WriteString(section, key, value ? "1" : "0");
}
