#include "misc/CxFile.h"

#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <bit>
#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

namespace {

void encode32(std::uint32_t value, unsigned char* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

void encode64(std::uint64_t value, unsigned char* out)
{
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

// An object is used by one thread at a time, so the stream needs no lock of its own per value; the data
// files are read and written a few bytes at a time, where the lock would cost more than the copy.
std::size_t readStream(void* target, std::size_t count, std::FILE* file)
{
#ifdef __GLIBC__
    return fread_unlocked(target, 1, count, file);
#else
    return std::fread(target, 1, count, file);
#endif
}

std::size_t writeStream(const void* source, std::size_t count, std::FILE* file)
{
#ifdef __GLIBC__
    return fwrite_unlocked(source, 1, count, file);
#else
    return std::fwrite(source, 1, count, file);
#endif
}

constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

CxFile::CxFile() = default;

CxFile::~CxFile()
{
    Abandon();
}

void CxFile::Abandon()
{
    m_pSave.reset();
    Close();
}

bool CxFile::Open(const char* path, const char* mode)
{
    if (!path || !*path || !mode || !*mode)
        return false;
    // Reopening must not leak the stream that was open before.
    Close();
    if (std::strcmp(mode, "wb") == 0) {
        auto save = std::make_unique<platform::SaveFile>(path);
        if (!save->Open())
            return false;
        m_pSave = std::move(save);
        return true;
    }
    m_pFile = platform::openFile(path, mode);
    if (m_pFile)
        std::setvbuf(m_pFile, nullptr, _IOFBF, kBufferSize);
    return m_pFile != nullptr;
}

bool CxFile::Close()
{
    m_readBuffer.reset();
    m_readPos = 0;
    m_readEnd = 0;
    if (m_pSave) {
        const bool committed = m_pSave->Commit();
        m_pSave.reset();
        return committed;
    }
    if (!m_pFile)
        return true;
    // Buffered bytes reach the disk only here, so a full disk shows up as a failed close.
    const bool closed = std::fclose(m_pFile) == 0;
    m_pFile = nullptr;
    return closed;
}

bool CxFile::fillReadBuffer()
{
    if (!m_readBuffer)
        m_readBuffer = std::make_unique_for_overwrite<unsigned char[]>(kBufferSize);
    m_readPos = 0;
    m_readEnd = readStream(m_readBuffer.get(), kBufferSize, m_pFile);
    return m_readEnd > 0;
}

void CxFile::dropReadAhead()
{
    // Also when nothing is left unread: a stream needs a seek between a read and a write.
    std::fseek(m_pFile, -static_cast<long>(m_readEnd - m_readPos), SEEK_CUR);
    m_readPos = 0;
    m_readEnd = 0;
}

bool CxFile::readBytesRefilling(void* target, std::size_t count)
{
    if (!m_pFile || !target)
        return false;
    auto* out = static_cast<unsigned char*>(target);
    while (count > 0) {
        if (m_readPos == m_readEnd && !fillReadBuffer())
            return false;
        const std::size_t chunk = count < m_readEnd - m_readPos ? count : m_readEnd - m_readPos;
        std::memcpy(out, m_readBuffer.get() + m_readPos, chunk);
        m_readPos += chunk;
        out += chunk;
        count -= chunk;
    }
    return true;
}

bool CxFile::Skip(std::size_t count)
{
    if (!m_pFile)
        return false;
    while (count > 0) {
        if (m_readPos == m_readEnd && !fillReadBuffer())
            return false;
        const std::size_t chunk = count < m_readEnd - m_readPos ? count : m_readEnd - m_readPos;
        m_readPos += chunk;
        count -= chunk;
    }
    return true;
}

bool CxFile::writeBytes(const void* source, std::size_t count)
{
    if (m_pSave)
        return m_pSave->Write(std::string_view(static_cast<const char*>(source), count));
    if (m_readEnd > 0)
        dropReadAhead();
    return writeStream(source, count, m_pFile) == count;
}

bool CxFile::ReadString(char* buffer, std::size_t capacity, std::int32_t* length)
{
    if (!m_pFile || !buffer || capacity == 0)
        return false;
    unsigned char raw[4];
    if (!ReadBytes(raw, sizeof raw))
        return false;
    const auto stored = static_cast<std::int32_t>(decode32(raw));
    if (length)
        *length = stored;
    if (stored <= 0)
        return true;

    const auto total = static_cast<std::size_t>(stored);
    const std::size_t kept = total < capacity - 1 ? total : capacity - 1;
    // The caller's buffer changes only once the whole text has been read. Texts of the exchange files
    // fit the stack buffer; only a caller with a larger field pays for an allocation.
    char local[8192];
    std::unique_ptr<char[]> heap;
    char* text = local;
    if (kept > sizeof local) {
        heap.reset(new (std::nothrow) char[kept]);
        if (!heap)
            return false;
        text = heap.get();
    }
    if (kept > 0 && !ReadBytes(text, kept))
        return false;
    if (!Skip(total - kept))
        return false;
    std::memcpy(buffer, text, kept);
    buffer[kept] = '\0';
    return true;
}

bool CxFile::WriteString(const char* text)
{
    if (!IsOpen())
        return false;
    const std::size_t size = text ? std::strlen(text) : 0;
    if (size > static_cast<std::size_t>(INT32_MAX))
        return false;
    if (!WriteInt(static_cast<std::int32_t>(size)))
        return false;
    return size == 0 || writeBytes(text, size);
}

bool CxFile::WriteInt(std::int32_t value)
{
    if (!IsOpen())
        return false;
    unsigned char raw[4];
    encode32(static_cast<std::uint32_t>(value), raw);
    return writeBytes(raw, sizeof raw);
}

bool CxFile::WriteDouble(double value)
{
    if (!IsOpen())
        return false;
    unsigned char raw[8];
    encode64(std::bit_cast<std::uint64_t>(value), raw);
    return writeBytes(raw, sizeof raw);
}

bool CxFile::WriteBool(bool value)
{
    return WriteInt(value ? 1 : 0);
}

bool CxFile::WriteLine(const char* text)
{
    if (!IsOpen())
        return false;
    const std::size_t size = text ? std::strlen(text) : 0;
    if (size > 0 && !writeBytes(text, size))
        return false;
    return writeBytes("\r\n", 2);
}

long long CxFile::GetFileSize(const char* path)
{
    if (!path || !*path)
        return -1;
    // Some C runtimes open a folder for reading; its "size" would be meaningless.
    std::error_code ec;
    if (std::filesystem::is_directory(platform::fsPath(path), ec))
        return -1;
    // Asked of the file system, not through an open stream: ftell's long is 32 bits on Windows, and a C++
    // stream's handle would be one a helper started meanwhile could inherit.
    const std::uintmax_t size = std::filesystem::file_size(platform::fsPath(path), ec);
    return ec ? -1 : static_cast<long long>(size);
}

std::string CxFile::ReadFirstLine(const char* path, std::size_t maxLength)
{
    if (!path || !*path || maxLength == 0)
        return {};
    std::FILE* file = platform::openFile(path, "rb");
    if (!file)
        return {};
    std::string line(maxLength + 1, '\0');
    if (!std::fgets(line.data(), static_cast<int>(line.size() < INT_MAX ? line.size() : INT_MAX), file))
        line.clear();
    std::fclose(file);
    line.resize(std::strlen(line.c_str()));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}
