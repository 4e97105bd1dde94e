#include "HelperTestSupport.h"

#include "TestUtil.h"
#include "misc/CxFile.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

using namespace helpertest;

namespace {

const KindCase& Contacts()
{
    return kKinds[0];
}

struct Options
{
    std::string user = "Demo";
    std::string password = "demo";
    bool opp = true;
    bool oppNotes = true;
};

class HelperRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_work);
        ASSERT_EQ(RunDemo({"--pad", m_pad, "--contacts", "60", "--events", "40", "--tasks", "80", "--notes", "40",
                           "--dup-percent", "20", "--seed", "7"}),
                  0);
    }

    std::string Name(const KindCase& kind, const char* suffix) const { return std::string("ACT") + kind.tag + suffix; }
    std::string ParamPath(const KindCase& kind) const { return m_work + Name(kind, "Param.dat"); }
    std::string DataPath(const KindCase& kind) const { return m_work + Name(kind, ".dat"); }
    std::string ErrorPath(const KindCase& kind) const { return m_work + Name(kind, "Err.dat"); }
    std::string StatePath(const KindCase& kind) const { return m_work + Name(kind, ".ini"); }
    std::string StatusPath(const KindCase& kind) const { return m_work + Name(kind, "Status.dat"); }

    // The entries in the order the program writes them.
    std::vector<Param> Params(const KindCase& kind, const char* mode, const Options& o) const
    {
        std::vector<Param> params = {
            {1000, m_pad},
            {1001, o.user},
            {1002, o.password},
            {1003, Name(kind, ".dat")},
            {1004, m_work},
            {1005, mode},
            {1006, Name(kind, "Err.dat")},
            {1007, Name(kind, "Status.dat")},
        };
        if (std::strcmp(kind.tag, "Task") == 0) {
            params.push_back({1008, o.opp ? "1" : "0"});
            params.push_back({1009, o.oppNotes ? "1" : "0"});
        }
        params.push_back({1012, m_work});
        params.push_back({1013, ""});
        params.push_back({1014, "3"});
        params.push_back({1015, "1"});
        return params;
    }

    int Run(const KindCase& kind, const char* mode, const Options& o = Options(), const testutil::Environment& env = {})
    {
        WriteParamFile(ParamPath(kind), Params(kind, mode, o));
        return RunHelper(kind, ParamPath(kind), env);
    }

    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

    void ExpectSingleError(const KindCase& kind, const std::string& text, bool prefixOnly = false)
    {
        EXPECT_EQ(IniValue(ErrorPath(kind), "Error", "Error.Count"), "1");
        const std::string error = IniValue(ErrorPath(kind), "Error", "Error.1");
        if (prefixOnly)
            EXPECT_EQ(error.substr(0, text.size()), text) << error;
        else
            EXPECT_EQ(error, text);
    }

    // Loads the kind and returns its records as the program would hold them.
    std::vector<std::vector<unsigned char>> Load(const KindCase& kind)
    {
        std::vector<std::vector<unsigned char>> records;
        EXPECT_EQ(Run(kind, "1"), 0);
        EXPECT_TRUE(ReadDataFile(DataPath(kind), kind, records));
        return records;
    }

    testutil::TempDir m_tmp;
    std::string m_work = m_tmp.path() + "/work/";
    std::string m_pad = m_tmp.path() + "/db/Demo.pad";
    std::string m_db = m_tmp.path() + "/db/Demo.sqlite";
};

class HelperKindTest : public HelperRunTest, public ::testing::WithParamInterface<int>
{
protected:
    const KindCase& Kind() const { return kKinds[GetParam()]; }
};

std::string KindName(const ::testing::TestParamInfo<int>& info)
{
    return kKinds[info.param].name;
}

// Compares one record of the data file with its database row, field by field.
void ExpectRecordMatchesRow(const KindCase& kind, const std::vector<unsigned char>& record, const Table& table,
                            const Row& row)
{
    const FieldTable& fields = kind.fields();
    for (std::size_t i = 0; i < fields.count; ++i) {
        const FieldDesc& f = fields.fields[i];
        const unsigned char* at = record.data() + f.offset;
        if (std::strcmp(f.name, "Action") == 0 || std::strcmp(f.name, "HelperValue") == 0) {
            EXPECT_EQ(FieldInt(kind, record, f.name), 0) << f.name;
            continue;
        }
        const int column = table.Column(f.name);
        ASSERT_GE(column, 0) << "no column " << f.name;
        const std::string& value = row[static_cast<std::size_t>(column)];
        switch (f.type) {
        case FieldType::Text:
            EXPECT_EQ("t:" + FieldText(kind, record, f.name), value) << f.name;
            break;
        case FieldType::Int:
            EXPECT_EQ("i:" + std::to_string(FieldInt(kind, record, f.name)), value) << f.name;
            break;
        case FieldType::Bool:
            EXPECT_EQ(std::string(*reinterpret_cast<const bool*>(at) ? "i:1" : "i:0"), value) << f.name;
            break;
        case FieldType::Date: {
            double stored = 0;
            std::memcpy(&stored, at, sizeof(stored));
            // The exact bits, in the hex form of the table reader.
            static const char digits[] = "0123456789abcdef";
            std::string hex;
            for (std::size_t b = 0; b < sizeof(stored); ++b) {
                const unsigned char byte = reinterpret_cast<const unsigned char*>(&stored)[b];
                hex += digits[byte >> 4];
                hex += digits[byte & 15];
            }
            EXPECT_EQ("f:" + hex, value) << f.name;
            break;
        }
        }
    }
}

TEST_P(HelperKindTest, LoadDeliversEveryRowInFileOrder)
{
    const KindCase& kind = Kind();
    ASSERT_EQ(Run(kind, "1"), 0);

    EXPECT_FALSE(Exists(ErrorPath(kind)));
    EXPECT_FALSE(Exists(DataPath(kind) + ".tmp"));
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Stop"), "0");

    std::vector<std::vector<unsigned char>> records;
    ASSERT_TRUE(ReadDataFile(DataPath(kind), kind, records)) << "data file does not hold whole records";
    const Table table = ReadTable(m_db, kind.table);
    ASSERT_EQ(records.size(), table.rows.size());
    ASSERT_GT(records.size(), 0u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        ExpectRecordMatchesRow(kind, records[i], table, table.rows[i]);
    }

    const std::string total = std::to_string(records.size());
    EXPECT_EQ(testutil::readFile(StatusPath(kind)),
              "Reading " + std::string(kind.noun) + ": " + total + " of " + total + "\r\n");
}

TEST_P(HelperKindTest, TablesHaveAColumnPerStoredField)
{
    const KindCase& kind = Kind();
    const Table table = ReadTable(m_db, kind.table, "WHERE 0");
    std::vector<std::string> expected;
    const FieldTable& fields = kind.fields();
    for (std::size_t i = 0; i < fields.count; ++i)
        if (std::strcmp(fields.fields[i].name, "Action") != 0 && std::strcmp(fields.fields[i].name, "HelperValue") != 0)
            expected.push_back(fields.fields[i].name);
    if (std::strcmp(kind.tag, "Task") == 0)
        expected.push_back("Source");
    EXPECT_EQ(table.columns, expected);
}

TEST_P(HelperKindTest, SubmitDeletesExactlyTheMarkedRecords)
{
    const KindCase& kind = Kind();
    auto records = Load(kind);
    ASSERT_GE(records.size(), 12u);

    std::set<std::string> marked;
    for (std::size_t i = 0; i < records.size(); ++i) {
        switch (i % 4) {
        case 1:
            SetFieldInt(kind, records[i], "Action", 3);
            marked.insert(FieldText(kind, records[i], "RecordID"));
            break;
        case 2:
            // Other header values are the helper's own and never ask for a deletion.
            SetFieldInt(kind, records[i], "Action", static_cast<std::int32_t>(i % 3));
            SetFieldInt(kind, records[i], "HelperValue", 7);
            break;
        default:
            break;
        }
    }
    // A marked record that is no longer in the database is skipped.
    ASSERT_EQ(FieldInt(kind, records[5], "Action"), 3);
    marked.erase(FieldText(kind, records[5], "RecordID"));
    SetFieldText(kind, records[5], "RecordID", "Z-999999");
    ASSERT_TRUE(WriteDataFile(DataPath(kind), kind, records));

    std::vector<Table> before;
    for (const KindCase& k : kKinds)
        before.push_back(ReadTable(m_db, k.table));
    const Table expectedDuplicates = ReadTable(m_db, "expected_duplicates");

    ASSERT_EQ(Run(kind, "2"), 0);
    EXPECT_FALSE(Exists(ErrorPath(kind)));
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");

    for (std::size_t k = 0; k < 4; ++k) {
        const Table after = ReadTable(m_db, kKinds[k].table);
        if (&kKinds[k] != &kind) {
            EXPECT_EQ(after.rows, before[k].rows) << kKinds[k].table;
            continue;
        }
        const int idColumn = before[k].Column("RecordID");
        std::vector<Row> expected;
        for (const Row& row : before[k].rows)
            if (!marked.count(TextOf(row[static_cast<std::size_t>(idColumn)])))
                expected.push_back(row);
        EXPECT_EQ(before[k].rows.size() - expected.size(), marked.size());
        EXPECT_EQ(after.rows, expected);
    }
    EXPECT_EQ(ReadTable(m_db, "expected_duplicates").rows, expectedDuplicates.rows);
}

// A Record ID that a data file cannot carry whole is never cut: a submit of the cut ID would delete the
// record whose ID it then equals, or starts another's. The load is refused, naming the record.
TEST_P(HelperKindTest, RecordIdThatDoesNotFitRefusesTheLoad)
{
    const KindCase& kind = Kind();
    const Table table = ReadTable(m_db, kind.table);
    ASSERT_GE(table.rows.size(), 3u);
    const std::string first = TextOf(table.rows[0][static_cast<std::size_t>(table.Column("RecordID"))]);
    struct Case
    {
        const char* what;
        std::string id;  // given to the third row
        const char* why; // the end of the error, or null when the load succeeds
    };
    const Case cases[] = {
        {"63 bytes fit", std::string(63, 'L'), nullptr},
        {"64 bytes", std::string(64, 'L'), " is 64 bytes long, more than the 63 a data file can carry"},
        {"a zero byte after another record's ID", first + std::string(1, '\0') + "tail", " holds a zero byte"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(m_db.c_str(), &db), SQLITE_OK);
        const std::string sql = std::string("UPDATE ") + kind.table +
                                " SET RecordID = ?1 WHERE rowid = (SELECT rowid FROM " + kind.table +
                                " ORDER BY rowid LIMIT 1 OFFSET 2)";
        sqlite3_stmt* update = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &update, nullptr), SQLITE_OK);
        sqlite3_bind_text(update, 1, c.id.data(), static_cast<int>(c.id.size()), SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(update), SQLITE_DONE);
        sqlite3_finalize(update);
        sqlite3_close(db);

        const int rc = Run(kind, "1");
        if (!c.why) {
            EXPECT_EQ(rc, 0);
            EXPECT_TRUE(Exists(DataPath(kind)));
            continue;
        }
        EXPECT_EQ(rc, 1);
        EXPECT_FALSE(Exists(DataPath(kind)));
        EXPECT_FALSE(Exists(DataPath(kind) + ".tmp"));
        std::string shown = c.id;
        if (const std::size_t zero = shown.find('\0'); zero != std::string::npos)
            shown.replace(zero, 1, "\\0");
        ExpectSingleError(kind, "Cannot read database: " + m_db + ": the Record ID \"" + shown +
                                    "\" (record 3 of the " + kind.noun + ")" + c.why + "; no data file was written.");
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, HelperKindTest, ::testing::Range(0, 4), KindName);

TEST_F(HelperRunTest, TaskRowsFollowTheOpportunityFlags)
{
    const KindCase& tasks = kKinds[2];
    struct Case
    {
        bool opp;
        bool oppNotes;
        const char* where;
    };
    const Case cases[] = {
        {false, false, "WHERE Source = 'todo'"},
        {true, false, "WHERE Source IN ('todo', 'opportunity')"},
        {false, true, "WHERE Source IN ('todo', 'opportunity-note')"},
        {true, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Options o;
        o.opp = c.opp;
        o.oppNotes = c.oppNotes;
        ASSERT_EQ(Run(tasks, "1", o), 0);
        std::vector<std::vector<unsigned char>> records;
        ASSERT_TRUE(ReadDataFile(DataPath(tasks), tasks, records));
        const Table table = ReadTable(m_db, "tasks", c.where);
        std::vector<std::string> expected;
        std::vector<std::string> delivered;
        for (const Row& row : table.rows)
            expected.push_back(TextOf(row[static_cast<std::size_t>(table.Column("RecordID"))]));
        for (const auto& record : records)
            delivered.push_back(FieldText(tasks, record, "RecordID"));
        EXPECT_EQ(delivered, expected);
    }
    // The demo holds all three sources, so the cases above differ.
    EXPECT_GT(ReadTable(m_db, "tasks", "WHERE Source = 'opportunity'").rows.size(), 0u);
    EXPECT_GT(ReadTable(m_db, "tasks", "WHERE Source = 'opportunity-note'").rows.size(), 0u);
}

TEST_F(HelperRunTest, LoginMatchesTheUserInAnyCaseAndThePasswordExactly)
{
    struct Case
    {
        const char* user;
        const char* password;
        bool ok;
    };
    const Case cases[] = {
        {"Demo", "demo", true}, {"dEMO", "demo", true},    {"Demo", "DEMO", false}, {"Demo", "demo ", false},
        {"Demo", "", false},    {"Nobody", "demo", false}, {"", "", false},
    };
    const KindCase& kind = Contacts();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.user) + "/" + c.password);
        // A data file of an earlier run must not be taken for this run's result.
        testutil::writeFile(DataPath(kind), "stale");
        Options o;
        o.user = c.user;
        o.password = c.password;
        const int rc = Run(kind, "1", o);
        if (c.ok) {
            EXPECT_EQ(rc, 0);
            EXPECT_FALSE(Exists(ErrorPath(kind)));
            EXPECT_NE(testutil::readFile(DataPath(kind)), "stale");
        } else {
            EXPECT_EQ(rc, 1);
            ExpectSingleError(kind, "Login failed: unknown user or wrong password.");
            EXPECT_FALSE(Exists(DataPath(kind)));
        }
    }
}

TEST_F(HelperRunTest, UnusableDatabasesAreReported)
{
    const std::string other = m_tmp.path() + "/db/Other.pad";
    struct Case
    {
        const char* name;
        std::string pad;      // written to the PAD path when not empty
        std::string database; // written as the database file when not empty
        std::string error;    // expected Error.1, or its start
        bool prefix;
    };
    const Case cases[] = {
        {"missing PAD file", "", "", "PAD file not found: " + other, false},
        {"PAD without a database", "[Other]\nFile=Demo.sqlite\n", "", "PAD file names no database: " + other, false},
        {"missing database", "[Database]\nFile=Gone.sqlite\n", "",
         "Cannot open database: " + m_tmp.path() + "/db/Gone.sqlite: ", true},
        {"not a database", "[Database]\nFile=Junk.sqlite\n", std::string(4096, 'x'),
         "Cannot open database: " + m_tmp.path() + "/db/Junk.sqlite: ", true},
    };
    const KindCase& kind = Contacts();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(other);
        if (!c.pad.empty())
            testutil::writeFile(other, c.pad);
        if (!c.database.empty())
            testutil::writeFile(m_tmp.path() + "/db/Junk.sqlite", c.database);
        std::vector<Param> params = Params(kind, "1", Options());
        params[0].value = other;
        WriteParamFile(ParamPath(kind), params);
        EXPECT_EQ(RunHelper(kind, ParamPath(kind)), 1);
        ExpectSingleError(kind, c.error, c.prefix);
        EXPECT_FALSE(Exists(DataPath(kind)));
        EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");
    }
}

TEST_F(HelperRunTest, BadParameterFilesAreRejected)
{
    const KindCase& kind = Contacts();
    const std::vector<Param> good = Params(kind, "1", Options());
    auto without = [&](int id) {
        std::vector<Param> params;
        for (const Param& p : good)
            if (p.id != id)
                params.push_back(p);
        return params;
    };
    auto with = [&](int id, const std::string& value) {
        std::vector<Param> params = good;
        for (Param& p : params)
            if (p.id == id)
                p.value = value;
        return params;
    };
    struct Case
    {
        const char* name;
        std::vector<Param> params;
        std::size_t cut; // bytes dropped from the end of the file
        std::string error;
    };
    const std::string damaged = "Parameter file is damaged: " + ParamPath(kind);
    const Case cases[] = {
        {"truncated", good, 3, damaged},
        {"count only", {}, 0, "Parameter 1000 is missing."},
        {"no data file name", without(1003), 0, "Parameter 1003 is missing."},
        {"unknown run mode", with(1005, "7"), 0, "Unknown run mode: 7"},
        {"data file outside the work folder", with(1003, "../ACTAddr.dat"), 0,
         "Parameter 1003 is not a file name: ../ACTAddr.dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(ErrorPath(kind));
        WriteParamFile(ParamPath(kind), c.params);
        if (c.cut)
            std::filesystem::resize_file(ParamPath(kind), std::filesystem::file_size(ParamPath(kind)) - c.cut);
        EXPECT_EQ(RunHelper(kind, ParamPath(kind)), 2);
        // Reported beside the parameter file, where the program looks.
        ExpectSingleError(kind, c.error);
        EXPECT_FALSE(Exists(DataPath(kind)));
        EXPECT_FALSE(Exists(m_tmp.path() + "/ACTAddr.dat"));
    }

    // A parameter of another type than text cannot be skipped safely.
    CxFile file;
    ASSERT_TRUE(file.Open(ParamPath(kind).c_str(), "wb"));
    file.WriteInt(1);
    file.WriteInt(1000);
    file.WriteInt(3);
    file.WriteInt(5);
    file.Close();
    EXPECT_EQ(RunHelper(kind, ParamPath(kind)), 2);
    ExpectSingleError(kind, damaged);

    EXPECT_EQ(testutil::runProgram(kind.helper, {}), 2);
}

TEST_F(HelperRunTest, StaleStopIsClearedAtStart)
{
    const KindCase& kind = Contacts();
    ASSERT_TRUE(WriteIniValue(StatePath(kind), "Status", "Stop", "1"));
    ASSERT_EQ(Run(kind, "1"), 0);
    EXPECT_TRUE(Exists(DataPath(kind)));
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Stop"), "0");
}

// Waits until a run other than `other` has marked itself running; its mark (its process number).
std::string WaitForRunning(const std::string& statePath, const std::string& other = "0")
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string running;
    while (((running = IniValue(statePath, "Status", "Running", "0")) == "0" || running == other) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_NE(running, other) << "helper never marked itself running";
    return running;
}

// Starts a run that waits once it is marked running, asks it to stop, and lets it go on.
int RunAndStop(const std::string& statePath, const std::string& holdPath,
               const std::function<int(const testutil::Environment&)>& run)
{
    int rc = -1;
    std::thread helper([&] { rc = run({{"VELLORAN_HELPER_TEST_HOLD", holdPath}}); });
    WaitForRunning(statePath);
    EXPECT_TRUE(WriteIniValue(statePath, "Status", "Stop", "1"));
    testutil::writeFile(holdPath, "");
    helper.join();
    return rc;
}

// A run that timed out may still be going when the next run of the same helper starts. Each writes its
// files through temporary files of its own, and a Stop asked for before the later run marked itself
// running reaches both instead of being wiped out by the later start.
TEST_F(HelperRunTest, OverlappingRunsShareNoTemporaryFileAndKeepAnEarlierStop)
{
    const KindCase& kind = Contacts();
    const std::size_t expected = ReadTable(m_db, kind.table).rows.size();
    auto leftovers = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_work)) {
            const std::string name = entry.path().filename().string();
            if (name[0] == '.' || name.find(".tmp") != std::string::npos)
                names.push_back(name);
        }
        return names;
    };
    struct Case
    {
        const char* name;
        bool stopBeforeSecond;
        int rc;
    };
    for (const Case& c : {Case{"both finish", false, 0}, Case{"stop asked before the second started", true, 3}}) {
        SCOPED_TRACE(c.name);
        int first = -1;
        int second = -1;
        const std::string holdFirst = m_tmp.file(std::string(c.name) + " first");
        const std::string holdSecond = m_tmp.file(std::string(c.name) + " second");
        std::thread a([&] { first = Run(kind, "1", Options(), {{"VELLORAN_HELPER_TEST_HOLD", holdFirst}}); });
        const std::string firstRun = WaitForRunning(StatePath(kind));
        if (c.stopBeforeSecond) {
            ASSERT_TRUE(WriteIniValue(StatePath(kind), "Status", "Stop", "1"));
        }
        std::thread b([&] { second = Run(kind, "1", Options(), {{"VELLORAN_HELPER_TEST_HOLD", holdSecond}}); });
        WaitForRunning(StatePath(kind), firstRun);
        EXPECT_EQ(IniValue(StatePath(kind), "Status", "Stop", "0"), c.stopBeforeSecond ? "1" : "0");
        // Both go on at once and write the same data file.
        testutil::writeFile(holdFirst, "");
        testutil::writeFile(holdSecond, "");
        a.join();
        b.join();
        EXPECT_EQ(first, c.rc);
        EXPECT_EQ(second, c.rc);
        std::vector<std::vector<unsigned char>> records;
        if (c.rc == 0) {
            EXPECT_TRUE(ReadDataFile(DataPath(kind), kind, records));
            EXPECT_EQ(records.size(), expected);
        } else {
            EXPECT_FALSE(Exists(DataPath(kind)));
        }
        EXPECT_EQ(leftovers(), std::vector<std::string>());
        EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");
    }
    // With no run left going, the old Stop no longer holds back the next one.
    EXPECT_EQ(Run(kind, "1"), 0);
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Stop"), "0");
}

TEST_F(HelperRunTest, StopEndsALoadWithoutADataFile)
{
    const KindCase& kind = Contacts();
    const int rc = RunAndStop(StatePath(kind), m_tmp.file("hold"),
                              [&](const testutil::Environment& env) { return Run(kind, "1", Options(), env); });
    EXPECT_EQ(rc, 3);
    EXPECT_FALSE(Exists(DataPath(kind)));
    EXPECT_FALSE(Exists(DataPath(kind) + ".tmp"));
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");
    ExpectSingleError(kind, "Stopped on request; no data file was written.");
}

TEST_F(HelperRunTest, StopEndsASubmitWithoutDeleting)
{
    const KindCase& kind = Contacts();
    auto records = Load(kind);
    for (auto& record : records)
        SetFieldInt(kind, record, "Action", 3);
    ASSERT_TRUE(WriteDataFile(DataPath(kind), kind, records));
    const std::string before = DumpDatabase(m_db);

    const int rc = RunAndStop(StatePath(kind), m_tmp.file("hold"),
                              [&](const testutil::Environment& env) { return Run(kind, "2", Options(), env); });
    EXPECT_EQ(rc, 3);
    EXPECT_EQ(DumpDatabase(m_db), before);
    EXPECT_EQ(IniValue(StatePath(kind), "Status", "Running"), "0");
    ExpectSingleError(kind, "Stopped on request; nothing was deleted.");
}

TEST_F(HelperRunTest, SubmitOfAnUnreadableFileDeletesNothing)
{
    const KindCase& kind = Contacts();
    const auto loaded = Load(kind);
    ASSERT_FALSE(loaded.empty());
    auto marked = loaded;
    for (auto& record : marked)
        SetFieldInt(kind, record, "Action", 3);

    const std::string data = DataPath(kind);
    const std::string damaged = "Data file is incomplete or damaged: " + data + "; nothing was deleted.";
    struct Case
    {
        const char* name;
        std::function<void()> prepare;
        Options options;
        std::string error;
    };
    auto writeMarked = [&] { ASSERT_TRUE(WriteDataFile(data, kind, marked)); };
    Options wrongPassword;
    wrongPassword.password = "wrong";
    const Case cases[] = {
        {"cut inside the last record",
         [&] {
             writeMarked();
             std::filesystem::resize_file(data, std::filesystem::file_size(data) - 5);
         },
         Options(), damaged},
        {"count larger than the records",
         [&] {
             auto more = marked;
             more.push_back(marked.front());
             ASSERT_TRUE(WriteDataFile(data, kind, more));
             std::filesystem::resize_file(data, std::filesystem::file_size(data) - 100);
         },
         Options(), damaged},
        {"bytes after the last record",
         [&] {
             writeMarked();
             testutil::writeFile(data, testutil::readFile(data) + "xy");
         },
         Options(), damaged},
        {"huge count", [&] { testutil::writeFile(data, std::string("\xff\xff\xff\x7f", 4)); }, Options(), damaged},
        {"no data file", [&] { std::filesystem::remove(data); }, Options(),
         "Cannot read data file: " + data + "; nothing was deleted."},
        {"wrong password", writeMarked, wrongPassword, "Login failed: unknown user or wrong password."},
    };
    const std::string before = DumpDatabase(m_db);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        EXPECT_EQ(Run(kind, "2", c.options), 1);
        ExpectSingleError(kind, c.error);
        EXPECT_EQ(DumpDatabase(m_db), before);
    }
}

} // namespace
