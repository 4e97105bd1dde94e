#pragma once

// What every fuzz target shares: a private folder for the files an input becomes, and a debug log that
// goes nowhere (the readers log every damaged file at level 0, and a log that grows with every input
// would slow the run and fill the disk).

#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// The folder, ending in the separator; made once per process.
inline const std::string& WorkFolder()
{
    static const std::string folder = [] {
        // A log path below a file is one that cannot be opened: every line is formatted and dropped.
        DebugLog.SetFolder("/dev/null/");
        std::string made;
        if (!platform::createPrivateTempFolder("velloran-fuzz-", made)) {
            std::fprintf(stderr, "cannot create a temporary folder\n");
            std::abort();
        }
        return made + platform::kPathSeparator;
    }();
    return folder;
}

// The input as the whole content of a file of the work folder; returns the file's path.
inline std::string WriteInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = WorkFolder() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::abort();
    }
    return path;
}

// A property of the code under test does not hold: libFuzzer keeps the input that shows it.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);                         \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

} // namespace fuzz
