#include "ActTestSupport.h"

#include "ACT/CxACTParamParser.h"

using namespace acttest;

namespace {

std::string entryBytes(std::int32_t id, const std::string& value)
{
    return le32(id) + le32(8) + text(value);
}


} // namespace

TEST(ParamParser, EmptyValueAndRunModeEntriesAreByteExact)
{
    testutil::TempDir dir;
    CxACTParamParser parser;
    ASSERT_TRUE(parser.SetParam(PARAM_PASSWORD, PARAM_TYPE_TEXT, ""));
    ASSERT_TRUE(parser.SetParam(PARAM_RUN_MODE, PARAM_TYPE_TEXT, "1"));
    ASSERT_TRUE(parser.WriteParamFile(dir.file("p.dat").c_str()));

    EXPECT_EQ(testutil::readFile(dir.file("p.dat")),
              bytesOf({0x02, 0, 0, 0}) + bytesOf({0xEA, 0x03, 0, 0, 0x08, 0, 0, 0, 0, 0, 0, 0}) +
                  bytesOf({0xED, 0x03, 0, 0, 0x08, 0, 0, 0, 0x01, 0, 0, 0, 0x31}));
}

TEST(ParamParser, SetParamRules)
{
    CxACTParamParser parser;
    EXPECT_FALSE(parser.SetParam(PARAM_PAD_NAME, PARAM_TYPE_TEXT, nullptr));
    EXPECT_EQ(parser.GetCount(), 0u);

    ASSERT_TRUE(parser.SetParam(PARAM_RUN_MODE, PARAM_TYPE_TEXT, "1"));
    ASSERT_TRUE(parser.SetParam(PARAM_PASSWORD, PARAM_TYPE_TEXT, "secret"));
    // The same identifier again keeps one entry in its first position, with the last value.
    ASSERT_TRUE(parser.SetParam(PARAM_RUN_MODE, PARAM_TYPE_TEXT, "2"));
    // Another type for an existing identifier is refused and changes nothing.
    EXPECT_FALSE(parser.SetParam(PARAM_RUN_MODE, 3, "7"));

    testutil::TempDir dir;
    ASSERT_TRUE(parser.WriteParamFile(dir.file("p.dat").c_str()));
    const auto entries = readParams(dir.file("p.dat"));
    const decltype(entries) expected{{PARAM_RUN_MODE, "2"}, {PARAM_PASSWORD, "secret"}};
    EXPECT_EQ(entries, expected);
    ASSERT_NE(parser.FindParam(PARAM_RUN_MODE), nullptr);
    EXPECT_EQ(parser.FindParam(PARAM_RUN_MODE)->Type, PARAM_TYPE_TEXT);
    EXPECT_EQ(parser.FindParam(PARAM_OPP), nullptr);

    parser.ClearParams();
    EXPECT_EQ(parser.GetCount(), 0u);
}

TEST(ParamParser, ValuesAreCutTo1023Characters)
{
    testutil::TempDir dir;
    CxACTParamParser parser(dir.file("p.dat").c_str());
    const std::string longValue(2000, 'x');
    ASSERT_TRUE(parser.SetParam(PARAM_PAD_NAME, PARAM_TYPE_TEXT, longValue.c_str()));
    ASSERT_TRUE(parser.WriteParamFile());
    const auto entries = readParams(dir.file("p.dat"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].second, std::string(1023, 'x'));
}

TEST(ParamParser, FileIsReadableByItsOwnerOnlyAlsoWhenAnOlderOneWasNot)
{
    testutil::TempDir dir;
    const std::string path = dir.file("p.dat");
    testutil::writeFile(path, "old contents, longer than the new file will be");
    testutil::makeReadableByAll(path);
    ASSERT_FALSE(testutil::ownerOnly(path));

    CxACTParamParser parser;
    parser.SetParam(PARAM_PASSWORD, PARAM_TYPE_TEXT, "secret");
    ASSERT_TRUE(parser.WriteParamFile(path.c_str()));
    EXPECT_TRUE(testutil::ownerOnly(path));
    EXPECT_EQ(testutil::readFile(path), le32(1) + entryBytes(PARAM_PASSWORD, "secret"));
}

TEST(ParamParser, UnwritablePathFails)
{
    testutil::TempDir dir;
    CxACTParamParser parser;
    parser.SetParam(PARAM_PASSWORD, PARAM_TYPE_TEXT, "x");
    EXPECT_FALSE(parser.WriteParamFile(dir.file("missing/p.dat").c_str()));
    EXPECT_FALSE(CxACTParamParser().WriteParamFile(nullptr));
}
