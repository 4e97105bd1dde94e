#include "TestUtil.h"

#include "core/Apputil.h"
#include "platform/Platform.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#ifdef _WIN32
#include "platform/WindowsApi.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <winioctl.h>
#else
#include <sys/stat.h>
#endif

using testutil::TempDir;
using testutil::writeFile;

#ifndef _WIN32

namespace {

// Points the data home at a fresh folder for one test.
class DataFolderTest : public ::testing::Test
{
protected:
    TempDir dir;
    std::optional<std::string> previous;

    void SetUp() override
    {
        if (const char* value = std::getenv("XDG_DATA_HOME"))
            previous = value;
        setDataHome(dir.path());
    }
    void TearDown() override
    {
        if (previous)
            ::setenv("XDG_DATA_HOME", previous->c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }
    static void setDataHome(const std::string& path) { ::setenv("XDG_DATA_HOME", path.c_str(), 1); }
};

struct stat statOf(const std::string& path)
{
    struct stat st
    {
    };
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

} // namespace

TEST_F(DataFolderTest, CreatesBothLevelsPrivateOnce)
{
    char buffer[260];
    ASSERT_TRUE(GetDataFolder(buffer));
    const std::string top = dir.path() + "/corvane/";
    const std::string folder = top + "Velloran/";
    EXPECT_EQ(std::string(buffer), folder);
    EXPECT_EQ(statOf(top).st_mode & 0777, 0700u);
    EXPECT_EQ(statOf(folder).st_mode & 0777, 0700u);

    // A second start finds both levels and leaves them as they are.
    writeFile(folder + "corvane.ini", "[Velloran]\n");
    const ino_t topInode = statOf(top).st_ino;
    const ino_t folderInode = statOf(folder).st_ino;
    std::memset(buffer, 0, sizeof buffer);
    ASSERT_TRUE(GetDataFolder(buffer));
    EXPECT_EQ(std::string(buffer), folder);
    EXPECT_EQ(statOf(top).st_ino, topInode);
    EXPECT_EQ(statOf(folder).st_ino, folderInode);
    EXPECT_TRUE(platform::pathExists(folder + "corvane.ini"));
}

TEST_F(DataFolderTest, FailureLeavesBufferUntouched)
{
    // The longest data home whose data folder still fits in 260 characters with its terminator.
    const std::size_t fitting = 259 - std::strlen("/corvane/Velloran/");
    auto homeOfLength = [&](std::size_t length) {
        return dir.path() + "/" + std::string(length - dir.path().size() - 1, 'h');
    };

    struct Case
    {
        const char* what;
        std::function<std::string()> dataHome;
        bool expected;
    };
    const Case cases[] = {
        {"data home runs through a file",
         [&] {
             writeFile(dir.file("plain"), "x");
             return dir.file("plain") + "/share";
         },
         false},
        {"first level is a file",
         [&] {
             std::filesystem::create_directory(dir.file("home1"));
             writeFile(dir.file("home1/corvane"), "x");
             return dir.file("home1");
         },
         false},
        {"path one character too long", [&] { return homeOfLength(fitting + 1); }, false},
        {"path just fits", [&] { return homeOfLength(fitting); }, true},
    };
    for (const Case& c : cases) {
        const std::string home = c.dataHome();
        setDataHome(home);
        char buffer[260];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(GetDataFolder(buffer), c.expected) << c.what;
        if (c.expected) {
            EXPECT_EQ(std::strlen(buffer), 259u) << c.what;
        } else {
            EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '#')) << c.what;
            EXPECT_FALSE(platform::pathExists(home + "/corvane/Velloran")) << c.what;
        }
    }
    EXPECT_FALSE(GetDataFolder(nullptr));
}

// The message for a data folder that cannot be had names the folder when the system names one, and
// always says what to do.
TEST_F(DataFolderTest, TheMessageNamesTheFolderAndTheNextStep)
{
    const std::string lead = "Velloran's data folder cannot be found or created. ";
    struct Case
    {
        const char* what;
        std::function<std::string()> dataHome;
        std::function<std::string()> expected;
    };
    const Case cases[] = {
        {"first level is a file",
         [&] {
             std::filesystem::create_directory(dir.file("home1"));
             writeFile(dir.file("home1/corvane"), "x");
             return dir.file("home1");
         },
         [&] {
             return lead +
                    "Velloran keeps its settings, debug log and work files (one of them holds your CRM "
                    "password while a helper runs) in " +
                    dir.file("home1") + "/corvane/Velloran/, but " + dir.file("home1") +
                    "/corvane/ is a file, not a folder: move that file away, then try again.";
         }},
        {"second level cannot be created",
         [&] {
             std::filesystem::create_directories(dir.file("home2/corvane"));
             std::filesystem::permissions(dir.file("home2/corvane"),
                                          std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
             return dir.file("home2");
         },
         [&] {
             return lead + "Velloran keeps its settings, work files and debug log in " + dir.file("home2") +
                    "/corvane/Velloran/: make sure that folder can be created and that you may write to it (the "
                    "disk must not be full or read-only), then try again.";
         }},
        {"data home runs through a file",
         [&] {
             writeFile(dir.file("plain"), "x");
             return dir.file("plain") + "/share";
         },
         [&] {
             return lead + "The system gives no folder for application data that Velloran can use: make sure "
                           "$XDG_DATA_HOME or, without it, .local/share in your home folder exists and that you "
                           "may write to it, then try again.";
         }},
        {"path too long", [&] { return dir.path() + "/" + std::string(250, 'h'); },
         [&] {
             return lead + "Its path, " + dir.path() + "/" + std::string(250, 'h') +
                    "/corvane/Velloran/, is longer than Velloran can use: give the system's application data "
                    "folder a shorter path, then try again.";
         }},
    };
    for (const Case& c : cases) {
        setDataHome(c.dataHome());
        char buffer[260];
        // The super-user may create a folder where the folder's rights forbid it.
        if (::geteuid() == 0 && std::string(c.what) == "second level cannot be created")
            continue;
        ASSERT_FALSE(GetDataFolder(buffer)) << c.what;
        EXPECT_EQ(NoDataFolderText(), c.expected()) << c.what;
    }
}

// A level of the data folder that another user owns could be read or changed by them: nothing is written
// into it, and the message says whose it is and what to do. Only the super-user can give a folder away.
TEST_F(DataFolderTest, AFolderOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the super-user can make a folder of another user";
    int homes = 0;
    for (const std::string level : {"/corvane", "/corvane/Velloran"}) {
        const std::string home = dir.file("home" + std::to_string(++homes));
        std::filesystem::create_directories(home + "/corvane/Velloran");
        ASSERT_EQ(::chown((home + level).c_str(), 12345, 12345), 0);
        setDataHome(home);
        char buffer[260];
        EXPECT_FALSE(GetDataFolder(buffer)) << level;
        EXPECT_EQ(NoDataFolderText(), "Velloran's data folder cannot be found or created. Velloran keeps its "
                                      "settings, debug log and work files (one of them holds your CRM password "
                                      "while a helper runs) in " +
                                          home + "/corvane/Velloran/, but " + home + level +
                                          "/ belongs to another user: whoever can change it could read or replace "
                                          "them, so Velloran writes nothing there. Check what it holds, remove it, "
                                          "then try again.")
            << level;
        EXPECT_FALSE(platform::pathExists(home + "/corvane/Velloran/corvane.ini")) << level;
    }
}

#else

// The user's own local application data folder cannot be pointed elsewhere, so the levels are checked
// only where this test creates them (a fresh Wine prefix, a build machine); an installation's own folder is
// left alone.
TEST(DataFolder, IsVelloranInTheUsersLocalFolderCreatedPrivateOnce)
{
    wchar_t* local = nullptr;
    ASSERT_TRUE(SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)));
    const std::string top = platform::utf8Text(local) + "\\corvane\\";
    ::CoTaskMemFree(local);
    const std::string folder = top + "Velloran\\";
    const bool existed = platform::pathExists(top);

    char buffer[260];
    ASSERT_TRUE(GetDataFolder(buffer));
    EXPECT_EQ(std::string(buffer), folder);
    EXPECT_TRUE(platform::pathExists(folder));
    if (existed)
        return;
    EXPECT_TRUE(testutil::ownerOnly(top));
    EXPECT_TRUE(testutil::ownerOnly(folder));

    // A second start finds both levels and leaves them as they are.
    writeFile(folder + "corvane.ini", "[Velloran]\n");
    ASSERT_TRUE(GetDataFolder(buffer));
    EXPECT_EQ(std::string(buffer), folder);
    EXPECT_TRUE(platform::pathExists(folder + "corvane.ini"));
    std::error_code ec;
    std::filesystem::remove_all(platform::fsPath(top), ec);
    EXPECT_FALSE(GetDataFolder(nullptr));
}

namespace {

// Makes `link` a junction to `target` (an existing folder), as the system's "mklink /J" does. False where
// the system makes none (Wine 8; a Unix symbolic link shows as one there, which the Wine runs check).
bool makeJunction(const std::string& link, const std::string& target)
{
    if (!::CreateDirectoryW(platform::wideText(link).c_str(), nullptr))
        return false;
    const HANDLE folder = ::CreateFileW(platform::wideText(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring substitute = L"\\??\\" + platform::wideText(target);
    const auto nameBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    // The mount-point reparse data: tag, length, the substitute name and an empty print name, both
    // terminated.
    std::vector<unsigned char> data(8 + 8 + nameBytes + 2 * sizeof(wchar_t), 0);
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    const auto length = static_cast<WORD>(data.size() - 8);
    const WORD offsets[4] = {0, nameBytes, static_cast<WORD>(nameBytes + sizeof(wchar_t)), 0};
    std::memcpy(data.data(), &tag, 4);
    std::memcpy(data.data() + 4, &length, 2);
    std::memcpy(data.data() + 8, offsets, 8);
    std::memcpy(data.data() + 16, substitute.data(), nameBytes);
    DWORD returned = 0;
    const bool made = ::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()),
                                        nullptr, 0, &returned, nullptr) != FALSE;
    ::CloseHandle(folder);
    if (!made)
        ::RemoveDirectoryW(platform::wideText(link).c_str());
    return made;
}

} // namespace

// Another user could make a level of the data folder a junction into a folder of theirs, and read or
// replace what we write: such a level is refused with its name, and nothing is written through it.
TEST(DataFolder, AJunctionIsRefused)
{
    TempDir dir;
    const std::string base = dir.file("local");
    const std::string elsewhere = dir.file("elsewhere");
    ASSERT_TRUE(platform::createPrivateFolder(base));
    ASSERT_TRUE(platform::createPrivateFolder(elsewhere));
    if (!makeJunction(base + "\\corvane", elsewhere))
        GTEST_SKIP() << "this system makes no junctions";
    platform::setUserFoldersForTesting(base, "");
    char buffer[260];
    EXPECT_FALSE(GetDataFolder(buffer));
    EXPECT_NE(NoDataFolderText().find(base + "\\corvane\\ is a link or a junction to another place"), std::string::npos)
        << NoDataFolderText();
    platform::setUserFoldersForTesting("", "");
    EXPECT_TRUE(std::filesystem::is_empty(platform::fsPath(elsewhere)));
    ::RemoveDirectoryW(platform::wideText(base + "\\corvane").c_str());
}

#endif

TEST(ProgramFolder, IsTheExecutablesFolder)
{
    char buffer[260];
    ASSERT_TRUE(GetProgramFolder(buffer));
    const std::string folder = buffer;
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), platform::kPathSeparator);
#ifdef _WIN32
    EXPECT_TRUE(platform::pathExists(folder + "velloran_unit_tests.exe")) << folder;
#else
    const auto exe = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(folder, exe.parent_path().string() + "/");
#endif
    EXPECT_FALSE(GetProgramFolder(nullptr));
}

// A run's number and start tell it from a later process given the same number: the start is the same
// each time it is asked, later for a process started later, and none for a process that has ended.
TEST(ProcessStart, TellsAProcessFromALaterOneWithItsNumber)
{
    const unsigned long self = platform::currentProcessId();
    const unsigned long long selfStart = platform::processStartTime(self);
    ASSERT_NE(selfStart, 0u);
    EXPECT_EQ(platform::processStartTime(self), selfStart);

    std::string program;
    ASSERT_TRUE(platform::executablePath(program));
    platform::ChildProcess child;
    ASSERT_EQ(platform::startProcess(program, {program, "--gtest_list_tests"}, std::string(), child), 0);
    const unsigned long id = platform::processId(child);
    const unsigned long long childStart = platform::processStartTime(id);
    ASSERT_EQ(platform::waitProcess(child, 60000), platform::WaitResult::Exited);
    // Asked before it ended, unless it was quicker.
    if (childStart != 0) {
        EXPECT_GE(childStart, selfStart);
    }
    EXPECT_EQ(platform::processStartTime(id), 0u) << "it has ended, though its handle is still held";
    platform::releaseProcess(child);
    EXPECT_EQ(platform::processStartTime(id), 0u);
    EXPECT_EQ(platform::processStartTime(0), 0u);
}

// A folder whose name has a letter beyond ASCII, as a user's documents folder under "C:\Users\José" has:
// std::filesystem must hand its path back spelled as the system's own calls spell it, or the PAD file
// and the backup folder would be looked for under another name.
TEST(LocalPaths, KeepANonAsciiNameThroughStdFilesystem)
{
    namespace fs = std::filesystem;
    TempDir dir;
#ifdef _WIN32
    const fs::path wideName(L"Jos\u00e9");
    std::string name;
    if (!platform::pathText(wideName, name))
        GTEST_SKIP() << "the system's encoding has no letter e with acute accent";
#else
    const std::string name = "Jos\xC3\xA9";
#endif
    const std::string folder = dir.path() + platform::kPathSeparator + name;
    ASSERT_TRUE(platform::createPrivateFolder(folder));
#ifdef _WIN32
    // The system made the folder under the right letter, not under its bytes read another way.
    EXPECT_TRUE(fs::is_directory(platform::fsPath(dir.path()) / wideName));
#endif
    const std::string pad = folder + platform::kPathSeparator + "Demo.pad";
    writeFile(pad, "[Database]\n");

    EXPECT_EQ(AbsolutePadPath(pad.c_str()), pad);
    std::vector<std::string> listed;
    for (const auto& entry : fs::directory_iterator(platform::fsPath(folder))) {
        std::string text;
        ASSERT_TRUE(platform::pathText(entry.path(), text));
        listed.push_back(text);
    }
    ASSERT_EQ(listed, std::vector<std::string>{pad});
    EXPECT_TRUE(platform::pathExists(listed.front()));
}

#ifdef _WIN32
// Every letter a Windows file name may hold comes through as UTF-8 and back, whatever the code page; only
// half of a surrogate pair, which has no UTF-8, is refused rather than turned into another name.
TEST(LocalPaths, EveryNameComesThroughWhole)
{
    for (const wchar_t* name : {L"C:\\\u4e2d\u6587\\Demo.pad", L"C:\\\u0141\u00f3d\u017a", L"C:\\\u041f\u0451\u0442\u0440"}) {
        std::string text;
        ASSERT_TRUE(platform::pathText(std::filesystem::path(name), text));
        EXPECT_EQ(platform::fsPath(text).native(), std::wstring(name));
    }
    std::string text = "unchanged";
    EXPECT_FALSE(platform::pathText(std::filesystem::path(std::wstring(L"C:\\a") + wchar_t(0xD800)), text));
    EXPECT_EQ(text, "unchanged");
}
#endif
