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
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (attempt == 20 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED))
            return false;
        ::Sleep(10);
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
    if (!createPrivateFile(temp)) {
        m_failed = true;
        return false;
    }
    m_tempPath = temp;
    const HANDLE file = ::CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Discard();
        m_failed = true;
        return false;
    }
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
        ::DeleteFileA(m_tempPath.c_str());
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
        ::DeleteFileA(m_tempPath.c_str());
    m_tempPath.clear();
    m_buffer.clear();
}

} // namespace platform
