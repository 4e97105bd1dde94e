#include "platform/SaveFile.h"

#include "platform/Platform.h"

#include "platform/WindowsApi.h"

#include <algorithm>
#include <atomic>

namespace platform {

namespace {

HANDLE HandleOf(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

bool WriteAll(HANDLE file, const char* data, std::size_t size)
{
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1 << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

bool replaceFileWithRetry(const std::string& from, const std::string& to)
{
    const std::wstring source = wideText(from);
    const std::wstring target = wideText(to);
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!retryWhileHeld(attempt, ::GetLastError()))
            return false;
    }
}

bool SaveFile::Open()
{
    Discard();
    m_failed = false;
    static std::atomic<unsigned> counter{0};
    const std::string folder = FolderOf(m_target);
    const std::string base = m_target.substr(folder.size());
    const std::string temp = folder + "." + base.substr(0, 32) + "." + std::to_string(::GetCurrentProcessId()) +
                             "." + std::to_string(counter++) + ".tmp";
    const HANDLE file = openPrivateFile(temp);
    if (file == INVALID_HANDLE_VALUE) {
        m_failed = true;
        return false;
    }
    m_tempPath = temp;
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool SaveFile::WriteBytes(const char* data, std::size_t size)
{
    return WriteAll(HandleOf(m_handle), data, size);
}

bool SaveFile::Commit()
{
    if (m_handle == -1)
        return false;
    const HANDLE file = HandleOf(m_handle);
    bool ok = Flush() && !detail::diskFails(DiskFault::Flush) && (!m_durable || ::FlushFileBuffers(file));
    m_handle = -1;
    if (!::CloseHandle(file) || detail::diskFails(DiskFault::Close))
        ok = false;
    if (ok && !replaceFileWithRetry(m_tempPath, m_target))
        ok = false;
    if (!ok) {
        removeFile(m_tempPath);
        m_tempPath.clear();
        m_failed = true;
        return false;
    }
    m_tempPath.clear();
    return true;
}

void SaveFile::Discard()
{
    if (m_handle != -1)
        ::CloseHandle(HandleOf(m_handle));
    m_handle = -1;
    if (!m_tempPath.empty())
        removeFile(m_tempPath);
    m_tempPath.clear();
    m_buffer.clear();
}

} // namespace platform
