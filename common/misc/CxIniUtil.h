#pragma once

#include <cstddef>
#include <cstdint>

// Reader and writer of one INI file. Every call opens and closes the file.
class CxIniUtil
{
public:
    // Path = folder followed by the file name; a null or empty folder means the program folder.
    CxIniUtil(const char* folder, const char* fileName);

    // A null or empty path is ignored.
    void SetPath(const char* path);
    const char* GetPath() const { return m_szPath; }

    // Returns the number of characters read; a value longer than the buffer is cut to size - 1.
    // 0 without reading for a null or empty key, a null buffer or a size of 0.
    std::size_t ReadString(const char* section, const char* key, char* buffer, std::size_t size,
                           const char* defaultValue);
    // The default when the key is missing or empty, otherwise the value as the C library's atol reads it.
    std::int32_t ReadInt(const char* section, const char* key, std::int32_t defaultValue);
    bool ReadBool(const char* section, const char* key, bool defaultValue);

    // A null value is written as an empty value. False for a null or empty key, or a failed write.
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, std::int32_t value);
    bool WriteBool(const char* section, const char* key, bool value);

private:
    char m_szPath[260];
};
