#include "misc/CxFile.h"

#include "TestUtil.h"
#include "platform/SaveFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using testutil::TempDir;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes written(const std::function<bool(CxFile&)>& write)
{
    TempDir dir;
    const std::string path = dir.file("out.dat");
    CxFile file;
    EXPECT_TRUE(file.Open(path.c_str(), "wb"));
    EXPECT_TRUE(write(file));
    EXPECT_TRUE(file.Close());
    return testutil::readBytes(path);
}

// A field with a guard behind it, to see any byte written past the field's capacity.
struct GuardedText
{
    char field[8];
    char guard[8];
};

} // namespace

TEST(CxFile, WritesLittleEndianBytes)
{
    struct Case
    {
        const char* name;
        std::function<bool(CxFile&)> write;
        Bytes expected;
    };
    const Case cases[] = {
        {"text", [](CxFile& f) { return f.WriteString("Smith"); }, {5, 0, 0, 0, 0x53, 0x6D, 0x69, 0x74, 0x68}},
        {"empty text", [](CxFile& f) { return f.WriteString(""); }, {0, 0, 0, 0}},
        {"missing text", [](CxFile& f) { return f.WriteString(nullptr); }, {0, 0, 0, 0}},
        {"int", [](CxFile& f) { return f.WriteInt(3); }, {3, 0, 0, 0}},
        {"negative int", [](CxFile& f) { return f.WriteInt(-2); }, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"int byte order", [](CxFile& f) { return f.WriteInt(0x01020304); }, {4, 3, 2, 1}},
        {"true", [](CxFile& f) { return f.WriteBool(true); }, {1, 0, 0, 0}},
        {"false", [](CxFile& f) { return f.WriteBool(false); }, {0, 0, 0, 0}},
        {"date", [](CxFile& f) { return f.WriteDouble(39814.0); }, {0, 0, 0, 0, 0xC0, 0x70, 0xE3, 0x40}},
        {"line", [](CxFile& f) { return f.WriteLine("ab c"); }, {'a', 'b', ' ', 'c', '\r', '\n'}},
        {"missing line", [](CxFile& f) { return f.WriteLine(nullptr); }, {'\r', '\n'}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(written(c.write), c.expected) << c.name;
}

TEST(CxFile, ValuesRoundTrip)
{
    TempDir dir;
    const std::string path = dir.file("round.dat");
    const std::string longText(300, 'q');
    {
        CxFile out;
        ASSERT_TRUE(out.Open(path.c_str(), "wb"));
        EXPECT_TRUE(out.WriteString("M\xFCller & Co"));
        EXPECT_TRUE(out.WriteInt(-123456789));
        EXPECT_TRUE(out.WriteDouble(39814.75));
        EXPECT_TRUE(out.WriteDouble(-0.1));
        EXPECT_TRUE(out.WriteBool(true));
        EXPECT_TRUE(out.WriteString(longText.c_str()));
        EXPECT_TRUE(out.WriteInt(INT32_MIN));
        ASSERT_TRUE(out.Close());
    }
    CxFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    char text[64] = {};
    std::int32_t length = 0;
    EXPECT_TRUE(in.ReadString(text, sizeof text, &length));
    EXPECT_STREQ(text, "M\xFCller & Co");
    EXPECT_EQ(length, 11);
    std::int32_t number = 0;
    EXPECT_TRUE(in.ReadInt(&number));
    EXPECT_EQ(number, -123456789);
    double value = 0;
    EXPECT_TRUE(in.ReadDouble(&value));
    EXPECT_EQ(value, 39814.75);
    EXPECT_TRUE(in.ReadDouble(&value));
    EXPECT_EQ(value, -0.1);
    bool flag = false;
    EXPECT_TRUE(in.ReadBool(&flag));
    EXPECT_TRUE(flag);
    char big[301];
    EXPECT_TRUE(in.ReadString(big, sizeof big));
    EXPECT_EQ(std::string(big), longText);
    EXPECT_TRUE(in.ReadInt(&number));
    EXPECT_EQ(number, INT32_MIN);
    EXPECT_FALSE(in.ReadInt(&number));
}

TEST(CxFile, ReadStringKeepsToTheCapacity)
{
    struct Case
    {
        const char* name;
        const char* stored;
        const char* expected;
        std::int32_t length;
    };
    const Case cases[] = {
        {"capacity minus one is kept whole", "1234567", "1234567", 7},
        {"one byte more is cut", "12345678", "1234567", 8},
        {"far longer text is cut", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFG", 26},
        {"empty text leaves the field as it was", "", "keep", 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string path = dir.file("text.dat");
        {
            CxFile out;
            ASSERT_TRUE(out.Open(path.c_str(), "wb"));
            out.WriteString(c.stored);
            out.WriteInt(4242); // must still be read in place after the text
            ASSERT_TRUE(out.Close());
        }
        GuardedText target;
        std::memset(&target, 0x7A, sizeof target);
        std::strcpy(target.field, "keep");
        CxFile in;
        ASSERT_TRUE(in.Open(path.c_str(), "rb"));
        std::int32_t length = -99;
        EXPECT_TRUE(in.ReadString(target.field, sizeof target.field, &length)) << c.name;
        EXPECT_STREQ(target.field, c.expected) << c.name;
        EXPECT_EQ(length, c.length) << c.name;
        for (char g : target.guard)
            ASSERT_EQ(g, 0x7A) << c.name;
        std::int32_t next = 0;
        EXPECT_TRUE(in.ReadInt(&next)) << c.name;
        EXPECT_EQ(next, 4242) << c.name;
    }
}

TEST(CxFile, NegativeStoredLengthLeavesBufferAndReadsOn)
{
    TempDir dir;
    const std::string path = dir.file("negative.dat");
    testutil::writeFile(path, std::string("\xFF\xFF\xFF\xFF\x07\0\0\0", 8));
    char field[8] = "keep";
    std::int32_t length = 0;
    CxFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    EXPECT_TRUE(in.ReadString(field, sizeof field, &length));
    EXPECT_EQ(length, -1);
    EXPECT_STREQ(field, "keep");
    std::int32_t next = 0;
    EXPECT_TRUE(in.ReadInt(&next));
    EXPECT_EQ(next, 7);
}

TEST(CxFile, BooleansFillAdjacentOneByteFields)
{
    TempDir dir;
    const std::string path = dir.file("bools.dat");
    {
        CxFile out;
        ASSERT_TRUE(out.Open(path.c_str(), "wb"));
        out.WriteBool(true);
        out.WriteBool(false);
        out.WriteBool(true);
        ASSERT_TRUE(out.Close());
    }
    bool flags[3] = {false, true, false};
    CxFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    for (bool& flag : flags)
        EXPECT_TRUE(in.ReadBool(&flag));
    EXPECT_TRUE(flags[0]);
    EXPECT_FALSE(flags[1]);
    EXPECT_TRUE(flags[2]);
}

TEST(CxFile, BooleanIsDecidedByTheLowByte)
{
    TempDir dir;
    const std::string path = dir.file("bools.dat");
    testutil::writeFile(path, std::string("\x02\0\0\0"
                                          "\0\x01\0\0"
                                          "\0\0\0\x80",
                                          12));
    const bool expected[] = {true, false, false};
    CxFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    for (bool e : expected) {
        bool flag = !e;
        EXPECT_TRUE(in.ReadBool(&flag));
        EXPECT_EQ(flag, e);
    }
}

TEST(CxFile, TruncatedFileFailsAndLeavesTargetUnchanged)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::function<bool(CxFile&)> read;
    };
    char text[8];
    std::int32_t number;
    double value;
    bool flag;
    const Case cases[] = {
        {"inside a text's length", std::string("\x05\0", 2),
         [&](CxFile& f) { return f.ReadString(text, sizeof text); }},
        {"inside a text", std::string("\x05\0\0\0Sm", 6), [&](CxFile& f) { return f.ReadString(text, sizeof text); }},
        {"inside the cut part of a text", std::string("\x0A\0\0\0ABCDEFGH", 12),
         [&](CxFile& f) { return f.ReadString(text, sizeof text); }},
        {"inside an int", std::string("\x03\0", 2), [&](CxFile& f) { return f.ReadInt(&number); }},
        {"inside a double", std::string("\0\0\0\0\xC0\x70", 6), [&](CxFile& f) { return f.ReadDouble(&value); }},
        {"inside a boolean", std::string("\x01", 1), [&](CxFile& f) { return f.ReadBool(&flag); }},
        {"at the end", std::string(), [&](CxFile& f) { return f.ReadInt(&number); }},
    };
    for (const Case& c : cases) {
        std::strcpy(text, "keep");
        number = 77;
        value = 1.5;
        flag = true;
        TempDir dir;
        const std::string path = dir.file("short.dat");
        testutil::writeFile(path, c.bytes);
        CxFile in;
        ASSERT_TRUE(in.Open(path.c_str(), "rb"));
        EXPECT_FALSE(c.read(in)) << c.name;
        EXPECT_STREQ(text, "keep") << c.name;
        EXPECT_EQ(number, 77) << c.name;
        EXPECT_EQ(value, 1.5) << c.name;
        EXPECT_TRUE(flag) << c.name;
    }
}

// The reads go through a buffer of 64 KB: values and texts that straddle its refills, skips past several
// of them, and a write after reads (which lands where the reads stopped, not where the buffer did).
TEST(CxFile, ReadsAcrossTheReadBufferComeBackWhole)
{
    TempDir dir;
    const std::string path = dir.file("long.dat");
    const std::string text(70000, 't');
    constexpr int kNumbers = 50000;
    {
        CxFile out;
        ASSERT_TRUE(out.Open(path.c_str(), "wb"));
        EXPECT_TRUE(out.WriteString("start"));
        for (int i = 0; i < kNumbers; ++i)
            EXPECT_TRUE(out.WriteInt(i * 7919));
        EXPECT_TRUE(out.WriteDouble(39814.75));
        EXPECT_TRUE(out.WriteString(text.c_str()));
        EXPECT_TRUE(out.WriteString(text.c_str()));
        EXPECT_TRUE(out.WriteInt(-5));
        ASSERT_TRUE(out.Close());
    }
    CxFile in;
    ASSERT_TRUE(in.Open(path.c_str(), "rb"));
    char start[8] = {};
    EXPECT_TRUE(in.ReadString(start, sizeof start));
    EXPECT_STREQ(start, "start");
    bool numbersRight = true;
    for (int i = 0; i < kNumbers; ++i) {
        std::int32_t number = 0;
        numbersRight = in.ReadInt(&number) && number == i * 7919 && numbersRight;
    }
    EXPECT_TRUE(numbersRight);
    double value = 0;
    EXPECT_TRUE(in.ReadDouble(&value));
    EXPECT_EQ(value, 39814.75);
    std::int32_t length = 0;
    EXPECT_TRUE(in.ReadInt(&length));
    std::string read(static_cast<std::size_t>(length), '\0');
    EXPECT_TRUE(in.ReadBytes(read.data(), read.size()));
    EXPECT_EQ(read, text);
    EXPECT_TRUE(in.ReadInt(&length));
    EXPECT_TRUE(in.Skip(static_cast<std::size_t>(length)));
    std::int32_t last = 0;
    EXPECT_TRUE(in.ReadInt(&last));
    EXPECT_EQ(last, -5);
    EXPECT_FALSE(in.ReadBytes(&last, 1));
    EXPECT_FALSE(in.Skip(1));
    EXPECT_TRUE(in.Close());

    // A file opened for update: a write after a read lands right behind what was read.
    testutil::writeFile(path, std::string(100000, 'a'));
    CxFile update;
    ASSERT_TRUE(update.Open(path.c_str(), "r+b"));
    char first[3];
    EXPECT_TRUE(update.ReadBytes(first, sizeof first));
    EXPECT_TRUE(update.WriteInt(0x62626262));
    EXPECT_TRUE(update.Close());
    EXPECT_EQ(testutil::readFile(path).substr(0, 9), "aaabbbbaa");
}

TEST(CxFile, RefusesWithoutStreamOrTarget)
{
    CxFile file;
    char text[8] = "keep";
    std::int32_t number = 5;
    double value = 2.0;
    bool flag = true;
    EXPECT_FALSE(file.ReadString(text, sizeof text));
    EXPECT_FALSE(file.ReadInt(&number));
    EXPECT_FALSE(file.ReadDouble(&value));
    EXPECT_FALSE(file.ReadBool(&flag));
    EXPECT_FALSE(file.WriteString("x"));
    EXPECT_FALSE(file.WriteInt(1));
    EXPECT_FALSE(file.WriteDouble(1.0));
    EXPECT_FALSE(file.WriteBool(true));
    EXPECT_FALSE(file.WriteLine("x"));
    EXPECT_STREQ(text, "keep");
    EXPECT_EQ(number, 5);
    EXPECT_EQ(value, 2.0);
    EXPECT_TRUE(flag);
    EXPECT_TRUE(file.Close());

    TempDir dir;
    const std::string path = dir.file("data.dat");
    testutil::writeFile(path, std::string("\x03\0\0\0abc", 7));
    ASSERT_TRUE(file.Open(path.c_str(), "rb"));
    EXPECT_FALSE(file.ReadString(nullptr, 8));
    EXPECT_FALSE(file.ReadString(text, 0));
    EXPECT_FALSE(file.ReadInt(nullptr));
    EXPECT_FALSE(file.ReadDouble(nullptr));
    EXPECT_FALSE(file.ReadBool(nullptr));
}

TEST(CxFile, OpenRefusesMissingArguments)
{
    TempDir dir;
    const std::string path = dir.file("x.dat");
    const std::string missing = dir.file("missing.dat");
    struct Case
    {
        const char* path;
        const char* mode;
    };
    const Case cases[] = {
        {nullptr, "wb"}, {"", "wb"}, {path.c_str(), nullptr}, {path.c_str(), ""}, {missing.c_str(), "rb"}};
    for (const Case& c : cases) {
        CxFile file;
        EXPECT_FALSE(file.Open(c.path, c.mode)) << (c.path ? c.path : "(null)") << " " << (c.mode ? c.mode : "(null)");
        EXPECT_FALSE(file.IsOpen());
    }
}

TEST(CxFile, FailedWritesAreReported)
{
    TempDir dir;
    const std::string path = dir.file("ro.dat");
    testutil::writeFile(path, "data");
    CxFile file;
    ASSERT_TRUE(file.Open(path.c_str(), "rb"));
    EXPECT_FALSE(file.WriteInt(1));
    EXPECT_FALSE(file.WriteString("Smith"));
    EXPECT_FALSE(file.WriteLine("x"));
    file.Close();

    // A full disk shows only when the buffered bytes are written out; the file that was there stays.
    const std::string target = dir.file("target.dat");
    testutil::writeFile(target, "old");
    ASSERT_TRUE(file.Open(target.c_str(), "wb"));
    platform::setDiskFault(platform::DiskFault::Write, 2);
    EXPECT_TRUE(file.WriteString("Smith"));
    EXPECT_FALSE(file.Close());
    platform::setDiskFault(platform::DiskFault::None);
    EXPECT_EQ(testutil::readFile(target), "old");

    // A file given up, or left unclosed, never takes the path's place.
    for (const bool abandon : {true, false}) {
        CxFile unfinished;
        ASSERT_TRUE(unfinished.Open(target.c_str(), "wb"));
        EXPECT_TRUE(unfinished.WriteString("Smith"));
        if (abandon)
            unfinished.Abandon();
    }
    EXPECT_EQ(testutil::readFile(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

TEST(CxFile, GetFileSize)
{
    TempDir dir;
    const std::string empty = dir.file("empty.dat");
    const std::string some = dir.file("some.dat");
    const std::string missing = dir.file("missing.dat");
    testutil::writeFile(empty, "");
    testutil::writeFile(some, std::string("\x05\0\0\0Smith", 9));
    struct Case
    {
        const char* path;
        long long size;
    };
    const Case cases[] = {{missing.c_str(), -1}, {empty.c_str(), 0}, {some.c_str(), 9},
                          {nullptr, -1},         {"", -1},           {dir.path().c_str(), -1}};
    for (const Case& c : cases)
        EXPECT_EQ(CxFile::GetFileSize(c.path), c.size) << (c.path ? c.path : "(null)");
}

TEST(CxFile, GetFileSizeBeyond32Bits)
{
    TempDir dir;
    const std::string path = dir.file("large.dat");
    testutil::writeFile(path, "");
    // Sparse where the file system allows it, so the test costs no disk space.
    const auto size = static_cast<std::uintmax_t>(5) * 1024 * 1024 * 1024 + 3;
    std::error_code ec;
    std::filesystem::resize_file(path, size, ec);
    if (ec)
        GTEST_SKIP() << "cannot make a file of 5 GiB here: " << ec.message();
    EXPECT_EQ(CxFile::GetFileSize(path.c_str()), static_cast<long long>(size));
}
