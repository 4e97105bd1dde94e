#include "misc/CxDebugUtil.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

// The lines of a log, each checked to end in CR LF.
std::vector<std::string> LogLines(const std::string& path)
{
    const std::string text = readFile(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "last line without CR LF";
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The part of a line after its "[YYYY/MM/DD hh:mm:ss]" stamp, which a test cannot predict.
constexpr std::size_t kStampLength = 21;
const std::regex kStamp(R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\])");

class DebugLogTest : public ::testing::Test
{
protected:
    void SetUp() override { log.SetFolder((dir.path() + "/").c_str()); }

    std::string LogPath() const { return dir.file("appdebug.log"); }

    TempDir dir;
    CxDebugUtil log;
};

TEST(DebugLogFormat, BuildsTheExactLine)
{
    const platform::LocalTime when{2008, 3, 3, 5, 14, 7, 9, 123};
    const std::string name30 = "CxACTAddrUtilLongSourceName.cp";
    ASSERT_EQ(name30.size(), 30u);
    const std::string path30 = "/home/dev/src/" + name30;
    const std::string path300 = "/x/" + std::string(300, 'n');
    const std::string stamp = "[2008/03/05 14:07:09]";

    struct Case
    {
        const char* what;
        const char* source;
        int line;
        unsigned long thread;
        int level;
        const char* message;
        std::string expected;
    };
    const Case cases[] = {
        {"5-char name padded, line 7 padded", "C:\\work\\src\\a.cpp", 7, 0x1A2B, 0, "failed",
         stamp + "[a.cpp               (7   )][01a2b][!!!] - failed"},
        {"30-char name whole, line 12345 whole", path30.c_str(), 12345, 0x1A2B, 2, "x",
         stamp + "[" + name30 + "(12345)][01a2b][   ] - x"},
        {"no separator", "Plain.cpp", 1, 0x1A2B, 1, "m", stamp + "[Plain.cpp           (1   )][01a2b][   ] - m"},
        {"null path", nullptr, 1, 0x1A2B, 0, "m", stamp + "[<null>              (1   )][01a2b][!!!] - m"},
        {"slash after backslash", "C:\\src/misc/b.cpp", 10, 0x1A2B, 3, "m",
         stamp + "[b.cpp               (10  )][01a2b][   ] - m"},
        {"backslash after slash", "src/misc\\c.cpp", 10, 0x1A2B, 3, "m",
         stamp + "[c.cpp               (10  )][01a2b][   ] - m"},
        {"empty message", "a.cpp", 7, 0x1A2B, 0, "", stamp + "[a.cpp               (7   )][01a2b][!!!] - "},
        {"wide thread id whole", "a.cpp", 7, 0x12345678UL, 2, "m",
         stamp + "[a.cpp               (7   )][12345678][   ] - m"},
        {"source name cut to 255", path300.c_str(), 1, 0x1A2B, 2, "m",
         stamp + "[" + std::string(255, 'n') + "(1   )][01a2b][   ] - m"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CxDebugUtil::FormatEntry(when, c.thread, c.level, c.source, c.line, c.message), c.expected) << c.what;
}

TEST_F(DebugLogTest, LevelFilter)
{
    struct Case
    {
        bool enabled;
        int setting;
        int level;
        bool written;
    };
    const Case cases[] = {
        {false, 3, 0, true}, {false, 3, 1, false}, {false, 3, 2, false}, {false, 3, 3, false}, {true, 1, 0, true},
        {true, 1, 1, true},  {true, 1, 2, false},  {true, 3, 2, true},   {true, 3, 3, true},   {true, 0, 1, false},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(LogPath());
        log.SetEnabled(c.enabled);
        log.SetLevel(c.setting);
        log.Log(c.level, __FILE__, __LINE__, "level %d", c.level);
        const auto lines = LogLines(LogPath());
        EXPECT_EQ(lines.size(), c.written ? 1u : 0u)
            << "enabled " << c.enabled << " setting " << c.setting << " level " << c.level;
        if (c.written && !lines.empty()) {
            const std::string marker = c.level == 0 ? "[!!!]" : "[   ]";
            EXPECT_NE(lines[0].find(marker + " - level " + std::to_string(c.level)), std::string::npos) << lines[0];
        }
    }
}

TEST(DebugLogSettings, LevelIsClamped)
{
    const std::pair<int, int> cases[] = {{5, 3}, {-2, 0}, {0, 0}, {2, 2}, {3, 3}};
    CxDebugUtil log;
    for (const auto& [given, stored] : cases) {
        log.SetLevel(given);
        EXPECT_EQ(log.GetLevel(), stored) << given;
    }
}

TEST(DebugLogSettings, StartsInCurrentFolderOffAtLevelZero)
{
    CxDebugUtil log;
    EXPECT_EQ(log.GetLogPath(), "./appdebug.log");
    EXPECT_FALSE(log.IsEnabled());
    EXPECT_EQ(log.GetLevel(), 0);
    log.SetFolder(nullptr);
    EXPECT_EQ(log.GetFolder(), "./");
}

TEST_F(DebugLogTest, WritesEachLineWithCrLfAsFormatted)
{
    log.WriteEntry(0, "C:\\src\\first.cpp", 7, "one");
    log.WriteEntry(2, "second.cpp", 12345, "");
    const std::string text = readFile(LogPath());
    // No bare LF anywhere: every LF closes a CR LF pair.
    std::size_t lf = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++lf;
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r');
        }
    }
    EXPECT_EQ(lf, 2u);

    const auto lines = LogLines(LogPath());
    ASSERT_EQ(lines.size(), 2u);
    const platform::LocalTime any;
    const unsigned long me = platform::currentThreadId();
    const std::string expected[] = {
        CxDebugUtil::FormatEntry(any, me, 0, "first.cpp", 7, "one"),
        CxDebugUtil::FormatEntry(any, me, 2, "second.cpp", 12345, ""),
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(std::regex_match(lines[i].substr(0, kStampLength), kStamp)) << lines[i];
        EXPECT_EQ(lines[i].substr(kStampLength), expected[i].substr(kStampLength));
    }
}

TEST_F(DebugLogTest, MessageIsCutAt40959Characters)
{
    const std::string big(50000, 'z');
    log.Log(0, "a.cpp", 1, "%s", big.c_str());
    const auto lines = LogLines(LogPath());
    ASSERT_EQ(lines.size(), 1u);
    const std::size_t dash = lines[0].find(" - ");
    ASSERT_NE(dash, std::string::npos);
    EXPECT_EQ(lines[0].size() - dash - 3, 40959u);
}

TEST_F(DebugLogTest, RotatesOnlyAboveTenMiB)
{
    struct Case
    {
        long long size;
        bool rotates;
    };
    const Case cases[] = {{CxDebugUtil::kRotateAbove, false}, {CxDebugUtil::kRotateAbove + 1, true}};
    const std::string oldCopy = LogPath() + ".old.log";
    EXPECT_EQ(oldCopy, dir.file("appdebug.log.old.log"));
    const std::string expected = CxDebugUtil::FormatEntry({}, platform::currentThreadId(), 0, "a.cpp", 1, "next");
    for (const Case& c : cases) {
        const std::string before(static_cast<std::size_t>(c.size), 'x');
        writeFile(LogPath(), before);
        writeFile(oldCopy, "older copy");

        log.WriteEntry(0, "a.cpp", 1, "next");

        const std::string after = readFile(LogPath());
        ASSERT_GE(after.size(), c.rotates ? 0 : before.size());
        const std::string line = c.rotates ? after : after.substr(before.size());
        EXPECT_EQ(line.substr(kStampLength), expected.substr(kStampLength) + "\r\n") << c.size;
        if (c.rotates) {
            EXPECT_EQ(after.size(), line.size()) << "the new line is the only one";
            EXPECT_TRUE(readFile(oldCopy) == before) << "the copy holds the whole old log";
        } else {
            EXPECT_EQ(after.compare(0, before.size(), before), 0) << "appended after the old content";
            EXPECT_EQ(readFile(oldCopy), "older copy");
        }
    }
}

TEST_F(DebugLogTest, KeepsTheLogWhenTheOldCopyCannotBeMade)
{
    const std::string before(static_cast<std::size_t>(CxDebugUtil::kRotateAbove + 1), 'x');
    writeFile(LogPath(), before);
    // A folder where the copy should go makes the copy fail.
    std::filesystem::create_directory(LogPath() + ".old.log");

    log.WriteEntry(0, "a.cpp", 1, "kept");

    const std::string after = readFile(LogPath());
    ASSERT_GT(after.size(), before.size());
    EXPECT_EQ(after.compare(0, before.size(), before), 0);
    EXPECT_NE(after.find("] - kept\r\n", before.size()), std::string::npos);
}

TEST_F(DebugLogTest, LineToMissingFolderIsDroppedQuietly)
{
    log.SetFolder((dir.path() + "/missing/").c_str());
    log.WriteEntry(0, "a.cpp", 1, "lost");
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

TEST_F(DebugLogTest, ConcurrentWritersLoseAndInterleaveNothing)
{
    // A copy-then-empty that is not serialised with the appends drops lines; a second rotation would
    // overwrite the first copy. Each case rotates at most once.
    struct Case
    {
        const char* what;
        int threads;
        int lines;
        std::size_t padding;
        bool prefilled; // starts from a log 1 MB below the limit
        bool rotates;
    };
    const Case cases[] = {
        {"plain appends", 8, 200, 3000, false, false},
        // About 5 MB of lines on top of the nearly full log.
        {"long lines across a rotation", 8, 200, 3000, true, true},
        // About 16 MB of lines from an empty log: the crowd itself fills it past the limit once.
        {"a crowd across a rotation", 100, 1000, 100, false, true},
    };
    const std::string prefill(static_cast<std::size_t>(CxDebugUtil::kRotateAbove - 1000000), 'p');
    const std::regex shape(
        R"(\[\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\]\[worker\.cpp +\((\d+) *\)\]\[[0-9a-f]{5,}\]\[   \])"
        R"( - t(\d+) n(\d+) )");
    log.SetEnabled(true);
    log.SetLevel(3);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string padding(c.padding, '.');
        std::filesystem::remove(LogPath());
        std::filesystem::remove(LogPath() + ".old.log");
        if (c.prefilled)
            writeFile(LogPath(), prefill + "\r\n");

        std::vector<std::thread> threads;
        for (int t = 0; t < c.threads; ++t) {
            threads.emplace_back([&, t] {
                for (int n = 0; n < c.lines; ++n)
                    log.Log(2, "worker.cpp", t, "t%d n%d %s", t, n, padding.c_str());
            });
        }
        for (auto& thread : threads)
            thread.join();

        std::vector<std::string> lines;
        ASSERT_EQ(std::filesystem::exists(LogPath() + ".old.log"), c.rotates);
        if (c.rotates) {
            lines = LogLines(LogPath() + ".old.log");
            ASSERT_FALSE(lines.empty());
            if (c.prefilled) {
                EXPECT_TRUE(lines.front() == prefill) << "the copy starts with the old log";
                lines.erase(lines.begin());
            }
        }
        for (std::string& line : LogLines(LogPath()))
            lines.push_back(std::move(line));

        const auto expected = static_cast<std::size_t>(c.threads) * static_cast<std::size_t>(c.lines);
        std::set<std::pair<int, int>> seen;
        EXPECT_EQ(lines.size(), expected);
        for (const std::string& line : lines) {
            // The regex stays off the padding: a long match would recurse deeply in std::regex.
            ASSERT_GT(line.size(), padding.size());
            const std::string head = line.substr(0, line.size() - padding.size());
            ASSERT_EQ(line.substr(head.size()), padding) << head;
            std::smatch m;
            ASSERT_TRUE(std::regex_match(head, m, shape)) << head;
            EXPECT_EQ(m[1], m[2]);
            seen.emplace(std::stoi(m[2]), std::stoi(m[3]));
        }
        EXPECT_EQ(seen.size(), expected) << "every line once";
    }
}

TEST(DebugLogGlobal, MacroNamesThisSourceFile)
{
    TempDir dir;
    const std::string folder = DebugLog.GetFolder();
    DebugLog.SetFolder((dir.path() + "/").c_str());
    const int line = __LINE__ + 1;
    DEBUG_LOG(0, "code %d", 42);
    DebugLog.SetFolder(folder.c_str());

    const auto lines = LogLines(dir.file("appdebug.log"));
    ASSERT_EQ(lines.size(), 1u);
    const std::string expected =
        CxDebugUtil::FormatEntry({}, platform::currentThreadId(), 0, "test_DebugLog.cpp", line, "code 42");
    EXPECT_EQ(lines[0].substr(kStampLength), expected.substr(kStampLength));
}

} // namespace
