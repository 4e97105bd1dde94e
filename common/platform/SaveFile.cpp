#include "platform/SaveFile.h"

// What every system shares: the buffering. Opening, writing out, committing and discarding are each
// system's own (SaveFile_posix.cpp, SaveFile_win32.cpp).

#include <algorithm>
#include <atomic>

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// A test's failing disk. Written only while no file is being written; read on every write out (64 KiB
// at a time), where one relaxed load costs nothing.
std::atomic<DiskFault> g_fault{DiskFault::None};
std::atomic<std::uint64_t> g_faultAt{0};
std::atomic<std::uint64_t> g_written{0};

} // namespace

void setDiskFault(DiskFault fault, std::uint64_t atByte)
{
    g_faultAt.store(atByte);
    g_written.store(0);
    g_fault.store(fault);
}

std::uint64_t diskBytesWritten()
{
    return g_written.load();
}

namespace detail {

std::size_t diskTakes(std::size_t size)
{
    std::size_t taken = size;
    if (g_fault.load(std::memory_order_relaxed) == DiskFault::Write) {
        const std::uint64_t written = g_written.load();
        const std::uint64_t at = g_faultAt.load();
        taken = written >= at ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(size, at - written));
    }
    g_written.fetch_add(taken, std::memory_order_relaxed);
    return taken;
}

bool diskFails(DiskFault operation)
{
    return g_fault.load(std::memory_order_relaxed) == operation && g_written.load() >= g_faultAt.load();
}

} // namespace detail

SaveFile::SaveFile(std::string target, bool durable) : m_target(std::move(target)), m_durable(durable) {}

SaveFile::~SaveFile()
{
    Discard();
}

bool SaveFile::Write(std::string_view bytes)
{
    if (m_handle == -1 || m_failed)
        return false;
    if (m_buffer.size() + bytes.size() > kBufferSize && !Flush())
        return false;
    if (bytes.size() >= kBufferSize) {
        m_failed = !WriteOut(bytes.data(), bytes.size());
        return !m_failed;
    }
    if (m_buffer.capacity() < kBufferSize)
        m_buffer.reserve(kBufferSize);
    m_buffer.append(bytes);
    return true;
}

bool SaveFile::Flush()
{
    if (!m_buffer.empty() && !WriteOut(m_buffer.data(), m_buffer.size()))
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

bool SaveFile::WriteOut(const char* data, std::size_t size)
{
    const std::size_t taken = detail::diskTakes(size);
    return WriteBytes(data, taken) && taken == size;
}

bool SaveWholeFile(const std::string& target, std::string_view content, bool durable)
{
    SaveFile file(target, durable);
    return file.Open() && file.Write(content) && file.Commit();
}

} // namespace platform
