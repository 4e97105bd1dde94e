#include "TestUtil.h"

#include "misc/CxIniUtil.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

// These tests run on Windows too, where the profile calls are the system's own: one table of cases checks
// our implementation against them.

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

namespace {

std::string read(const std::string& file, const char* section, const char* key, const char* def = "none",
                 std::size_t size = 64)
{
    std::string buffer(size, 'X');
    const std::size_t n = platform::readProfileString(section, key, def, buffer.data(), size, file.c_str());
    EXPECT_EQ(n, std::strlen(buffer.c_str()));
    return buffer.c_str();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::size_t entriesIn(const std::string& folder)
{
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

#ifdef _WIN32
// What every implementation keeps of a profile file: its sections and keys in order, with names and values
// trimmed. Windows's own calls also rewrite line ends, drop blank lines and put a new key after the
// section's comments; ours keep every other byte, which is checked where they run.
std::string structureOf(const std::string& text)
{
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            end = text.size();
        std::string_view line = std::string_view(text).substr(pos, end - pos);
        pos = end + 1;
        auto trim = [](std::string_view v) {
            while (!v.empty() && (v.front() == ' ' || v.front() == '\t' || v.front() == '\r'))
                v.remove_prefix(1);
            while (!v.empty() && (v.back() == ' ' || v.back() == '\t' || v.back() == '\r'))
                v.remove_suffix(1);
            return v;
        };
        line = trim(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            result += "[" + std::string(trim(line.substr(1, line.find(']') - 1))) + "]\n";
        } else if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            result += std::string(trim(line.substr(0, eq))) + "=" + std::string(trim(line.substr(eq + 1))) + "\n";
        }
    }
    return result;
}
#endif

// The file after a write: byte for byte where the implementation is ours, its structure on Windows.
void expectWritten(const std::string& file, const std::string& expected, const std::string& what)
{
#ifdef _WIN32
    EXPECT_EQ(structureOf(readFile(file)), structureOf(expected)) << what;
#else
    EXPECT_EQ(readFile(file), expected) << what;
#endif
}

const char* const kHandFile = "; written by hand\n"
                              "[Other]\n"
                              "PadName=other\n"
                              "\n"
                              "[ velloran ]\n"
                              "; the database\n"
                              "  padname =  /old/path.pad  \n"
                              "Quoted = \"  two blanks  \"\n"
                              "Single = '  one  '\n"
                              "Mixed='x\"\n"
                              "HalfQuote=\"open\n"
                              "LoneQuote=\"\n"
                              "TwoQuotes=\"\"\n"
                              ";Commented=1\n"
                              "Empty=\n"
                              "Twice=first\n"
                              "Twice=second\n"
                              "NoEquals\n"
                              "\n"
                              "[Last]\n"
                              "x=1\n";

} // namespace

TEST(ProfileString, ReadsValues)
{
    TempDir dir;
    const std::string file = dir.file("a.ini");
    writeFile(file, kHandFile);

    struct Case
    {
        const char* what;
        const char* section;
        const char* key;
        const char* def;
        std::size_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"names match without regard to case and blanks", "VELLORAN", "PadName", "d", 64, "/old/path.pad"},
        {"names given with blanks around them", " Velloran ", "  padname ", "d", 64, "/old/path.pad"},
        {"quotes dropped, blanks inside kept", "Velloran", "quoted", "d", 64, "  two blanks  "},
        {"single quotes dropped as well", "Velloran", "Single", "d", 64, "  one  "},
        {"quotes of two kinds stay", "Velloran", "Mixed", "d", 64, "'x\""},
        {"a lone quote stays", "Velloran", "HalfQuote", "d", 64, "\"open"},
        {"a quote alone is no pair", "Velloran", "LoneQuote", "d", 64, "\""},
        {"a pair of quotes around nothing", "Velloran", "TwoQuotes", "d", 64, ""},
        {"an empty value is a value", "Velloran", "Empty", "d", 64, ""},
        {"first of two equal keys", "Velloran", "Twice", "d", 64, "first"},
        {"comment is no key", "Velloran", "Commented", "d", 64, "d"},
        {"line without equals is no key", "Velloran", "NoEquals", "d", 64, "d"},
        {"key of another section", "Velloran", "x", "d", 64, "d"},
        {"missing section", "Nowhere", "PadName", "d", 64, "d"},
        {"null default is empty", "Velloran", "Missing", nullptr, 64, ""},
        {"value cut to size - 1", "Velloran", "PadName", "d", 5, "/old"},
        {"default cut to size - 1", "Velloran", "Missing", "default", 4, "def"},
        {"default loses its trailing blanks", "Velloran", "Missing", "def  ", 64, "def"},
        {"default keeps its leading blanks", "Velloran", "Missing", "  def", 64, "  def"},
        {"size 1 leaves only the terminator", "Velloran", "PadName", "d", 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read(file, c.section, c.key, c.def, c.size), c.expected) << c.what;

    EXPECT_EQ(read(dir.file("missing.ini"), "Velloran", "PadName", "d"), "d");
    EXPECT_FALSE(platform::pathExists(dir.file("missing.ini"))) << "a read creates no file";
    char untouched = 'X';
    EXPECT_EQ(platform::readProfileString("Velloran", "PadName", "d", &untouched, 0, file.c_str()), 0u);
    EXPECT_EQ(untouched, 'X');
}

// A "[" line that lacks its "]" starts no section: what follows it stays in the section above, for reads
// and for writes alike.
TEST(ProfileString, SectionLineWithoutBracketStartsNoSection)
{
    const char* const unclosed = "[A]\nx=1\n[B\ny=2\n[C]\nz=3\n";
    struct Read
    {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Read reads[] = {
        {"A", "y", "2"}, {"B", "y", "d"}, {"A", "x", "1"}, {"C", "z", "3"}, {"A", "z", "d"},
    };
    TempDir dir;
    const std::string file = dir.file("a.ini");
    writeFile(file, unclosed);
    for (const Read& r : reads)
        EXPECT_EQ(read(file, r.section, r.key, "d"), r.expected) << r.section << "/" << r.key;

    struct Write
    {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
        const char* readSection; // where the value written is then found
    };
    const Write writes[] = {
        {"the key below the line is replaced in the section above", "A", "y", "5", "[A]\nx=1\n[B\ny=5\n[C]\nz=3\n",
         "A"},
        {"a new key goes after the last key above the next section", "A", "w", "4",
         "[A]\nx=1\n[B\ny=2\nw=4\n[C]\nz=3\n", "A"},
        {"the section it seems to name is added", "B", "y", "6", "[A]\nx=1\n[B\ny=2\n[C]\nz=3\n[B]\ny=6\n", "B"},
    };
    for (const Write& w : writes) {
        writeFile(file, unclosed);
        ASSERT_TRUE(platform::writeProfileString(w.section, w.key, w.value, file.c_str())) << w.what;
        expectWritten(file, w.after, w.what);
        EXPECT_EQ(read(file, w.readSection, w.key), w.value) << w.what;
    }
    EXPECT_EQ(read(file, "A", "y"), "2") << "the key under the line stays the section above's";

    // Removing the section above takes the line and the keys under it along.
    writeFile(file, unclosed);
    ASSERT_TRUE(platform::writeProfileString("A", nullptr, nullptr, file.c_str()));
    expectWritten(file, "[C]\nz=3\n", "section removed");
    EXPECT_EQ(read(file, "A", "y"), "none");
}

TEST(ProfileString, ReplacesValueInPlaceKeepingEveryOtherByte)
{
    for (const std::string eol : {"\n", "\r\n"}) {
        const std::string what = eol.size() == 2 ? "line end CRLF" : "line end LF";
        TempDir dir;
        const std::string file = dir.file("a.ini");
        writeFile(file, replaceAll(kHandFile, "\n", eol));
        testutil::makeReadableByAll(file);
        ASSERT_FALSE(testutil::ownerOnly(file));

        ASSERT_TRUE(platform::writeProfileString("Velloran", "PADNAME", "/new.pad", file.c_str()));

        std::string expected = replaceAll(kHandFile, "  padname =  /old/path.pad  \n", "padname=/new.pad\n");
        expectWritten(file, replaceAll(expected, "\n", eol), what);
        EXPECT_TRUE(testutil::ownerOnly(file)) << what;
        EXPECT_EQ(entriesIn(dir.path()), 1u) << "no temporary file left behind";
        EXPECT_EQ(read(file, "Velloran", "padname"), "/new.pad") << what;
        EXPECT_EQ(read(file, "Other", "padname"), "other") << what;
    }
}

TEST(ProfileString, AddsAndRemovesKeysAndSections)
{
    struct Case
    {
        const char* what;
        const char* before; // null: no file
        const char* section;
        const char* key;
        const char* value;
        const char* after; // null: no file
    };
    const Case cases[] = {
        {"file created", nullptr, "S", "k", "v", "[S]\nk=v\n"},
        {"new key after the section's last key", "[A]\nx=1\n\n; B\n[B]\ny=2\n", "a", "z", "3",
         "[A]\nx=1\nz=3\n\n; B\n[B]\ny=2\n"},
        {"new key in a section without keys", "[A]\n; none\n[B]\n", "A", "z", "3", "[A]\nz=3\n; none\n[B]\n"},
        {"last line without line end gets one", "[A]\nx=1", "A", "z", "3", "[A]\nx=1\nz=3\n"},
        {"new section takes the file's line end", "[A]\r\nx=1", "B", "y", "2", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
        {"replaced last line keeps its missing line end", "[A]\nx=1", "A", "X", "5", "[A]\nx=5"},
        {"empty value", "[A]\nx=1\n", "A", "x", "", "[A]\nx=\n"},
        {"names written without blanks around them", "[A]\nx=1\n", " B ", " y ", "2", "[A]\nx=1\n[B]\ny=2\n"},
        {"quotes are written as given", nullptr, "A", "x", "'q'", "[A]\nx='q'\n"},
        {"null value removes the key", "[A]\nx=1\ny=2\n", "A", "X", nullptr, "[A]\ny=2\n"},
        {"null key removes the section", "[A]\nx=1\n; about B\n[B]\ny=2\n", "a", nullptr, nullptr, "[B]\ny=2\n"},
        {"removing from a missing file creates none", nullptr, "A", "x", nullptr, nullptr},
        {"removing a missing key changes nothing", "[A]\r\nx=1", "A", "y", nullptr, "[A]\r\nx=1"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string file = dir.file("a.ini");
        if (c.before)
            writeFile(file, c.before);
        EXPECT_TRUE(platform::writeProfileString(c.section, c.key, c.value, file.c_str())) << c.what;
        if (c.after)
            expectWritten(file, c.after, c.what);
        else
            EXPECT_FALSE(platform::pathExists(file)) << c.what;
    }
}

TEST(ProfileString, RefusedWriteLeavesOldFileAlone)
{
    const std::string old = "[A]\nx=1\n";
    struct Case
    {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line break in value", "A", "x", "1\n[B]"}, {"line break in key", "A", "x\ny", "1"},
        {"equals sign in key", "A", "x=y", "1"},     {"bracket in section", "A]x", "x", "1"},
        {"null section", nullptr, "x", "1"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string file = dir.file("a.ini");
        writeFile(file, old);
        EXPECT_FALSE(platform::writeProfileString(c.section, c.key, c.value, file.c_str())) << c.what;
        EXPECT_EQ(readFile(file), old) << c.what;
    }
}

TEST(ProfileString, FailedWriteReturnsFalseAndKeepsOldFile)
{
    TempDir dir;

    // The folder cannot exist: the path runs through a regular file.
    const std::string plain = dir.file("plain");
    writeFile(plain, "data");
    EXPECT_FALSE(platform::writeProfileString("A", "x", "1", (plain + "/a.ini").c_str()));
    EXPECT_EQ(readFile(plain), "data");

    // The target is a folder.
    const std::string folder = dir.file("folder.ini");
    std::filesystem::create_directory(folder);
    EXPECT_FALSE(platform::writeProfileString("A", "x", "1", folder.c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(entriesIn(folder), 0u);

#ifndef _WIN32
    // The disk runs full while the new file is written: the file-size limit stops the temporary file.
    const std::string file = dir.file("a.ini");
    const std::string old = "[A]\nx=1\n";
    writeFile(file, old);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = platform::writeProfileString("A", "y", std::string(200, 'v').c_str(), file.c_str());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(entriesIn(dir.path()), 3u) << "the temporary file is removed";
#endif
}

#ifndef _WIN32
TEST(ProfileString, WriteThroughLinkKeepsTheLink)
{
    TempDir dir;
    const std::string real = dir.file("real.ini");
    const std::string link = dir.file("link.ini");
    writeFile(real, "[A]\nx=1\n");
    std::filesystem::create_symlink(real, link);

    ASSERT_TRUE(platform::writeProfileString("A", "x", "2", link.c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real), "[A]\nx=2\n");
}
#endif

class IniUtilTest : public ::testing::Test
{
protected:
    TempDir dir;
    CxIniUtil ini{nullptr, "unused.ini"};

    void SetUp() override { ini.SetPath(dir.file("a.ini").c_str()); }
};

TEST_F(IniUtilTest, ReadIntFollowsAtol)
{
    struct Case
    {
        const char* value; // null: key missing
        std::int32_t expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {"12abc", 12},
        {"abc", 0},
        {"-", 0},
        {"0x10", 0},
        {"", 99},      // empty: the default
        {nullptr, 99}, // missing: the default
        {"2147483647", INT32_MAX},
        {"99999999999", INT32_MAX},           // clamped
        {"-99999999999999999999", INT32_MIN}, // clamped
    };
    for (const Case& c : cases) {
        writeFile(ini.GetPath(), c.value ? std::string("[S]\nk=") + c.value + "\n" : "[S]\n");
        EXPECT_EQ(ini.ReadInt("S", "k", 99), c.expected) << (c.value ? c.value : "(missing)");
    }
}

TEST_F(IniUtilTest, ReadBoolIsReadIntNotZero)
{
    writeFile(ini.GetPath(), "[S]\ntwo=2\nword=yes\nzero=0\nempty=\n");
    EXPECT_TRUE(ini.ReadBool("S", "two", false));
    EXPECT_FALSE(ini.ReadBool("S", "word", true));
    EXPECT_FALSE(ini.ReadBool("S", "zero", true));
    EXPECT_TRUE(ini.ReadBool("S", "empty", true));
    EXPECT_FALSE(ini.ReadBool("S", "missing", false));
}

TEST_F(IniUtilTest, WritesAndGuards)
{
    EXPECT_TRUE(ini.WriteInt("S", "n", -12));
    EXPECT_TRUE(ini.WriteBool("S", "on", true));
    EXPECT_TRUE(ini.WriteBool("S", "off", false));
    EXPECT_TRUE(ini.WriteString("S", "null", nullptr));
    EXPECT_FALSE(ini.WriteString("S", "", "v"));
    EXPECT_FALSE(ini.WriteString("S", nullptr, "v"));
    EXPECT_EQ(testutil::readProfileFile(ini.GetPath()), "[S]\nn=-12\non=1\noff=0\nnull=\n");

    char buffer[8] = "keep";
    EXPECT_EQ(ini.ReadString("S", "", buffer, sizeof buffer, "d"), 0u);
    EXPECT_EQ(ini.ReadString("S", "n", buffer, 0, "d"), 0u);
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(ini.ReadString("S", "n", nullptr, 8, "d"), 0u);
    EXPECT_EQ(ini.ReadString("S", "n", buffer, 3, "d"), 2u);
    EXPECT_STREQ(buffer, "-1");
}

TEST(IniUtil, PathFromFolderAndName)
{
    std::string program;
    ASSERT_TRUE(platform::programFolder(program));
    EXPECT_EQ(std::string(CxIniUtil(nullptr, "x.ini").GetPath()), program + "x.ini");
    EXPECT_EQ(std::string(CxIniUtil("", "x.ini").GetPath()), program + "x.ini");
    EXPECT_EQ(std::string(CxIniUtil("/data/", "x.ini").GetPath()), "/data/x.ini");

    CxIniUtil ini("/data/", "x.ini");
    ini.SetPath(nullptr);
    ini.SetPath("");
    ini.SetPath(("/" + std::string(260, 'a')).c_str()); // would have to be cut
    EXPECT_STREQ(ini.GetPath(), "/data/x.ini");
    ini.SetPath("/other/y.ini");
    EXPECT_STREQ(ini.GetPath(), "/other/y.ini");
}
