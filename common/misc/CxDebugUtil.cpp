#include "misc/CxDebugUtil.h"

#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

CxDebugUtil DebugLog;

namespace {

constexpr std::size_t kMessageSize = 40960;
constexpr std::size_t kMaxSourceName = 255;

// The caller's file name without its folders. Sources may be named with either separator, whatever
// system built them.
std::string SourceName(const char* source)
{
    if (!source)
        return "<null>";
    const char* name = source;
    for (const char* p = source; *p; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    return std::string(std::string_view(name).substr(0, kMaxSourceName));
}

long long FileSize(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(platform::fsPath(path), ec);
    return ec ? -1 : static_cast<long long>(size);
}

} // namespace

CxDebugUtil::CxDebugUtil() : m_fileName("appdebug.log"), m_folder("./"), m_level(0), m_enabled(false) {}

CxDebugUtil::~CxDebugUtil() = default;

void CxDebugUtil::SetFolder(const char* folder)
{
    if (!folder)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    m_folder = folder;
}

void CxDebugUtil::SetEnabled(bool enabled)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_enabled = enabled;
}

void CxDebugUtil::SetLevel(int level)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_level = level > 3 ? 3 : (level < 0 ? 0 : level);
}

std::string CxDebugUtil::GetFolder() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_folder;
}

bool CxDebugUtil::IsEnabled() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_enabled;
}

int CxDebugUtil::GetLevel() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_level;
}

std::string CxDebugUtil::GetLogPath() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_folder + m_fileName;
}

void CxDebugUtil::Log(int level, const char* source, int line, const char* format, ...)
{
    if (level != 0) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_enabled || level > m_level)
            return;
    }

    std::vector<char> message(kMessageSize, '\0');
    if (format) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(message.data(), message.size(), format, args);
        va_end(args);
    }
    WriteEntry(level, source, line, message.data());
}

std::string CxDebugUtil::FormatEntry(const platform::LocalTime& time, unsigned long threadId, int level,
                                     const char* source, int line, const char* message)
{
    static const char kFormat[] = "[%04d/%02d/%02d %02d:%02d:%02d][%-20s(%-4d)][%05lx][%s] - %s";
    const std::string name = SourceName(source);
    const char* marker = level == 0 ? "!!!" : "   ";
    if (!message)
        message = "";

    const int length = std::snprintf(nullptr, 0, kFormat, time.year, time.month, time.day, time.hour, time.minute,
                                     time.second, name.c_str(), line, threadId, marker, message);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, kFormat, time.year, time.month, time.day, time.hour, time.minute,
                  time.second, name.c_str(), line, threadId, marker, message);
    return text;
}

bool CxDebugUtil::WriteEntry(int level, const char* source, int line, const char* message)
{
    std::lock_guard<std::mutex> guard(m_lock);

    std::string text = FormatEntry(platform::localTime(), platform::currentThreadId(), level, source, line, message);
    text += "\r\n";

    const std::string path = m_folder + m_fileName;
    const char* mode = "ab";
    if (FileSize(path) > kRotateAbove) {
        // Without a copy, emptying the log would lose everything in it: keep appending instead.
        if (platform::copyFile(path, path + ".old.log"))
            mode = "wb";
    }

    std::FILE* file = platform::openFile(path, mode);
    if (!file)
        return false;
    const long long before = mode[0] == 'w' ? 0 : FileSize(path);
    // Unbuffered, so the line goes out in one write: the helper utilities append to the same file.
    std::setvbuf(file, nullptr, _IONBF, 0);
    const std::size_t taken = platform::detail::diskTakes(text.size());
    const std::size_t written = std::fwrite(text.data(), 1, taken, file);
    bool whole = written == text.size() && !platform::detail::diskFails(platform::DiskFault::Flush) &&
                 std::fflush(file) == 0;
    whole = std::fclose(file) == 0 && !platform::detail::diskFails(platform::DiskFault::Close) && whole;
    // A full disk may take part of the line: what it took goes again, so that the log holds whole lines
    // only. Only while nobody else has written behind it, or their lines would go too.
    if (!whole && before >= 0 && FileSize(path) == before + static_cast<long long>(written)) {
        std::error_code ec;
        std::filesystem::resize_file(platform::fsPath(path), static_cast<std::uintmax_t>(before), ec);
    }
    return whole;
}
