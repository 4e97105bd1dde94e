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
    explicit SaveFile(std::string target);
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
    // The system's write of all the bytes to the open temporary file.
    bool WriteBytes(const char* data, std::size_t size);

    std::string m_target;
    std::string m_tempPath;
    std::intptr_t m_handle = -1;
    std::string m_buffer;
    bool m_failed = false;
};

// Writes `content` as the whole file `target` through a SaveFile.
bool SaveWholeFile(const std::string& target, std::string_view content);

} // namespace platform
