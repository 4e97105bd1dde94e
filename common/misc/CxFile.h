#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace platform {
class SaveFile;
}

// The one binary file object of the exchange files. Every value is little-endian on every host:
// a 32-bit integer; an 8-byte IEEE double; a boolean as a 32-bit 0 or 1; a text as a 32-bit length
// followed by that many bytes, without terminator.
//
// A read that the file cannot supply (it ends first) fails: the reads return false and leave their
// target as it was, so a caller never sees stale bytes as a value (ReadBytes excepted).
//
// A file opened with "wb" is written atomically, owner-only: the bytes go to a temporary file that takes
// the path's place only when Close finds every byte written, so a failed write leaves the file that was
// there before. Other modes are plain C streams.
//
// Reads go through a buffer of the object's own: the data files are read a few bytes at a time, and a
// call into the C runtime for each value would cost more than the parsing.
class CxFile
{
public:
    CxFile();
    virtual ~CxFile();
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;

    // False for a missing or empty path or mode, or when the stream cannot be opened.
    bool Open(const char* path, const char* mode);
    // True without a stream; false when the buffered bytes could not be written out on closing, or (for
    // "wb") anything written since Open failed: the path then keeps its earlier file.
    bool Close();
    bool IsOpen() const { return m_pFile != nullptr || m_pSave != nullptr; }
    // Gives up a file opened with "wb": the path keeps its earlier file. Other streams are closed. The
    // destructor does the same, so a file left unclosed never takes its path's place.
    void Abandon();

    // Reads a text into a buffer of `capacity` bytes, terminator included. A stored text longer than
    // capacity - 1 keeps its first capacity - 1 bytes and the rest is skipped, so the stream stays
    // aligned on the next value. A stored length of 0 or less leaves the buffer as it was. The stored
    // length goes to `length` when given. False when no stream is open, the buffer is missing, the
    // capacity is 0, or the file ends inside the length or the text.
    bool ReadString(char* buffer, std::size_t capacity, std::int32_t* length = nullptr);
    bool ReadInt(std::int32_t* target)
    {
        unsigned char raw[4];
        if (!target || !ReadBytes(raw, sizeof raw))
            return false;
        *target = static_cast<std::int32_t>(decode32(raw));
        return true;
    }
    bool ReadDouble(double* target)
    {
        unsigned char raw[8];
        if (!target || !ReadBytes(raw, sizeof raw))
            return false;
        *target = std::bit_cast<double>(decode64(raw));
        return true;
    }
    // Reads 4 bytes; the target is true when the first (low) byte is nonzero.
    bool ReadBool(bool* target)
    {
        unsigned char raw[4];
        if (!target || !ReadBytes(raw, sizeof raw))
            return false;
        *target = raw[0] != 0;
        return true;
    }
    // The next `count` bytes as they are. When the file ends first, the target may hold part of them.
    bool ReadBytes(void* target, std::size_t count)
    {
        if (target && count > 0 && count <= m_readEnd - m_readPos) {
            std::memcpy(target, m_readBuffer.get() + m_readPos, count);
            m_readPos += count;
            return true;
        }
        return readBytesRefilling(target, count);
    }
    // Passes over the next `count` bytes; false when the file ends first.
    bool Skip(std::size_t count);

    // A missing or empty text is written as the length 0 alone.
    bool WriteString(const char* text);
    bool WriteInt(std::int32_t value);
    bool WriteDouble(double value);
    bool WriteBool(bool value);
    // The text followed by CR LF; a missing text writes CR LF alone.
    bool WriteLine(const char* text);

    // -1 for a missing or empty path or a file that cannot be opened for binary reading.
    static long long GetFileSize(const char* path);
    // The first line of a text file without its line break, at most `maxLength` bytes of it; empty when
    // the file cannot be read. The file is opened and closed in the call, so that its writer may replace
    // it freely in between: the progress files of the helpers are read this way.
    static std::string ReadFirstLine(const char* path, std::size_t maxLength);

private:
    static std::uint32_t decode32(const unsigned char* in)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
        return value;
    }
    static std::uint64_t decode64(const unsigned char* in)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < 8; ++i)
            value |= static_cast<std::uint64_t>(in[i]) << (8 * i);
        return value;
    }

    bool readBytesRefilling(void* target, std::size_t count);
    bool writeBytes(const void* source, std::size_t count);
    bool fillReadBuffer();
    // Before a write: the stream goes back to where the reader stands.
    void dropReadAhead();

    std::FILE* m_pFile = nullptr;
    std::unique_ptr<platform::SaveFile> m_pSave;
    std::unique_ptr<unsigned char[]> m_readBuffer;
    std::size_t m_readPos = 0;
    std::size_t m_readEnd = 0;
};
