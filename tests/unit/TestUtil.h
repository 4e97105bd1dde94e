#pragma once

#include <string>
#include <vector>

namespace testutil {

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

} // namespace testutil
