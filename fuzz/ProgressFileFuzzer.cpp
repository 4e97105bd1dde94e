// The progress file as the wait window reads it: its first line, shown while the helper runs.

#include "FuzzSupport.h"

#include "misc/CxFile.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kLongest = 1023;
    const std::string path = fuzz::WriteInput("ACTAddrStatus.dat", data, size);
    const std::string line = CxFile::ReadFirstLine(path.c_str(), kLongest);
    FUZZ_CHECK(line.size() <= kLongest && line.size() <= size);
    FUZZ_CHECK(line.find('\n') == std::string::npos && line.find('\0') == std::string::npos);
    FUZZ_CHECK(std::memcmp(line.data(), data, line.size()) == 0);
    return 0;
}
