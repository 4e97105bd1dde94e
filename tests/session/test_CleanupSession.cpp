// The cleanup session without a window: loads and deletions against the stand-in helpers and a demo
// database, as the wizard and velloran-scan use it.

#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTAddr.h"
#include "ACT/CxACTBaseUtil.h"
#include "ACT/CxACTCommon.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "core/Apputil.h"
#include "core/CleanupSession.h"
#include "misc/CxList.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// What a run told its watcher, in order.
struct RecordingProgress : WorkProgress
{
    std::vector<std::string> steps;
    std::vector<std::string> files;
    std::vector<std::string> lines;
    std::vector<int> percents;

    void Step(const char* text) override { steps.push_back(text); }
    void WatchFile(const std::string& path) override { files.push_back(path); }
    void Report(const std::string& line, int percent) override
    {
        if (!line.empty())
            lines.push_back(line);
        if (percent >= 0)
            percents.push_back(percent);
    }
};

std::set<std::string> RecordIds(const std::string& dbPath, const char* table)
{
    std::set<std::string> ids;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = std::string("SELECT RecordID FROM \"") + table + "\"";
    EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK);
    while (sqlite3_step(stmt) == SQLITE_ROW)
        ids.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ids;
}

void DeleteRows(const std::string& dbPath, const char* table, const std::vector<std::string>& ids)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    for (const std::string& id : ids) {
        const std::string sql = std::string("DELETE FROM \"") + table + "\" WHERE RecordID = '" + id + "'";
        EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    }
    sqlite3_close(db);
}

// deletions.csv as rows of fields (RFC 4180), without its header, which must be `header`.
std::vector<std::vector<std::string>> DeletionRows(const std::string& path)
{
    const std::string text = testutil::readFile(path);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            row.push_back(std::exchange(field, std::string()));
        else if (!quoted && c == '\n') {
            row.push_back(std::exchange(field, std::string()));
            rows.push_back(std::exchange(row, {}));
        } else
            field += c;
    }
    EXPECT_TRUE(field.empty() && row.empty()) << path << " does not end with a line break";
    EXPECT_FALSE(rows.empty());
    if (rows.empty())
        return rows;
    EXPECT_EQ(rows[0], (std::vector<std::string>{"kind", "record_id", "kept_record_id", "outcome", "reason"}));
    rows.erase(rows.begin());
    return rows;
}

// Key `key` of section Status in a helper's run-state file.
std::string RunStateValue(const std::string& path, const std::string& key)
{
    const std::string text = testutil::readFile(path);
    const std::size_t at = text.find(key + "=");
    if (at == std::string::npos)
        return "0";
    const std::size_t from = at + key.size() + 1;
    return text.substr(from, text.find_first_of("\r\n", from) - from);
}

class CleanupSessionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testutil::useHome(home.path());
        char folder[260] = "";
        ASSERT_TRUE(GetDataFolder(folder));
        dataFolder = folder;
        pad = home.file("Demo.pad");
        db = home.file("Demo.sqlite");
        ASSERT_EQ(testutil::runProgram(VELLORAN_DEMO_DB, {"--pad", pad, "--contacts", "60", "--events", "30",
                                                          "--tasks", "40", "--notes", "30", "--seed", "5"}),
                  0);
        AppSettings = AppSettingsData();
        LoadSettings();
    }

    void TearDown() override
    {
        CleanupSession::SetBeforeLoadHook(nullptr);
        CleanupSession::SetBeforeSubmitHook(nullptr);
    }

    LoadRequest Request(std::int32_t kinds, const std::string& password = "demo") const
    {
        LoadRequest request;
        request.workFolder = dataFolder;
        request.debugFolder = dataFolder;
        request.padPath = pad;
        request.userName = "Demo";
        request.password = password;
        request.kinds = kinds;
        return request;
    }

    // Loads the kinds, groups them, and plans every duplicate for deletion.
    DeletionPlan LoadAndPlanEveryDuplicate(std::int32_t kinds)
    {
        RecordingProgress progress;
        EXPECT_TRUE(session.LoadSelectedKinds(Request(kinds), progress).Loaded());
        DeletionPlan plan;
        for (const RecordKind kind : kAllRecordKinds) {
            if (!IsChosen(kind, kinds))
                continue;
            session.Data().Regroup(kind, AppSettings);
            CxList* list = session.Data().DupList(kind);
            for (void* record = list->GetFirst(); record; record = list->GetNext())
                plan.ticked[kind].push_back(record);
        }
        return plan;
    }

    std::set<std::string> Planned(const DeletionPlan& plan, RecordKind kind) const
    {
        std::set<std::string> ids;
        for (const void* record : plan.ticked[kind])
            ids.insert(testutil::recordIdOf(kind, record));
        return ids;
    }

    testutil::TempDir home;
    std::string dataFolder;
    std::string pad;
    std::string db;
    CleanupSession session;
};

TEST_F(CleanupSessionTest, LoadsOnlyTheChosenKindsAndTellsWhatItLoads)
{
    RecordingProgress progress;
    const LoadOutcome outcome = session.LoadSelectedKinds(Request(KIND_ADDR | KIND_NOTE | 64), progress);

    EXPECT_TRUE(outcome.Loaded()) << outcome.failure;
    EXPECT_EQ(session.Data().AddrUtil()->GetRecordCount(), RecordIds(db, "contacts").size());
    EXPECT_EQ(session.Data().NoteUtil()->GetRecordCount(), RecordIds(db, "notes").size());
    EXPECT_EQ(session.Data().DateUtil()->GetRecordCount(), 0u);
    EXPECT_FALSE(outcome.kinds[RecordKind::Calendar].chosen);
    EXPECT_EQ(progress.steps, std::vector<std::string>({"Loading ACT! Contacts...", "Loading ACT! Notes..."}));
    EXPECT_EQ(progress.files, std::vector<std::string>({dataFolder + "ACTAddrStatus.dat", dataFolder + "ACTNoteStatus.dat"}));
    ASSERT_NE(session.Data().DupList(RecordKind::Contacts), nullptr);
    EXPECT_EQ(session.Data().DupList(RecordKind::Contacts)->GetCount(), 0u) << "lists start empty, grouping fills them";
}

TEST_F(CleanupSessionTest, AFailedLoadSaysWhyPerReasonWithTheKindsItHit)
{
    struct Case
    {
        const char* name;
        LoadRequest request;
        const char* missingHelperFor; // the kind whose helper cannot be found, if any
        std::string failure;
    };
    LoadRequest noFolder = Request(KIND_ADDR);
    noFolder.workFolder.clear();
    const std::string missing = std::string("velloran-no-such-helper") + platform::kExecutableSuffix;
    const Case cases[] = {
        {"no data folder", noFolder, nullptr, "Velloran's data folder cannot be found or created."},
        {"no kind chosen", Request(64), nullptr, "No kind of records is ticked: choose at least one."},
        {"a wrong password fails every kind alike", Request(KIND_ADDR | KIND_NOTE, "wrong"), nullptr,
         "Contacts, Notes: "},
        {"one kind's helper is missing", Request(KIND_ADDR | KIND_DATE | KIND_NOTE), "Calendar",
         "Calendar: The helper " + missing + " cannot be started: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CleanupSession::SetBeforeLoadHook([&c](CxACTBaseUtil& util) {
            if (c.missingHelperFor && util.GetKind() == ACTKind::Date)
                util.SetHelperName("velloran-no-such-helper");
        });
        WorkProgress quiet;
        const LoadOutcome outcome = session.LoadSelectedKinds(c.request, quiet);
        EXPECT_FALSE(outcome.Loaded());
        EXPECT_EQ(outcome.failure.substr(0, c.failure.size()), c.failure) << outcome.failure;
        EXPECT_EQ(outcome.failure.find('\n'), std::string::npos) << "one reason, one line: " << outcome.failure;
        if (c.missingHelperFor) {
            // The kinds after the failed one still load: the user sees every reason at once.
            EXPECT_GT(session.Data().NoteUtil()->GetRecordCount(), 0u);
            EXPECT_TRUE(outcome.kinds[RecordKind::Notes].loaded);
        }
    }
}

// The helpers take a PAD path and a work folder of at most 255 characters; a longer one, cut, names
// another file. It is refused with its path before any helper runs, while one of 255 characters loads.
TEST_F(CleanupSessionTest, APathTooLongForTheHelpersIsRefusedBeforeAnyHelperRuns)
{
    // A PAD file in a folder deep enough that its path has `length` characters, naming the demo database
    // by its full path (a database file beside it would outgrow what Windows allows a path).
    const auto deepPad = [&](std::size_t length) {
        const std::string name = "Demo.pad";
        const std::string folder = home.path() + "/" + std::string(length - home.path().size() - 2 - name.size(), 'd');
        const std::string path = testutil::nativePath(folder + "/" + name);
        EXPECT_EQ(path.size(), length);
        std::filesystem::create_directories(platform::fsPath(folder));
        testutil::writeFile(path, "[Database]\r\nFile=" + testutil::nativePath(db) + "\r\n");
        return path;
    };
    const std::string deepWork =
        testutil::nativePath(home.path() + "/" + std::string(130, 'w') + "/" + std::string(130, 'w') + "/");
    std::error_code ec;
    std::filesystem::create_directories(platform::fsPath(deepWork), ec); // not where the system forbids it

    const std::string longPad = deepPad(256);
    LoadRequest padTooLong = Request(KIND_ADDR | KIND_NOTE);
    padTooLong.padPath = longPad;
    LoadRequest workTooLong = Request(KIND_ADDR | KIND_NOTE);
    workTooLong.workFolder = deepWork;
    struct Case
    {
        const char* name;
        LoadRequest request;
        std::string path; // named in the failure
        int limit;        // work folders leave room for the names of the exchange files
    };
    const Case cases[] = {{"PAD path", padTooLong, longPad, 255}, {"work folder", workTooLong, deepWork, 241}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int helpersAsked = 0;
        CleanupSession::SetBeforeLoadHook([&](CxACTBaseUtil&) { ++helpersAsked; });
        RecordingProgress progress;
        const LoadOutcome outcome = session.LoadSelectedKinds(c.request, progress);
        EXPECT_FALSE(outcome.Loaded());
        EXPECT_NE(outcome.failure.find("longer than the " + std::to_string(c.limit) +
                                       " characters the helpers can take (it has " + std::to_string(c.path.size()) +
                                       "): " + c.path + "."),
                  std::string::npos)
            << outcome.failure;
        EXPECT_EQ(outcome.kinds[RecordKind::Contacts].failure, outcome.failure) << "each chosen kind says why";
        EXPECT_TRUE(outcome.kinds[RecordKind::Calendar].failure.empty());
        EXPECT_EQ(helpersAsked, 0);
        EXPECT_TRUE(progress.steps.empty());
        for (const std::string& folder : {dataFolder, deepWork}) {
            for (const RecordKind kind : kAllRecordKinds) {
                const ACTKindInfo& files = KindInfo(kind).exchange;
                for (const char* name : {files.paramFile, files.runStateFile, files.errorFile, files.statusFile})
                    EXPECT_FALSE(platform::pathExists(folder + name)) << folder + name;
            }
        }
    }
    CleanupSession::SetBeforeLoadHook(nullptr);

    // 255 characters reach the helper whole.
    LoadRequest fits = Request(KIND_ADDR);
    fits.padPath = deepPad(255);
    WorkProgress quiet;
    const LoadOutcome outcome = session.LoadSelectedKinds(fits, quiet);
    EXPECT_TRUE(outcome.Loaded()) << outcome.failure;
    EXPECT_EQ(session.Data().AddrUtil()->GetRecordCount(), RecordIds(db, "contacts").size());
}

TEST_F(CleanupSessionTest, DeletesExactlyThePlannedRecordsAfterBackingThemUp)
{
    const std::int32_t kinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;
    const DeletionPlan plan = LoadAndPlanEveryDuplicate(kinds);
    PerKind<std::set<std::string>> before;
    for (const RecordKind kind : kAllRecordKinds) {
        before[kind] = RecordIds(db, KindInfo(kind).word);
        ASSERT_FALSE(plan.ticked[kind].empty()) << KindInfo(kind).word;
    }

    RecordingProgress progress;
    DeletionOutcome outcome;
    session.Delete(plan, progress, outcome);

    EXPECT_FALSE(outcome.AnyFailed());
    ASSERT_FALSE(outcome.backupFolder.empty());
    for (const RecordKind kind : kAllRecordKinds) {
        SCOPED_TRACE(KindInfo(kind).word);
        const KindDeletion& deletion = outcome.kinds[kind];
        EXPECT_TRUE(deletion.submitted);
        EXPECT_EQ(deletion.marks, static_cast<int>(plan.ticked[kind].size()));
        std::set<std::string> expected = before[kind];
        for (const std::string& id : Planned(plan, kind))
            expected.erase(id);
        EXPECT_EQ(RecordIds(db, KindInfo(kind).word), expected);
        EXPECT_TRUE(std::filesystem::exists(outcome.backupFolder + KindInfo(kind).word + ".csv"));
    }
    // Every planned record, and each deleted.
    std::set<std::string> listed;
    for (const auto& row : DeletionRows(outcome.backupFolder + "deletions.csv")) {
        ASSERT_EQ(row.size(), 5u);
        EXPECT_TRUE(listed.insert(row[0] + "," + row[1]).second) << row[1];
        EXPECT_EQ(row[3], "deleted") << row[1];
        EXPECT_EQ(row[4], "") << row[1];
    }
    std::set<std::string> planned;
    for (const RecordKind kind : kAllRecordKinds) {
        for (const std::string& id : Planned(plan, kind))
            planned.insert(std::string(KindInfo(kind).word) + "," + id);
        for (const KindDeletion::Item& item : outcome.kinds[kind].items)
            EXPECT_EQ(item.result, DeletionResult::Deleted);
    }
    EXPECT_EQ(listed, planned);

    EXPECT_EQ(progress.steps, std::vector<std::string>({"Saving a backup of the records to delete...",
                                                        "Submitting deletion information to ACT! database..."}));
    ASSERT_EQ(progress.lines.size(), 6u);
    EXPECT_EQ(progress.lines[0], "Backup of the records to delete: " + outcome.backupFolder);
    EXPECT_EQ(progress.lines[2], "Submitting " + std::to_string(plan.ticked[0].size()) +
                                     " contact items to the ACT! database ...");
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_EQ(progress.percents.back(), 95);

    std::string error;
    EXPECT_TRUE(session.WriteLog("the log\n", error)) << error;
    EXPECT_EQ(testutil::readFile(outcome.backupFolder + "log.txt"), "the log\n");
}

// The parameter file holds the CRM password in plain text: it lives only while its helper runs, whether
// the run went well or not, and no temporary copy of it stays behind.
TEST_F(CleanupSessionTest, TheParameterFileGoesAsSoonAsItsHelperHasEnded)
{
    const std::int32_t kinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;
    std::vector<std::string> seen;
    CleanupSession::SetBeforeLoadHook([&](CxACTBaseUtil& util) { seen.push_back(util.GetParamFileName()); });
    CleanupSession::SetBeforeSubmitHook([&](CxACTBaseUtil& util) { seen.push_back(util.GetParamFileName()); });
    const auto leftBehind = [&] {
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(dataFolder)) {
            const std::string name = entry.path().filename().string();
            if (name.find("Param") != std::string::npos || name.find(".tmp") != std::string::npos)
                found.push_back(name);
        }
        return found;
    };

    const DeletionPlan plan = LoadAndPlanEveryDuplicate(kinds);
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(leftBehind(), std::vector<std::string>()) << "after a load";

    RecordingProgress progress;
    DeletionOutcome outcome;
    session.Delete(plan, progress, outcome);
    EXPECT_FALSE(outcome.AnyFailed());
    EXPECT_EQ(seen.size(), 8u) << "each kind submitted";
    EXPECT_EQ(leftBehind(), std::vector<std::string>()) << "after a submit";

    WorkProgress quiet;
    EXPECT_FALSE(session.LoadSelectedKinds(Request(KIND_ADDR, "wrong"), quiet).Loaded());
    EXPECT_EQ(leftBehind(), std::vector<std::string>()) << "after a helper that failed";
}

TEST_F(CleanupSessionTest, ARefusedDeletionKeepsEveryRecordAndSaysWhy)
{
    const DeletionPlan plan = LoadAndPlanEveryDuplicate(KIND_ADDR | KIND_NOTE);
    const std::set<std::string> contacts = RecordIds(db, "contacts");
    const std::set<std::string> notes = RecordIds(db, "notes");
    // The CRM refuses the contacts' login at the submit; the notes go through.
    CleanupSession::SetBeforeSubmitHook([](CxACTBaseUtil& util) {
        if (util.GetKind() == ACTKind::Addr)
            util.SetPassword("changed");
    });

    WorkProgress quiet;
    DeletionOutcome outcome;
    session.Delete(plan, quiet, outcome);

    const KindDeletion& refused = outcome.kinds[RecordKind::Contacts];
    EXPECT_FALSE(refused.submitted);
    EXPECT_FALSE(refused.failure.empty());
    for (const KindDeletion::Item& item : refused.items)
        EXPECT_EQ(item.result, DeletionResult::NotDeleted);
    EXPECT_EQ(RecordIds(db, "contacts"), contacts);
    EXPECT_TRUE(outcome.kinds[RecordKind::Notes].submitted);
    EXPECT_LT(RecordIds(db, "notes").size(), notes.size());
    EXPECT_TRUE(outcome.AnyFailed());
}

// After a failed contacts submit a fresh load tells which of them are gone; the notes' submit goes through.
// deletions.csv and the outcome say the same of every record.
TEST_F(CleanupSessionTest, AFailedSubmitIsCheckedByAFreshLoad)
{
    struct Case
    {
        const char* name;
        bool deletesSomeFirst; // the helper got through part of the records before it failed
        bool checkFails;       // the load after it fails too
    };
    const Case cases[] = {
        {"refused, nothing deleted", false, false},
        {"failed after deleting some", true, false},
        {"failed, and the check cannot be made", true, true},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A database of its own for each case.
        const std::string folder = home.file("case" + std::to_string(++number));
        std::filesystem::create_directories(folder);
        pad = folder + "/Demo.pad";
        db = folder + "/Demo.sqlite";
        ASSERT_EQ(testutil::runProgram(VELLORAN_DEMO_DB, {"--pad", pad, "--contacts", "60", "--notes", "30",
                                                          "--seed", "7"}),
                  0);
        CleanupSession::SetBeforeLoadHook(nullptr);
        const DeletionPlan plan = LoadAndPlanEveryDuplicate(KIND_ADDR | KIND_NOTE);
        const std::uint32_t loadedContacts = session.Data().AddrUtil()->GetRecordCount();
        std::vector<std::string> goneFirst;
        for (std::size_t i = 0; c.deletesSomeFirst && i < plan.ticked[RecordKind::Contacts].size(); i += 2)
            goneFirst.push_back(testutil::recordIdOf(RecordKind::Contacts, plan.ticked[RecordKind::Contacts][i]));
        const std::set<std::string> contactsBefore = RecordIds(db, "contacts");

        CleanupSession::SetBeforeSubmitHook([&](CxACTBaseUtil& util) {
            if (util.GetKind() != ACTKind::Addr)
                return;
            DeleteRows(db, "contacts", goneFirst);
            util.SetPassword("changed");
            if (c.checkFails)
                CleanupSession::SetBeforeLoadHook(
                    [](CxACTBaseUtil& reload) { reload.SetHelperName("velloran-no-such-helper"); });
        });
        WorkProgress quiet;
        DeletionOutcome outcome;
        session.Delete(plan, quiet, outcome);

        const KindDeletion& contacts = outcome.kinds[RecordKind::Contacts];
        ASSERT_FALSE(contacts.submitted);
        EXPECT_NE(contacts.failure.find("Login failed"), std::string::npos) << contacts.failure;
        // The submit deleted nothing of its own.
        std::set<std::string> left = contactsBefore;
        for (const std::string& id : goneFirst)
            left.erase(id);
        EXPECT_EQ(RecordIds(db, "contacts"), left);
        EXPECT_EQ(session.Data().AddrUtil()->GetRecordCount(), loadedContacts) << "the check loads on the side";

        std::map<std::string, std::vector<std::string>> rows;
        for (const auto& row : DeletionRows(outcome.backupFolder + "deletions.csv")) {
            ASSERT_EQ(row.size(), 5u);
            if (row[0] == "notes") {
                EXPECT_EQ(row[3], "deleted") << row[1];
            } else {
                rows[row[1]] = row;
            }
        }
        ASSERT_EQ(rows.size(), contacts.items.size());
        for (const KindDeletion::Item& item : contacts.items) {
            const std::string id = testutil::recordIdOf(RecordKind::Contacts, item.record);
            const bool gone = std::find(goneFirst.begin(), goneFirst.end(), id) != goneFirst.end();
            const DeletionResult expected =
                c.checkFails ? DeletionResult::Unknown : gone ? DeletionResult::Deleted : DeletionResult::NotDeleted;
            EXPECT_EQ(item.result, expected) << id;
            EXPECT_EQ(rows[id][3], DeletionResultWord(expected)) << id;
            EXPECT_EQ(rows[id][4], std::string(contacts.Reason(item))) << id;
            if (expected == DeletionResult::Deleted) {
                EXPECT_EQ(rows[id][4], "") << id;
            } else {
                EXPECT_EQ(rows[id][4].rfind(contacts.failure, 0), 0u) << rows[id][4];
            }
            if (expected == DeletionResult::Unknown) {
                EXPECT_NE(rows[id][4].find("could not be checked: The helper velloran-no-such-helper"),
                          std::string::npos)
                    << rows[id][4];
            }
        }
        EXPECT_TRUE(outcome.kinds[RecordKind::Notes].submitted);
    }
}

// A helper past its time-out may still be deleting: no load can say what is left, so every record's
// outcome is unknown, and the helper is asked to stop.
TEST_F(CleanupSessionTest, ASubmitPastItsTimeOutLeavesTheOutcomeUnknownAndAsksTheHelperToStop)
{
    const DeletionPlan plan = LoadAndPlanEveryDuplicate(KIND_ADDR);
    const std::string hold = home.file("hold");
    CxACTDataReader& runner = GetHelperRunner(ACTKind::Addr);
    CleanupSession::SetBeforeSubmitHook([&](CxACTBaseUtil&) {
        testutil::setEnvironment("VELLORAN_HELPER_TEST_HOLD", hold);
        // Long enough for the helper to have marked its run and be held before the wait gives up, also under
        // Wine on a busy machine: a Stop written before a run marks itself is cleared by it as stale.
        runner.SetWaitTimeout(3000);
    });
    int loads = 0;
    CleanupSession::SetBeforeLoadHook([&](CxACTBaseUtil&) { ++loads; });

    WorkProgress quiet;
    DeletionOutcome outcome;
    session.Delete(plan, quiet, outcome);
    testutil::unsetEnvironment("VELLORAN_HELPER_TEST_HOLD");
    runner.SetWaitTimeout(CxACTDataReader::kDefaultWaitTimeout);

    EXPECT_EQ(loads, 0) << "no check while the helper may still run";
    EXPECT_TRUE(platform::pathExists(dataFolder + "ACTAddrParam.dat")) << "the helper may still read it";
    const KindDeletion& contacts = outcome.kinds[RecordKind::Contacts];
    EXPECT_NE(contacts.failure.find("may still be running"), std::string::npos) << contacts.failure;
    for (const KindDeletion::Item& item : contacts.items)
        EXPECT_EQ(item.result, DeletionResult::Unknown);
    const auto rows = DeletionRows(outcome.backupFolder + "deletions.csv");
    ASSERT_EQ(rows.size(), plan.ticked[RecordKind::Contacts].size());
    for (const auto& row : rows) {
        EXPECT_EQ(row[3], "unknown");
        EXPECT_NE(row[4].find("asked to stop"), std::string::npos) << row[4];
    }
    const std::string runState = dataFolder + "ACTAddr.ini";
    EXPECT_EQ(RunStateValue(runState, "Stop"), "1");

    // Let the held helper go: it stops, and deletes nothing.
    const std::set<std::string> before = RecordIds(db, "contacts");
    testutil::writeFile(hold, "go");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (RunStateValue(runState, "Running") != "0" && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(RunStateValue(runState, "Running"), "0");
    EXPECT_EQ(RecordIds(db, "contacts"), before);
}

TEST_F(CleanupSessionTest, WithoutABackupNothingIsSubmitted)
{
    const DeletionPlan plan = LoadAndPlanEveryDuplicate(KIND_ADDR);
    const std::set<std::string> contacts = RecordIds(db, "contacts");
    // A documents folder below a plain file cannot be made.
    testutil::writeFile(home.file("blocker"), "");
    platform::setUserFoldersForTesting(testutil::nativePath(home.path() + "/data"),
                                       testutil::nativePath(home.file("blocker") + "/Documents"));

    WorkProgress quiet;
    DeletionOutcome outcome;
    session.Delete(plan, quiet, outcome);

    EXPECT_FALSE(outcome.backupFailure.empty());
    EXPECT_TRUE(outcome.backupFolder.empty());
    const KindDeletion& contactsRun = outcome.kinds[RecordKind::Contacts];
    EXPECT_FALSE(contactsRun.submitted);
    EXPECT_EQ(contactsRun.failure.rfind("No backup of its records could be written, so nothing was deleted: ", 0), 0u)
        << contactsRun.failure;
    EXPECT_EQ(RecordIds(db, "contacts"), contacts);
}

TEST_F(CleanupSessionTest, AnEmptyPlanTouchesNothing)
{
    LoadAndPlanEveryDuplicate(KIND_ADDR);
    const std::set<std::string> contacts = RecordIds(db, "contacts");
    RecordingProgress progress;
    DeletionOutcome outcome;
    session.Delete(DeletionPlan(), progress, outcome);

    EXPECT_TRUE(outcome.backupFolder.empty()) << "nothing to delete, nothing to back up";
    EXPECT_FALSE(outcome.AnyFailed());
    EXPECT_TRUE(progress.steps.empty());
    EXPECT_EQ(RecordIds(db, "contacts"), contacts);
}

} // namespace
