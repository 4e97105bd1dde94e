#include "misc/CxTextArena.h"

#include "platform/Platform.h"

#include <cstring>
#include <new>

namespace {

// A small load takes little; a large one soon gets blocks of a large page each. The room a block leaves at
// its end is less than the longest text of a record (8 KB).
constexpr std::size_t kFirstBlockSize = 64 * 1024;

} // namespace

CxTextArena::~CxTextArena()
{
    Release(0);
}

const char* CxTextArena::Add(const char* text, std::size_t length)
{
    if (length == 0)
        return "";
    char* at = Reserve(length + 1);
    std::memcpy(at, text, length);
    at[length] = '\0';
    Commit(length + 1);
    return at;
}

char* CxTextArena::AddBlock(std::size_t size)
{
    std::size_t blockSize = m_blocks.empty() ? kFirstBlockSize : m_blocks.back().size * 2;
    if (blockSize > platform::kBulkPageSize)
        blockSize = platform::kBulkPageSize;
    if (blockSize < size)
        blockSize = size;
    // Not zeroed: every byte handed out is written before it is read.
    auto* bytes = static_cast<char*>(platform::allocateBulk(blockSize));
    if (!bytes)
        throw std::bad_alloc();
    try {
        m_blocks.push_back({bytes, blockSize});
    } catch (...) {
        platform::releaseBulk(bytes, blockSize);
        throw;
    }
    m_next = bytes;
    m_end = bytes + blockSize;
    return m_next;
}

void CxTextArena::ReleaseUnused()
{
    if (!m_blocks.empty()) {
        const Block& last = m_blocks.back();
        platform::releaseUnusedBulk(last.bytes, last.size, static_cast<std::size_t>(m_next - last.bytes));
    }
}

void CxTextArena::Clear()
{
    Release(1);
    m_next = m_blocks.empty() ? nullptr : m_blocks.front().bytes;
    m_end = m_blocks.empty() ? nullptr : m_next + m_blocks.front().size;
}

std::size_t CxTextArena::BlockBytes() const
{
    std::size_t bytes = 0;
    for (const Block& block : m_blocks)
        bytes += block.size;
    return bytes;
}

void CxTextArena::Release(std::size_t from)
{
    for (std::size_t i = from; i < m_blocks.size(); ++i)
        platform::releaseBulk(m_blocks[i].bytes, m_blocks[i].size);
    if (from < m_blocks.size())
        m_blocks.resize(from);
}
