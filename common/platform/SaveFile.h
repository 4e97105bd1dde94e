#pragma once

// Writing a whole file so that a crash, a full disk or a failed write never leaves half of it: the bytes
// go to a temporary file beside the target, which replaces the target only once every byte is on the
// disk. The file is readable by its owner only.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

class SaveFile
{
public:
    // `durable` false skips making the file durable before it takes its place: for a file that only
    // matters while the process runs (a progress line), where a sync per write would cost more than it is
    // worth. It still never shows half written.
    explicit SaveFile(std::string target, bool durable = true);
    // Without a successful Commit the temporary file goes and the target stays as it was.
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    // Creates the temporary file. False when it cannot be created (the folder is missing, say).
    bool Open();
    // Buffered; a failure is remembered and fails the Commit.
    bool Write(std::string_view bytes);
    // Writes what is buffered, makes it durable and puts the file in the target's place. False, with the
    // target untouched, when anything failed since Open.
    bool Commit();

    const std::string& Target() const { return m_target; }

private:
    bool Flush();
    void Discard();
    // The bytes the disk takes, through the system's write.
    bool WriteOut(const char* data, std::size_t size);
    // The system's write of all the bytes to the open temporary file.
    bool WriteBytes(const char* data, std::size_t size);

    std::string m_target;
    std::string m_tempPath;
    std::intptr_t m_handle = -1;
    std::string m_buffer;
    bool m_durable;
    bool m_failed = false;
};

// Writes `content` as the whole file `target` through a SaveFile.
bool SaveWholeFile(const std::string& target, std::string_view content, bool durable = true);

// For tests: a disk that fails, for every file the process writes (CxFile writes through SaveFile too).
// Once `atByte` bytes have gone out since the call, the chosen operation fails: a write puts out the
// bytes before that point and fails; the flush (the sync before a file takes its target's place) or the
// close of every later Commit fails. DiskFault::None only counts.
enum class DiskFault
{
    None,
    Write,
    Flush,
    Close,
};
void setDiskFault(DiskFault fault, std::uint64_t atByte = 0);
// The bytes written out since the last setDiskFault.
std::uint64_t diskBytesWritten();

namespace detail {
// How many of `size` bytes the disk takes; counts them.
std::size_t diskTakes(std::size_t size);
bool diskFails(DiskFault operation);
} // namespace detail

} // namespace platform
