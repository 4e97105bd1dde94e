#include "platform/SaveFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// The rename itself must survive a power loss too: the folder's entry is made durable.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool SaveFile::Open()
{
    Discard();
    m_failed = false;
    const std::string folder = FolderOf(m_target);
    const std::string base = m_target.substr(folder.size());
    // Short enough for any file-name limit whatever the target's name. The process number in the name
    // lets a later start tell a copy a crash left behind (it may hold a password) from one being written.
    static std::atomic<unsigned> counter{0};
    const std::string stem = folder + "." + base.substr(0, 32) + "." + std::to_string(::getpid()) + ".";
    int fd = -1;
    // A name taken is a leftover of an earlier process that had our number: the next one will do.
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        m_tempPath = stem + std::to_string(counter++) + ".tmp";
        fd = ::open(m_tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        m_tempPath.clear();
        m_failed = true;
        return false;
    }
    m_handle = fd;
    return true;
}

bool SaveFile::WriteBytes(const char* data, std::size_t size)
{
    return WriteAll(static_cast<int>(m_handle), data, size);
}

bool SaveFile::Commit()
{
    if (m_handle < 0)
        return false;
    const int fd = static_cast<int>(m_handle);
    bool ok = Flush() && !detail::diskFails(DiskFault::Flush) && (!m_durable || ::fsync(fd) == 0);
    m_handle = -1;
    if (::close(fd) != 0 || detail::diskFails(DiskFault::Close))
        ok = false;
    if (ok && ::rename(m_tempPath.c_str(), m_target.c_str()) != 0)
        ok = false;
    if (!ok) {
        ::unlink(m_tempPath.c_str());
        m_tempPath.clear();
        m_failed = true;
        return false;
    }
    m_tempPath.clear();
    if (m_durable)
        SyncFolder(FolderOf(m_target));
    return true;
}

void SaveFile::Discard()
{
    if (m_handle >= 0)
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
    if (!m_tempPath.empty())
        ::unlink(m_tempPath.c_str());
    m_tempPath.clear();
    m_buffer.clear();
}

} // namespace platform
