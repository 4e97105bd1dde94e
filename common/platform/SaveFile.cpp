#include "platform/SaveFile.h"

// What every system shares: the buffering. Opening, writing out, committing and discarding are each
// system's own (SaveFile_posix.cpp, SaveFile_win32.cpp).

namespace platform {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

} // namespace

SaveFile::SaveFile(std::string target) : m_target(std::move(target)) {}

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
        m_failed = !WriteBytes(bytes.data(), bytes.size());
        return !m_failed;
    }
    if (m_buffer.capacity() < kBufferSize)
        m_buffer.reserve(kBufferSize);
    m_buffer.append(bytes);
    return true;
}

bool SaveFile::Flush()
{
    if (!m_buffer.empty() && !WriteBytes(m_buffer.data(), m_buffer.size()))
        m_failed = true;
    m_buffer.clear();
    return !m_failed;
}

bool SaveWholeFile(const std::string& target, std::string_view content)
{
    SaveFile file(target);
    return file.Open() && file.Write(content) && file.Commit();
}

} // namespace platform
