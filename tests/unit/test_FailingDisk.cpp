// Every file of ours written to a disk that fails at every byte: the write, the flush or the close. The
// operation then either reports the failure with every file as it was (or, for a new set of files, no
// half file among them), or it succeeded completely.

#include "TestUtil.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTParamParser.h"
#include "core/Apputil.h"
#include "core/DeletionBackup.h"
#include "misc/CxDebugUtil.h"
#include "platform/SaveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <string>

namespace {

using Files = std::map<std::string, std::string>;

// Every file of a folder by name, the temporary files of an unfinished write included.
Files FilesIn(const std::string& folder)
{
    Files files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = testutil::readFile(entry.path().string());
    return files;
}

struct Writer
{
    const char* name;
    // Puts the files of before the write in place; the folder is empty.
    std::function<void(const std::string& folder)> prepare;
    // The operation; false when it reports a failure.
    std::function<bool(const std::string& folder)> write;
    // An operation that writes several files may fail after some of them are written: each file is then
    // its old self or its whole new self. One file must keep its old bytes.
    bool severalFiles = false;
};

class FailingDisk : public ::testing::TestWithParam<int>
{
protected:
    // Thousands of writes, each made durable when it succeeds: in memory where the system offers a
    // folder there, so the disk's speed decides nothing.
    void SetUp() override
    {
        std::error_code ec;
        if (std::filesystem::is_directory("/dev/shm", ec)) {
            std::random_device random;
            const std::string folder = "/dev/shm/velloran-disk-" + std::to_string(random()) + std::to_string(random());
            if (std::filesystem::create_directory(folder, ec))
                m_memoryFolder = folder;
        }
        m_folder = (m_memoryFolder.empty() ? m_dir.path() : m_memoryFolder) + "/files";
        // The program's own log would add its lines to the bytes counted for the writer under test: it
        // goes to a folder that is not there, where its lines are dropped before a byte goes out.
        m_logFolder = DebugLog.GetFolder();
        DebugLog.SetFolder((m_dir.path() + "/no-log/").c_str());
    }
    void TearDown() override
    {
        DebugLog.SetFolder(m_logFolder.c_str());
        platform::setDiskFault(platform::DiskFault::None);
        if (!m_memoryFolder.empty())
            std::filesystem::remove_all(m_memoryFolder);
    }

    // One write on a fresh copy of the files before it, with the disk failing as given. `written` gets
    // the bytes that went out.
    Files WriteOnce(const Writer& writer, platform::DiskFault fault, std::uint64_t at, bool* ok,
                    std::uint64_t* written = nullptr)
    {
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directory(m_folder);
        writer.prepare(m_folder + "/");
        platform::setDiskFault(fault, at);
        *ok = writer.write(m_folder + "/");
        if (written)
            *written = platform::diskBytesWritten();
        platform::setDiskFault(platform::DiskFault::None);
        return FilesIn(m_folder);
    }

    void CheckEveryByte(const Writer& writer)
    {
        std::filesystem::create_directory(m_folder);
        writer.prepare(m_folder + "/");
        const Files previous = FilesIn(m_folder);
        bool ok = false;
        std::uint64_t size = 0;
        const Files after = WriteOnce(writer, platform::DiskFault::None, 0, &ok, &size);
        ASSERT_TRUE(ok);
        ASSERT_GT(size, 0u);
        ASSERT_NE(after, previous) << "the write changed nothing";

        const platform::DiskFault faults[] = {platform::DiskFault::Write, platform::DiskFault::Flush,
                                              platform::DiskFault::Close};
        for (const platform::DiskFault fault : faults) {
            for (std::uint64_t at = 0; at <= size; ++at) {
                SCOPED_TRACE("fault " + std::to_string(static_cast<int>(fault)) + " at byte " + std::to_string(at) +
                             " of " + std::to_string(size));
                const Files now = WriteOnce(writer, fault, at, &ok);
                // A write fails before the last byte; a flush or a close fails in the last commit too.
                EXPECT_EQ(ok, fault == platform::DiskFault::Write && at == size);
                if (ok) {
                    ASSERT_EQ(now, after);
                } else if (!writer.severalFiles) {
                    ASSERT_EQ(now, previous);
                } else {
                    for (const auto& [name, bytes] : now) {
                        const auto old = previous.find(name);
                        const auto whole = after.find(name);
                        ASSERT_TRUE((old != previous.end() && bytes == old->second) ||
                                    (whole != after.end() && bytes == whole->second))
                            << name << " is neither the old file nor the whole new one";
                    }
                }
            }
        }
    }

    testutil::TempDir m_dir;
    std::string m_memoryFolder;
    std::string m_folder;
    std::string m_logFolder;
};

ContactRecord Contact(const char* id, const char* last)
{
    ContactRecord record{};
    record.RecordID = id;
    record.LastName = last;
    record.FirstName = "Chris";
    return record;
}

const Writer kWriters[] = {
    {"settings file",
     [](const std::string& folder) {
         testutil::writeFile(folder + "corvane.ini", "[Velloran]\nAppFlag=15\nPadName=C:\\old.pad\n");
     },
     [](const std::string& folder) {
         const std::string previous = SettingsFile.GetPath();
         SettingsFile.SetPath((folder + "corvane.ini").c_str());
         AppSettings = AppSettingsData{};
         AppSettings.AppFlag = 5;
         AppSettings.LogLevel = 3;
         std::strcpy(AppSettings.PadName, "/home/someone/new.pad");
         const bool saved = SaveSettings();
         SettingsFile.SetPath(previous.c_str());
         return saved;
     }},
    {"parameter file",
     [](const std::string& folder) { testutil::writeFile(folder + "ACTAddrParam.dat", "an older parameter file"); },
     [](const std::string& folder) {
         CxACTParamParser parser;
         parser.SetParam(1000, 8, "/home/someone/db.pad");
         parser.SetParam(1002, 8, "secret");
         parser.SetParam(1005, 8, "2");
         return parser.WriteParamFile((folder + "ACTAddrParam.dat").c_str());
     }},
    // The data file written before a submit, with the parameter file after it. The helper is missing, so
    // a submit that got as far as starting it fails with "cannot be started": by then both files must
    // be whole. Every other failure must come before the helper.
    {"submit",
     [](const std::string& folder) { testutil::writeFile(folder + "ACTAddr.dat", "the file the load delivered"); },
     [](const std::string& folder) {
         CxACTAddrUtil util;
         util.SetWorkFolder(folder.c_str());
         util.SetHelperName("no-such-helper");
         for (const ContactRecord& record : {Contact("R1", "Smith"), Contact("R2", "Jones"), Contact("R3", "Brown")})
             util.AppendRecord(&record);
         util.MarkForDeletion(util.GetManager()->GetFirstEntry());
         EXPECT_FALSE(util.Submit());
         const std::string failure = util.GetFailureText();
         const bool started = failure.find("cannot be started") != std::string::npos;
         EXPECT_TRUE(started || failure.find("cannot be written") != std::string::npos) << failure;
         return started;
     },
     true},
    {"debug log",
     [](const std::string& folder) {
         testutil::writeFile(folder + "appdebug.log", "[an earlier line]\r\n");
     },
     [](const std::string& folder) {
         CxDebugUtil log;
         log.SetFolder(folder.c_str());
         const bool whole = log.WriteEntry(0, "a.cpp", 1, "a line that goes out whole or not at all");
         // The line's time stamp differs from one write to the next; the comparison needs a fixed one.
         const std::string path = folder + "appdebug.log";
         testutil::writeFile(path, std::regex_replace(testutil::readFile(path), std::regex(R"(\[\d{4}/[\d/ :]{14}\])"),
                                                      "[stamp]"));
         return whole;
     }},
    {"deletion backup",
     [](const std::string&) {},
     [](const std::string& folder) {
         const ContactRecord gone = Contact("R2", "Jones");
         const ContactRecord kept = Contact("R1", "Jones");
         std::vector<BackupKind> kinds = {{"contacts", &ContactFields(), {{&gone, &kept}, {&kept, nullptr}}}};
         DeletionBackup backup;
         std::string error;
         if (!backup.Create(folder + "Velloran Backups", error))
             return false;
         // The run's folder is named after the time; the comparison needs fixed names.
         const bool written = backup.WriteRecords(kinds, error);
         for (const auto& entry : std::filesystem::directory_iterator(backup.Folder()))
             std::filesystem::rename(entry.path(), folder + entry.path().filename().string());
         std::filesystem::remove_all(folder + "Velloran Backups");
         EXPECT_EQ(written, error.empty());
         return written;
     },
     true},
};

TEST_P(FailingDisk, EveryByteLeavesTheOldFilesOrAllNewOnes)
{
    CheckEveryByte(kWriters[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(Writers, FailingDisk, ::testing::Range(0, static_cast<int>(std::size(kWriters))),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = kWriters[info.param].name;
                             for (char& c : name)
                                 if (c == ' ')
                                     c = '_';
                             return name;
                         });

} // namespace
