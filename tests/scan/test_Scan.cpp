// velloran-scan end to end: the real demo database, the real helpers, the real command.

#include "TestUtil.h"

#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Triple = std::tuple<std::string, std::string, std::string>;

// A command line as a failure message shows it.
std::string Quoted(const std::vector<std::string>& args)
{
    std::string shown;
    for (const std::string& arg : args)
        shown += "'" + arg + "' ";
    return shown;
}

struct Result
{
    int status;
    std::string out;
    std::string err;
};

class ScanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        environment = testutil::privateDataHome(home.path(), dataFolder);
        pad = home.file("Demo.pad");
        ASSERT_EQ(run(VELLORAN_DEMO_DB,
                      {"--pad", pad, "--contacts", "300", "--events", "120", "--tasks", "120", "--notes", "150", "--seed",
                       "7"})
                      .status,
                  0);
    }

    // Runs a program with a data folder of its own where the system allows (see privateDataHome), so
    // that no real settings are touched.
    Result run(const std::string& program, const std::vector<std::string>& args, const std::string& from = "")
    {
        Result result{};
        testutil::RunOptions options;
        options.environment = environment;
        options.workingFolder = from;
        options.out = &result.out;
        options.err = &result.err;
        result.status = testutil::runProgram(program, args, options);
        return result;
    }

    Result scan(const std::vector<std::string>& options)
    {
        std::vector<std::string> args{"--pad", pad, "--user", "Demo", "--password", "demo"};
        args.insert(args.end(), options.begin(), options.end());
        return run(VELLORAN_SCAN, args);
    }

    std::set<Triple> expectedDuplicates()
    {
        std::set<Triple> expected;
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(home.file("Demo.sqlite").c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT kind, record_id, kept_record_id FROM expected_duplicates", -1,
                                     &stmt, nullptr),
                  SQLITE_OK);
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            expected.emplace(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                             reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
                             reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return expected;
    }

    testutil::TempDir home;
    testutil::Environment environment;
    std::string dataFolder;
    std::string pad;
};

std::set<Triple> parseCsv(const std::string& text, std::string* header)
{
    std::set<Triple> rows;
    std::istringstream in(text);
    std::getline(in, *header);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind, id, kept;
        std::getline(fields, kind, ',');
        std::getline(fields, id, ',');
        std::getline(fields, kept, ',');
        rows.emplace(kind, id, kept);
    }
    return rows;
}

TEST_F(ScanTest, FindsExactlyTheDuplicatesTheDemoCreated)
{
    const Result r = scan({"--csv", "--case-insensitive"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string header;
    const std::set<Triple> found = parseCsv(r.out, &header);
    EXPECT_EQ(header, "kind,record_id,kept_record_id");
    const std::set<Triple> expected = expectedDuplicates();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(found, expected);
    for (const char* kind : {"contacts", "calendar", "tasks", "notes"}) {
        EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const Triple& t) { return std::get<0>(t) == kind; }))
            << kind;
    }
}

// The helpers run in the program folder; a PAD path as the user types it is taken in the user's own folder.
TEST_F(ScanTest, RelativePadPathIsTakenInTheCurrentFolder)
{
    const std::string folderName = home.path().substr(home.path().find_last_of("/\\") + 1);
    struct Case
    {
        std::string from; // the current folder
        std::string pad;
    };
    const Case cases[] = {
        {home.path(), "Demo.pad"},
        {home.path(), "./Demo.pad"},
        {home.path() + "/..", folderName + "/Demo.pad"},
        {home.path(), "../" + folderName + "/Demo.pad"},
    };
    const std::set<Triple> expected = expectedDuplicates();
    ASSERT_FALSE(expected.empty());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pad);
        const Result r = run(VELLORAN_SCAN,
                             {"--pad", c.pad, "--user", "Demo", "--password", "demo", "--csv", "--case-insensitive"},
                             c.from);
        ASSERT_EQ(r.status, 0) << r.err;
        std::string header;
        EXPECT_EQ(parseCsv(r.out, &header), expected);
    }
}

// A PAD path made absolute in a deep folder can outgrow what the helpers take: the scan names it and
// stops instead of handing a helper a cut path that names no file.
TEST_F(ScanTest, PadPathTooLongForTheHelpersIsRefusedByName)
{
    const std::string name = "Demo.pad";
    const std::string leaf(256 - home.path().size() - 2 - name.size(), 'd');
    const std::string deep = home.path() + "/" + leaf;
    std::filesystem::create_directories(deep);
    // The database stays where it is: beside the PAD file its path would outgrow what Windows allows.
    testutil::writeFile(deep + "/" + name,
                        "[Database]\r\nFile=" + testutil::nativePath(home.file("Demo.sqlite")) + "\r\n");

    const Result r = run(VELLORAN_SCAN, {"--pad", name, "--user", "Demo", "--password", "demo"}, deep);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("velloran-scan: cannot load the contacts: The PAD file's path is longer than the 255 "
                         "characters the helpers can take (it has "),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find(leaf + testutil::nativePath("/") + name + ". Move the database"), std::string::npos) << r.err;
}

TEST_F(ScanTest, CaseRuleOnlyShrinksAndPlainOutputHasHeadings)
{
    const Result insensitive = scan({"--csv", "--kinds", "contacts,notes"});
    const Result sensitive = scan({"--csv", "--kinds", "contacts,notes", "--case-sensitive"});
    ASSERT_EQ(insensitive.status, 0) << insensitive.err;
    ASSERT_EQ(sensitive.status, 0) << sensitive.err;
    std::string header;
    const std::set<Triple> wide = parseCsv(insensitive.out, &header);
    const std::set<Triple> narrow = parseCsv(sensitive.out, &header);
    EXPECT_LT(narrow.size(), wide.size());
    EXPECT_TRUE(std::includes(wide.begin(), wide.end(), narrow.begin(), narrow.end()));

    const Result plain = scan({"--kinds", "notes"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.out.rfind("Notes: 150 records, ", 0), 0u) << plain.out;
    EXPECT_EQ(plain.out.find("Contacts:"), std::string::npos);
}

// The demo database holds copies that differ from their original by a trailing blank, in every kind:
// --match blanks finds them besides the exact copies, --match none only the exact ones, whatever the
// settings file says.
TEST_F(ScanTest, MatchOptionsOverrideTheSettingsForTheRun)
{
    std::string header;
    const std::set<Triple> exact = expectedDuplicates();
    const auto found = [&](std::vector<std::string> options) {
        options.insert(options.begin(), {"--csv", "--case-insensitive"});
        const Result r = scan(options);
        EXPECT_EQ(r.status, 0) << options.back() << ": " << r.err;
        return parseCsv(r.out, &header);
    };

    EXPECT_EQ(found({"--match", "none"}), exact);
    const std::set<Triple> wide = found({"--match", "blanks"});
    EXPECT_TRUE(std::includes(wide.begin(), wide.end(), exact.begin(), exact.end()));
    for (const char* kind : {"contacts", "calendar", "tasks", "notes"}) {
        const auto ofKind = [&](const std::set<Triple>& rows) {
            return std::count_if(rows.begin(), rows.end(), [&](const Triple& t) { return std::get<0>(t) == kind; });
        };
        EXPECT_GT(ofKind(wide), ofKind(exact)) << kind;
    }
    // The other options find nothing the blanks leave out here; named together they still parse.
    EXPECT_EQ(found({"--match", "phone,blanks,email,punct"}), wide);

    ASSERT_FALSE(dataFolder.empty());
    const std::string settings = dataFolder + "corvane.ini";
    ASSERT_FALSE(std::filesystem::exists(settings)) << "a settings file of another's in the way: " << settings;
    std::filesystem::create_directories(dataFolder);
    testutil::writeFile(settings, "[Velloran]\nMatchBlanks=1\n");
    EXPECT_EQ(found({}), wide);
    EXPECT_EQ(found({"--match", "none"}), exact);
    // On Windows the data folder is the machine's own.
    std::filesystem::remove(settings);
}

TEST_F(ScanTest, WrongPasswordFailsWithTheHelpersReason)
{
    const Result r = run(VELLORAN_SCAN, {"--pad", pad, "--user", "Demo", "--password", "wrong"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot load the contacts"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Login failed"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

TEST_F(ScanTest, BadArgumentsPrintUsage)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--pad", "x", "--user", "y"},
        {"--pad", "x", "--user", "y", "--password", "z", "--kinds", "contacts,people"},
        {"--pad", "x", "--user", "y", "--password", "z", "--case-sensitive", "--case-insensitive"},
        {"--pad", "x", "--user", "y", "--password", "z", "--bogus"},
        {"--pad", "x", "--user", "y", "--password", "z", "--match", "blanks,colour"},
        {"--pad", "x", "--user", "y", "--password", "z", "--match", "none,phone"},
        {"--pad", "x", "--user", "y", "--password", "z", "--match", ""},
        {"--pad", "x", "--user", "y", "--password", "z", "--match"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(Quoted(args));
        const Result r = run(VELLORAN_SCAN, args);
        EXPECT_EQ(r.status, 2);
        EXPECT_NE(r.err.find("usage: velloran-scan"), std::string::npos);
    }
}

// Asked for, the usage is the answer: on standard output, with success, and nothing loaded. Options are
// read in order, so what follows the request does not count, while an error before it still is one.
TEST_F(ScanTest, HelpPrintsUsageOnStandardOutput)
{
    const std::vector<std::vector<std::string>> cases = {
        {"--help"},
        {"-h"},
        {"--pad", pad, "--user", "Demo", "--password", "demo", "--help"},
        {"--help", "--bogus"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(Quoted(args));
        const Result r = run(VELLORAN_SCAN, args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.rfind("usage: velloran-scan", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("--kinds"), std::string::npos);
        EXPECT_EQ(r.out.find("records,"), std::string::npos) << "nothing is loaded";
        EXPECT_EQ(r.err, "");
    }
    const Result error = run(VELLORAN_SCAN, {"--bogus", "--help"});
    EXPECT_EQ(error.status, 2);
    EXPECT_EQ(error.out, "");
    EXPECT_NE(error.err.find("usage: velloran-scan"), std::string::npos);
}

TEST_F(ScanTest, NeverWritesTheSettingsFile)
{
    ASSERT_FALSE(dataFolder.empty());
    ASSERT_FALSE(std::filesystem::exists(dataFolder + "corvane.ini")) << "a settings file of another's in the way";
    ASSERT_EQ(scan({"--kinds", "notes"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(dataFolder + "corvane.ini"));
}

// A write that a crash cut short leaves its temporary file, maybe with a copy of the password: the next
// start removes it, but never one that a running process may still be writing.
TEST_F(ScanTest, StartRemovesTheTemporaryFilesOfEndedProcesses)
{
    ASSERT_FALSE(dataFolder.empty());
    // Made as the program makes it, so that it takes the folder as its own.
    for (std::size_t at = 0; (at = dataFolder.find_first_of("/\\", at + 1)) != std::string::npos;) {
        if (!platform::pathExists(dataFolder.substr(0, at)))
            platform::createPrivateFolder(dataFolder.substr(0, at));
    }
    ASSERT_TRUE(std::filesystem::is_directory(dataFolder));
    const std::string stale = dataFolder + ".ACTAddrParam.dat.2147483644.0.tmp"; // no system gives out that number
    const std::string live = dataFolder + ".corvane.ini." + std::to_string(platform::currentProcessId()) + ".0.tmp";
    testutil::writeFile(stale, "password");
    testutil::writeFile(live, "being written");
    ASSERT_TRUE(std::filesystem::exists(stale));
    ASSERT_EQ(scan({"--kinds", "notes"}).status, 0);
    EXPECT_FALSE(std::filesystem::exists(stale));
    EXPECT_TRUE(std::filesystem::exists(live));
}

} // namespace
