#include "HelperTestSupport.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <utility>

using namespace helpertest;

namespace {

// The fields the default duplicate rules compare, per table; texts fold case, other values are exact.
struct Rule
{
    const char* table;
    std::vector<std::string> texts;
    std::vector<std::string> values;
};

const Rule kRules[] = {
    {"contacts", {"FullName", "FirstName", "MiddleName", "LastName", "BusinessEmail", "PersonalEmail"}, {}},
    {"calendar", {"Regarding"}, {"StartTime", "EndTime", "IsTimeless"}},
    {"tasks", {"Regarding"}, {"Priority", "DueDate"}},
    {"notes", {"NoteText"}, {}},
};

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

const std::string& At(const Table& table, const Row& row, const std::string& column)
{
    const int index = table.Column(column);
    if (index < 0)
        throw std::runtime_error("no column " + column);
    return row[static_cast<std::size_t>(index)];
}

// `trimmed` drops one trailing blank from that text field first.
std::string Key(const Rule& rule, const Table& table, const Row& row, const std::string& trimmed = "")
{
    std::string key;
    for (const std::string& name : rule.texts) {
        std::string text = TextOf(At(table, row, name));
        if (name == trimmed && !text.empty() && text.back() == ' ')
            text.pop_back();
        key += Upper(text) + '\x1f';
    }
    for (const std::string& name : rule.values)
        key += At(table, row, name) + '\x1f';
    return key;
}

std::string ExactKey(const Rule& rule, const Table& table, const Row& row)
{
    std::string key;
    for (const std::string& name : rule.texts)
        key += At(table, row, name) + '\x1f';
    return key + Key(rule, table, row);
}

// Every column but rowid and Record ID.
std::string Content(const Table& table, const Row& row, bool foldCase)
{
    std::string content;
    const int id = table.Column("RecordID");
    for (std::size_t i = 1; i < row.size(); ++i)
        if (static_cast<int>(i) != id)
            content += (foldCase ? Upper(row[i]) : row[i]) + '\x1f';
    return content;
}

struct Flavours
{
    int exact = 0;
    int caseOnly = 0;
    int ignoredField = 0;
    int near = 0;
};

// Runs the pairwise rule over the table in file order and compares its result with the listed
// duplicates: same records, each with the first record it equals.
Flavours ExpectListedDuplicatesMatchTheRules(const std::string& db, const Rule& rule)
{
    SCOPED_TRACE(rule.table);
    const Table table = ReadTable(db, rule.table);
    std::map<std::string, std::size_t> first;
    std::vector<std::pair<std::string, std::string>> found;
    Flavours flavours;
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
        const Row& row = table.rows[i];
        const std::string id = TextOf(At(table, row, "RecordID"));
        const auto [it, added] = first.emplace(Key(rule, table, row), i);
        if (added) {
            // A near copy: equal to an earlier record once its trailing blank goes, yet not a duplicate.
            for (const std::string& name : rule.texts) {
                const std::string text = TextOf(At(table, row, name));
                if (!text.empty() && text.back() == ' ' && first.count(Key(rule, table, row, name)))
                    ++flavours.near;
            }
            continue;
        }
        const Row& kept = table.rows[it->second];
        found.emplace_back(id, TextOf(At(table, kept, "RecordID")));
        if (Content(table, row, false) == Content(table, kept, false))
            ++flavours.exact;
        else if (ExactKey(rule, table, row) == ExactKey(rule, table, kept))
            ++flavours.ignoredField;
        else if (Content(table, row, true) == Content(table, kept, true))
            ++flavours.caseOnly;
    }

    const Table listed = ReadTable(db, "expected_duplicates", std::string("WHERE kind = '") + rule.table + "'");
    std::vector<std::pair<std::string, std::string>> expected;
    for (const Row& row : listed.rows)
        expected.emplace_back(TextOf(At(listed, row, "record_id")), TextOf(At(listed, row, "kept_record_id")));
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(found, expected);
    return flavours;
}

TEST(DemoDb, SameSeedGivesTheSameDatabase)
{
    testutil::TempDir tmp;
    const std::vector<std::string> counts = {"--contacts", "300",     "--events", "120",           "--tasks",
                                             "150",        "--notes", "100",      "--dup-percent", "15"};
    auto make = [&](const std::string& pad, const char* seed) {
        std::vector<std::string> args = {"--pad", pad, "--seed", seed};
        args.insert(args.end(), counts.begin(), counts.end());
        EXPECT_EQ(RunDemo(args), 0);
        return DumpDatabase(std::filesystem::path(pad).replace_extension(".sqlite").string());
    };
    const std::string first = make(tmp.path() + "/a/Demo.pad", "5");
    // Made again over the existing database.
    const std::string again = make(tmp.path() + "/a/Demo.pad", "5");
    const std::string elsewhere = make(tmp.path() + "/b/Other.pad", "5");
    const std::string otherSeed = make(tmp.path() + "/c/Demo.pad", "6");
    EXPECT_EQ(again, first);
    EXPECT_EQ(elsewhere, first);
    EXPECT_NE(otherSeed, first);

    const std::string db = tmp.path() + "/a/Demo.sqlite";
    EXPECT_EQ(IniValue(tmp.path() + "/a/Demo.pad", "Database", "File"), "Demo.sqlite");
    EXPECT_FALSE(std::filesystem::exists(db + ".tmp"));
    EXPECT_EQ(ReadTable(db, "contacts").rows.size(), 300u);
    EXPECT_EQ(ReadTable(db, "calendar").rows.size(), 120u);
    EXPECT_EQ(ReadTable(db, "tasks").rows.size(), 150u);
    EXPECT_EQ(ReadTable(db, "notes").rows.size(), 100u);
    const Table users = ReadTable(db, "users");
    ASSERT_EQ(users.rows.size(), 1u);
    EXPECT_EQ(TextOf(users.rows[0][1]), "Demo");
    EXPECT_EQ(TextOf(users.rows[0][2]), "demo");
}

TEST(DemoDb, ListedDuplicatesAreExactlyThoseTheDefaultRulesFind)
{
    testutil::TempDir tmp;
    const std::string pad = tmp.path() + "/Demo.pad";
    ASSERT_EQ(RunDemo({"--pad", pad, "--contacts", "400", "--events", "400", "--tasks", "400", "--notes", "400",
                       "--dup-percent", "25", "--seed", "3"}),
              0);
    for (const Rule& rule : kRules) {
        const Flavours f = ExpectListedDuplicatesMatchTheRules(tmp.path() + "/Demo.sqlite", rule);
        EXPECT_EQ(ReadTable(tmp.path() + "/Demo.sqlite", "expected_duplicates",
                            std::string("WHERE kind = '") + rule.table + "'")
                      .rows.size(),
                  100u)
            << rule.table;
        EXPECT_GT(f.exact, 0) << rule.table;
        EXPECT_GT(f.caseOnly, 0) << rule.table;
        EXPECT_GT(f.ignoredField, 0) << rule.table;
        EXPECT_GT(f.near, 0) << rule.table;
    }
}

TEST(DemoDb, SmallAndExtremeCountsStayConsistent)
{
    struct Case
    {
        const char* rows;
        const char* percent;
    };
    const Case cases[] = {{"0", "10"}, {"1", "100"}, {"2", "100"}, {"7", "0"}, {"50", "90"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rows) + " rows, " + c.percent + " %");
        testutil::TempDir tmp;
        ASSERT_EQ(RunDemo({"--pad", tmp.path() + "/Demo.pad", "--contacts", c.rows, "--events", c.rows, "--tasks",
                           c.rows, "--notes", c.rows, "--dup-percent", c.percent}),
                  0);
        for (const Rule& rule : kRules) {
            EXPECT_EQ(ReadTable(tmp.path() + "/Demo.sqlite", rule.table).rows.size(),
                      static_cast<std::size_t>(std::stoi(c.rows)));
            ExpectListedDuplicatesMatchTheRules(tmp.path() + "/Demo.sqlite", rule);
        }
    }
}

TEST(DemoDb, BadArgumentsShowTheUsage)
{
    testutil::TempDir tmp;
    const std::string pad = tmp.path() + "/Demo.pad";
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--contacts", "10"},
        {"--pad"},
        {"--pad", pad, "--contacts", "-5"},
        {"--pad", pad, "--events", "12abc"},
        {"--pad", pad, "--tasks", ""},
        {"--pad", pad, "--dup-percent", "101"},
        {"--pad", pad, "--seed", "x"},
        {"--pad", pad, "--user", ""},
        {"--pad", pad, "--colour", "blue"},
        {"--pad", pad, "stray"},
    };
    for (const auto& args : cases) {
        std::string shown;
        for (const std::string& arg : args)
            shown += arg + " ";
        SCOPED_TRACE(shown);
        std::string error;
        EXPECT_EQ(RunDemo(args, &error), 2);
        EXPECT_NE(error.find("usage: velloran-demo-db --pad PATH"), std::string::npos) << error;
        EXPECT_FALSE(std::filesystem::exists(tmp.path() + "/Demo.sqlite"));
    }
}

} // namespace
