#pragma once

#include "platform/Compiler.h"
#include "platform/Platform.h"

#include <mutex>
#include <string>

// The program's diagnostic log "appdebug.log". Level 0 (a failure, marked "!!!") is always written;
// levels 1 to 3 only while logging is on and up to the chosen level. Every line is opened, written
// and closed on its own, so it is on disk even when the process dies right after.
class CxDebugUtil
{
public:
    CxDebugUtil();
    virtual ~CxDebugUtil();
    CxDebugUtil(const CxDebugUtil&) = delete;
    CxDebugUtil& operator=(const CxDebugUtil&) = delete;

    // The folder is expected to end in a separator; null is ignored.
    void SetFolder(const char* folder);
    void SetEnabled(bool enabled);
    // Clamped to 0..3.
    void SetLevel(int level);

    std::string GetFolder() const;
    bool IsEnabled() const;
    int GetLevel() const;
    // Folder followed by the file name.
    std::string GetLogPath() const;

    void Log(int level, const char* source, int line, const char* format, ...) VELLORAN_PRINTF_FORMAT(5, 6);
    // Writes one line without any filter.
    // False when the line did not go out whole; the log then holds what it held before.
    bool WriteEntry(int level, const char* source, int line, const char* message);

    // The line as written, without CR LF.
    static std::string FormatEntry(const platform::LocalTime& time, unsigned long threadId, int level,
                                   const char* source, int line, const char* message);

    static constexpr long long kRotateAbove = 10485760;

private:
    mutable std::mutex m_lock;
    std::string m_fileName;
    std::string m_folder;
    int m_level;
    bool m_enabled;
};

extern CxDebugUtil DebugLog;

// Logs through DebugLog with the caller's source file and line.
#define DEBUG_LOG(level, ...) DebugLog.Log((level), __FILE__, __LINE__, __VA_ARGS__)
