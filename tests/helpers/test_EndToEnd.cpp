// The program's side and the stand-in helpers together: the data utilities load from and delete in a
// real demo database through the real helper executables.

#include "HelperTestSupport.h"
#include "TestUtil.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTCommon.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "platform/Platform.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <thread>

using namespace helpertest;

namespace {

std::string hexOf(const void* data, std::size_t size)
{
    std::string out;
    char byte[3];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", static_cast<const unsigned char*>(data)[i]);
        out += byte;
    }
    return out;
}

// A record's field in the form the table dump gives a column.
std::string typedValue(const FieldDesc& f, const void* record)
{
    const auto* at = static_cast<const unsigned char*>(record) + f.offset;
    switch (f.type) {
    case FieldType::Text:
        return "t:" + std::string(RecordText(record, f));
    case FieldType::Int:
        return "i:" + std::to_string(*reinterpret_cast<const std::int32_t*>(at));
    case FieldType::Bool:
        return std::string("i:") + (*reinterpret_cast<const bool*>(at) ? "1" : "0");
    case FieldType::Date:
        return "f:" + hexOf(at, sizeof(double));
    }
    return "?";
}

// A date stored as a whole number comes back from SQLite as an integer.
std::string normalised(const FieldDesc& f, const std::string& value)
{
    if (f.type == FieldType::Date && value.rfind("i:", 0) == 0) {
        const double d = static_cast<double>(std::stoll(value.substr(2)));
        return "f:" + hexOf(&d, sizeof d);
    }
    return value;
}

struct EndToEnd : ::testing::Test
{
    void SetUp() override
    {
        pad = dir.file("Demo.pad");
        db = dir.file("Demo.sqlite");
        ASSERT_EQ(RunDemo({"--pad", pad, "--contacts", "60", "--events", "40", "--tasks", "40", "--notes", "50"}), 0);
        work = dir.file("work") + "/";
        ASSERT_TRUE(platform::createPrivateFolder(work));
    }

    void configure(CxACTBaseUtil& util, const char* password = "demo")
    {
        util.SetWorkFolder(work.c_str());
        util.SetPadName(pad.c_str());
        util.SetUserName("Demo");
        util.SetPassword(password);
        util.SetDebugFolder(work.c_str());
    }

    // Loads a kind and checks every field of every record against its table, in table order.
    template <class Util>
    void expectLoadGivesTheTable(Util& util, const KindCase& kind)
    {
        configure(util);
        ASSERT_TRUE(util.Load());
        const Table table = ReadTable(db, kind.table);
        ASSERT_EQ(util.GetManager()->GetEntryCount(), table.rows.size());
        const FieldTable& fields = kind.fields();
        auto* entry = util.GetManager()->GetFirstEntry();
        for (const Row& row : table.rows) {
            ASSERT_NE(entry, nullptr);
            for (std::size_t i = 2; i < fields.count; ++i) { // Action and HelperValue are not stored
                const FieldDesc& f = fields.fields[i];
                const int column = table.Column(f.name);
                ASSERT_GT(column, 0) << f.name;
                ASSERT_EQ(typedValue(f, entry->pPayload), normalised(f, row[column])) << kind.name << " " << f.name;
            }
            entry = util.GetManager()->GetNextEntry();
        }
    }

    // Marks three records, submits, and checks that exactly they are gone and nothing else changed.
    template <class Util>
    void expectSubmitDeletesExactlyTheMarked(Util& util, const KindCase& kind)
    {
        configure(util);
        ASSERT_TRUE(util.Load());
        const Table before = ReadTable(db, kind.table);
        std::set<std::string> marked;
        int index = 0;
        for (auto* entry = util.GetManager()->GetFirstEntry(); entry; entry = util.GetManager()->GetNextEntry()) {
            if (index == 0 || index == 7 || index == 21) {
                ASSERT_TRUE(util.MarkForDeletion(entry));
                marked.insert(entry->pPayload->RecordID);
            }
            ++index;
        }
        ASSERT_EQ(marked.size(), 3u);
        ASSERT_TRUE(util.Submit());

        const Table after = ReadTable(db, kind.table);
        const int idColumn = before.Column("RecordID");
        std::vector<Row> kept;
        for (const Row& row : before.rows) {
            if (!marked.count(TextOf(row[idColumn])))
                kept.push_back(row);
        }
        EXPECT_EQ(after.rows, kept) << kind.name;
    }

    testutil::TempDir dir;
    std::string pad;
    std::string db;
    std::string work;
};

TEST_F(EndToEnd, LoadGivesExactlyTheDatabasesRecords)
{
    {
        CxACTAddrUtil util;
        expectLoadGivesTheTable(util, kKinds[0]);
    }
    {
        CxACTDateUtil util;
        expectLoadGivesTheTable(util, kKinds[1]);
    }
    {
        CxACTTaskUtil util;
        util.SetOpp(true);
        util.SetOppNotes(true);
        expectLoadGivesTheTable(util, kKinds[2]);
    }
    {
        CxACTNoteUtil util;
        expectLoadGivesTheTable(util, kKinds[3]);
    }
}

TEST_F(EndToEnd, SubmitDeletesExactlyTheMarkedRecords)
{
    const std::string otherTablesBefore = DumpDatabase(db);
    {
        CxACTAddrUtil util;
        expectSubmitDeletesExactlyTheMarked(util, kKinds[0]);
    }
    {
        CxACTDateUtil util;
        expectSubmitDeletesExactlyTheMarked(util, kKinds[1]);
    }
    {
        CxACTTaskUtil util;
        util.SetOpp(true);
        util.SetOppNotes(true);
        expectSubmitDeletesExactlyTheMarked(util, kKinds[2]);
    }
    {
        CxACTNoteUtil util;
        expectSubmitDeletesExactlyTheMarked(util, kKinds[3]);
    }
    EXPECT_EQ(ReadTable(db, "users").rows.size(), 1u);
    EXPECT_NE(DumpDatabase(db), otherTablesBefore);
}

// Every kind as the helper delivers it is written back byte for byte. The kinds are large enough that
// their records and texts fill several blocks, large pages included.
template <class Util> std::string writtenBack(const std::string& pad, const std::string& work, Util& util)
{
    util.SetWorkFolder(work.c_str());
    util.SetPadName(pad.c_str());
    util.SetUserName("Demo");
    util.SetPassword("demo");
    if (!util.Load())
        return "load failed: " + util.GetFailureText();
    const std::string delivered = testutil::readFile(work + util.GetDataFileName());
    if (delivered.size() < 4 * 1024 * 1024)
        return "the file is too small to fill several blocks";
    if (!util.WriteDataFile("again.dat"))
        return "write failed";
    return testutil::readFile(work + "again.dat") == delivered ? std::string() : "the bytes differ";
}

TEST(DemoRoundTrip, EveryKindIsWrittenBackByteForByte)
{
    testutil::TempDir dir;
    const std::string pad = dir.file("Demo.pad");
    ASSERT_EQ(
        RunDemo({"--pad", pad, "--contacts", "8000", "--events", "25000", "--tasks", "25000", "--notes", "25000"}), 0);
    const std::string work = dir.file("work") + "/";
    ASSERT_TRUE(platform::createPrivateFolder(work));
    {
        CxACTAddrUtil util;
        EXPECT_EQ(writtenBack(pad, work, util), "") << "contacts";
    }
    {
        CxACTDateUtil util;
        EXPECT_EQ(writtenBack(pad, work, util), "") << "calendar";
    }
    {
        CxACTTaskUtil util;
        util.SetOpp(true);
        util.SetOppNotes(true);
        EXPECT_EQ(writtenBack(pad, work, util), "") << "tasks";
    }
    {
        CxACTNoteUtil util;
        EXPECT_EQ(writtenBack(pad, work, util), "") << "notes";
    }
}

TEST_F(EndToEnd, WrongPasswordFailsTheLoadWithTheHelpersError)
{
    CxACTNoteUtil util;
    configure(util, "wrong");
    EXPECT_FALSE(util.Load());
    EXPECT_TRUE(util.HasError());
    EXPECT_NE(std::strstr(util.GetErrorText(), "Login failed"), nullptr) << util.GetErrorText();
    EXPECT_EQ(util.GetManager()->GetEntryCount(), 0u);
}

// A Stop left in the run-state file by a run that has ended, whose number may since have gone to another
// process, does not stop the next load; one aimed at a run that is still alive stays and stops it.
TEST_F(EndToEnd, AStopNoLivingRunOwnsIsClearedWhileALivingRunsIsKept)
{
    // A helper started with nothing to do ends at once: its number is one of a run that has ended.
    platform::ChildProcess child;
    const std::string helper = kKinds[0].helper;
    ASSERT_EQ(platform::startProcess(helper, {helper}, dir.path(), child), 0);
    const unsigned long ended = platform::processId(child);
    const unsigned long long endedStart = platform::processStartTime(ended);
    platform::waitProcess(child, 30000);
    platform::releaseProcess(child);
    ASSERT_FALSE(platform::processExists(ended));
    // This test's own process stands for one that was given a dead run's number, or for a run still alive.
    const unsigned long self = platform::currentProcessId();
    const unsigned long long selfStart = platform::processStartTime(self);
    ASSERT_NE(selfStart, 0u);

    struct Case
    {
        const char* name;
        std::string status; // the run-state file's section, besides Stop=1
        bool stops;
    };
    const Case cases[] = {
        {"a run that has ended", "Running=" + std::to_string(ended) + "\nStarted=" + std::to_string(endedStart), false},
        {"its number given to another process",
         "Running=" + std::to_string(self) + "\nStarted=" + std::to_string(selfStart + 1), false},
        {"marked by the program, not by a run", "Running=1", false},
        {"the run's number alone, long ended", "Running=" + std::to_string(ended), false},
        {"a run still alive", "Running=" + std::to_string(self) + "\nStarted=" + std::to_string(selfStart), true},
    };
    const std::size_t contacts = ReadTable(db, "contacts").rows.size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testutil::writeFile(work + "ACTAddr.ini", "[Status]\nStop=1\n" + c.status + "\n");
        CxACTAddrUtil util;
        configure(util);
        const bool loaded = util.Load();
        if (c.stops) {
            EXPECT_FALSE(loaded);
            EXPECT_NE(util.GetFailureText().find("Stopped on request"), std::string::npos) << util.GetFailureText();
            EXPECT_EQ(IniValue(work + "ACTAddr.ini", "Status", "Stop"), "1");
        } else {
            EXPECT_TRUE(loaded) << util.GetFailureText();
            EXPECT_EQ(util.GetRecordCount(), contacts);
            EXPECT_EQ(IniValue(work + "ACTAddr.ini", "Status", "Stop"), "0");
        }
        EXPECT_EQ(IniValue(work + "ACTAddr.ini", "Status", "Running"), "0");
    }
}

// A helper still running when the wait gives up is asked to stop when its utility goes, and it ends
// without leaving a data file.
TEST_F(EndToEnd, StopRequestOnDestructionEndsARunningHelper)
{
    const std::string hold = dir.file("hold");
    testutil::setEnvironment("VELLORAN_HELPER_TEST_HOLD", hold);
    CxACTDataReader& runner = GetHelperRunner(ACTKind::Addr);
    // Long enough for the helper to have marked its run before the wait gives up, also under Wine on a
    // busy machine: a Stop written before a run marks itself is one no living run owns, and it clears it.
    runner.SetWaitTimeout(3000);
    {
        CxACTAddrUtil util;
        configure(util);
        EXPECT_FALSE(util.Load());
    }
    testutil::unsetEnvironment("VELLORAN_HELPER_TEST_HOLD");
    runner.SetWaitTimeout(1800000);
    EXPECT_EQ(IniValue(work + "ACTAddr.ini", "Status", "Stop"), "1");
    testutil::writeFile(hold, "go");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (IniValue(work + "ACTAddr.ini", "Status", "Running", "0") != "0" &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(IniValue(work + "ACTAddr.ini", "Status", "Running", "0"), "0");
    EXPECT_FALSE(platform::pathExists(work + "ACTAddr.dat"));
    EXPECT_NE(IniValue(work + "ACTAddrErr.dat", "Error", "Error.1").find("Stopped on request"), std::string::npos);
}

} // namespace
