#include "TestUtil.h"

#include "core/DateText.h"
#include "core/DeletionBackup.h"
#include "platform/SaveFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

namespace {

TEST(CsvField, QuotesOnlyWhatNeedsIt)
{
    const struct
    {
        const char* text;
        const char* field;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {" blanks kept ", " blanks kept "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(IsoDateText, DatesTimesAndNone)
{
    const struct
    {
        double date;
        const char* text;
    } cases[] = {
        {0, ""},
        {1, "1899-12-31T00:00:00"},
        {39512.5, "2008-03-05T12:00:00"},
        {-1.25, "1899-12-29T06:00:00"},
        // Beyond the calendar's years the number itself is kept.
        {3e6, "3000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsoDateText(c.date), c.text) << c.date;
}

TEST(DeletionBackup, EachRunGetsANewOwnerOnlyFolder)
{
    TempDir dir;
    const std::string root = dir.file("Velloran Backups");
    std::set<std::string> folders;
    for (int i = 0; i < 3; ++i) {
        DeletionBackup backup;
        std::string error;
        ASSERT_TRUE(backup.Create(root, error)) << error;
        EXPECT_TRUE(folders.insert(backup.Folder()).second) << "reused " << backup.Folder();
        EXPECT_TRUE(testutil::ownerOnly(backup.Folder()));
        EXPECT_TRUE(backup.Folder().back() == '/' || backup.Folder().back() == '\\');
    }
    EXPECT_TRUE(testutil::ownerOnly(root));
}

TEST(DeletionBackup, AFolderThatCannotBeMadeIsAnError)
{
    TempDir dir;
    writeFile(dir.file("Velloran Backups"), "");
    DeletionBackup backup;
    std::string error;
    EXPECT_FALSE(backup.Create(dir.file("Velloran Backups"), error));
    EXPECT_NE(error.find("Velloran Backups"), std::string::npos) << error;
    EXPECT_TRUE(backup.Folder().empty());
}

TEST(SaveFile, ReplacesTheTargetOnlyWhenCommitted)
{
    TempDir dir;
    const std::string target = dir.file("settings.ini");
    writeFile(target, "old");
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write(std::string(200000, 'x')));
        EXPECT_EQ(readFile(target), "old") << "nothing shows before the commit";
    }
    EXPECT_EQ(readFile(target), "old") << "given up without a commit";

    platform::SaveFile file(target);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write(std::string(100000, 'y')));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(readFile(target), "new " + std::string(100000, 'y'));
    EXPECT_TRUE(testutil::ownerOnly(target));
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(SaveFile, AMissingFolderFailsAndCreatesNothing)
{
    TempDir dir;
    EXPECT_FALSE(platform::SaveWholeFile(dir.file("missing/file.txt"), "text"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

} // namespace
