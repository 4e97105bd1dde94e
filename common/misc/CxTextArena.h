#pragma once

#include <cstddef>
#include <vector>

// Texts at their real length, each with its terminator, in large blocks that never move: a text stays
// where it was put until Clear. A data utility keeps the texts of its records here, so that reading a
// data file allocates once per block instead of once per record. The blocks grow with the load, up to the
// size of a large page.
class CxTextArena
{
public:
    CxTextArena() = default;
    ~CxTextArena();
    CxTextArena(const CxTextArena&) = delete;
    CxTextArena& operator=(const CxTextArena&) = delete;

    // A terminated copy of the first `length` bytes of `text`. The empty text takes no room. Throws
    // std::bad_alloc when out of memory.
    const char* Add(const char* text, std::size_t length);
    // Room for `size` bytes to be filled in place. Commit keeps the first `used` of them; room that is not
    // committed is handed out again. Throws std::bad_alloc when out of memory.
    char* Reserve(std::size_t size)
    {
        return static_cast<std::size_t>(m_end - m_next) >= size ? m_next : AddBlock(size);
    }
    void Commit(std::size_t used) { m_next += used; }
    // Once no text is to come for a while: the room after the last text goes back to the system.
    void ReleaseUnused();
    // Every text goes. The first block stays for the texts to come; the others are released.
    void Clear();
    // The bytes of the blocks held, used or not.
    std::size_t BlockBytes() const;

private:
    struct Block
    {
        char* bytes;
        std::size_t size;
    };

    char* AddBlock(std::size_t size);
    void Release(std::size_t from);

    std::vector<Block> m_blocks;
    char* m_next = nullptr;
    char* m_end = nullptr;
};
