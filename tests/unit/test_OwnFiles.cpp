#include "TestUtil.h"

#include "core/Apputil.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include "platform/WindowsApi.h"

#include <io.h>
#else
#include <fcntl.h>
#endif

using testutil::TempDir;

namespace {

bool inheritable(std::FILE* file)
{
#ifdef _WIN32
    DWORD flags = 0;
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    return !::GetHandleInformation(handle, &flags) || (flags & HANDLE_FLAG_INHERIT) != 0;
#else
    const int flags = ::fcntl(::fileno(file), F_GETFD);
    return flags < 0 || (flags & FD_CLOEXEC) == 0;
#endif
}

} // namespace

TEST(OpenFile, NoChildInheritsTheFile)
{
    TempDir dir;
    const std::string path = dir.file("ours.dat");
    for (const char* mode : {"wb", "ab", "rb", "r+b"}) {
        std::FILE* file = platform::openFile(path, mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_FALSE(inheritable(file)) << mode;
        EXPECT_EQ(std::fclose(file), 0);
    }
    EXPECT_EQ(platform::openFile(dir.file("missing.dat"), "rb"), nullptr);
}

// A process number no system gives out: beyond Linux's largest, a multiple of 4 as Windows's are.
constexpr unsigned long kDeadProcess = 2147483644ul;

TEST(StaleTempFiles, OnlyThoseOfEndedProcessesGo)
{
    TempDir dir;
    const std::string own = std::to_string(platform::currentProcessId());
    const std::string dead = std::to_string(kDeadProcess);
    ASSERT_FALSE(platform::processExists(kDeadProcess));
    struct Case
    {
        std::string name;
        bool goes;
    };
    const Case cases[] = {
        {".corvane.ini." + dead + ".0.tmp", true},
        {".ACTAddrParam.dat." + dead + ".17.tmp", true},
        {".a.b.c." + dead + ".3.tmp", true},
        {".corvane.ini." + own + ".0.tmp", false}, // ours, being written now
        {"corvane.ini", false},
        {"ACTAddrParam.dat", false},
        {".x.tmp", false},
        {"." + dead + ".0.tmp", false},             // no name before the process number
        {"corvane.ini." + dead + ".0.tmp", false},  // not hidden: not one of ours
        {".corvane.ini." + dead + ".x.tmp", false}, // no count
        {".corvane.ini." + dead + ".0.tmp.old", false},
        {".corvane.ini.99999999999999999999.0.tmp", false},
    };
    for (const Case& c : cases)
        testutil::writeFile(dir.file(c.name), "password");
    const std::string folderName = ".folder." + dead + ".0.tmp";
    std::filesystem::create_directory(dir.file(folderName));

    EXPECT_EQ(SweepStaleTempFiles(dir.path() + "/"), 3u);
    for (const Case& c : cases)
        EXPECT_EQ(platform::pathExists(dir.file(c.name)), !c.goes) << c.name;
    EXPECT_TRUE(platform::pathExists(dir.file(folderName))) << "folders stay";
    EXPECT_EQ(SweepStaleTempFiles(dir.file("missing")), 0u);
}
