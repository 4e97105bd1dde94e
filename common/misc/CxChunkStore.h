#pragma once

#include "platform/Platform.h"

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

// Objects appended one after the other into chunks of many: appending allocates once per chunk, and an
// object stays where it was put until Clear. The chunks grow with the number of objects, up to the size of
// a large page.
template <class T> class CxChunkStore
{
    // Chunks are released without running destructors, and hold objects at the allocator's alignment.
    static_assert(std::is_trivially_destructible_v<T>);
    static_assert(alignof(T) <= alignof(std::max_align_t));

public:
    CxChunkStore() = default;
    ~CxChunkStore() { Clear(); }
    CxChunkStore(const CxChunkStore&) = delete;
    CxChunkStore& operator=(const CxChunkStore&) = delete;

    // A value-initialised object at the end. Throws std::bad_alloc when out of memory.
    T* Add()
    {
        if (m_chunks.empty() || m_chunks.back().used == m_chunks.back().capacity)
            AddChunk();
        Chunk& chunk = m_chunks.back();
        ++m_count;
        return ::new (static_cast<void*>(chunk.objects + chunk.used++)) T();
    }

    std::size_t Count() const { return m_count; }

    // Calls `visit` with each object in order until it returns false; false then.
    template <class Visit> bool ForEach(Visit visit) const
    {
        for (const Chunk& chunk : m_chunks)
            for (std::size_t i = 0; i < chunk.used; ++i)
                if (!visit(chunk.objects[i]))
                    return false;
        return true;
    }

    // Once no object is to come for a while: the room after the last object goes back to the system.
    void ReleaseUnused()
    {
        if (!m_chunks.empty()) {
            const Chunk& last = m_chunks.back();
            platform::releaseUnusedBulk(last.objects, last.bytes, last.used * sizeof(T));
        }
    }

    void Clear()
    {
        for (const Chunk& chunk : m_chunks)
            platform::releaseBulk(chunk.objects, chunk.bytes);
        m_chunks.clear();
        m_count = 0;
    }

private:
    struct Chunk
    {
        T* objects;
        std::size_t used;
        std::size_t capacity;
        std::size_t bytes;
    };

    void AddChunk()
    {
        std::size_t bytes = m_chunks.empty() ? kFirstChunkBytes : m_chunks.back().bytes * 2;
        if (bytes > platform::kBulkPageSize)
            bytes = platform::kBulkPageSize;
        if (bytes < sizeof(T))
            bytes = sizeof(T);
        void* block = platform::allocateBulk(bytes);
        if (!block)
            throw std::bad_alloc();
        try {
            m_chunks.push_back({static_cast<T*>(block), 0, bytes / sizeof(T), bytes});
        } catch (...) {
            platform::releaseBulk(block, bytes);
            throw;
        }
    }

    static constexpr std::size_t kFirstChunkBytes = 64 * 1024;

    std::vector<Chunk> m_chunks;
    std::size_t m_count = 0;
};
