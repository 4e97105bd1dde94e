#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace testutil {

// A terminated copy of the text that lives as long as the test program: the texts of records built by
// hand point at such copies.
const char* keep(std::string_view text);

// A fresh folder for one test, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() joined with name by '/'.
    std::string file(const std::string& name) const;

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
std::vector<unsigned char> readBytes(const std::string& path);
// A profile (INI) file as written by the profile calls, with LF line ends: Windows's own calls end every
// line they write in CR LF, while ours keep the file's line ends (which tests of their own check).
std::string readProfileFile(const std::string& path);

// Only the current user may use the file or folder: mode 0600 for a file and 0700 for a folder, or on
// Windows an access list that admits nobody else.
bool ownerOnly(const std::string& path);
// Lets every user read the file (mode 0644, or an access list that admits everyone to read).
void makeReadableByAll(const std::string& path);

bool changeDirectory(const std::string& path);
// True when no process of that id runs any more (a child that has ended but is not reaped still runs).
bool processGone(int pid);
void killProcess(int pid);

} // namespace testutil
