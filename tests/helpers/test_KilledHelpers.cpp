// The stand-in helper killed (SIGKILL, or TerminateProcess on Windows) at random moments of a large submit
// and of a large load: the database is whole and lost either nothing or exactly the marked rows, and the
// program never takes the run for a success. The moments are random; the seed is printed, and VELLORAN_KILL_SEED repeats a run.

#include "HelperTestSupport.h"
#include "TestUtil.h"

#include "ACT/CxACTAddr.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <set>
#include <thread>

using namespace helpertest;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kContacts = 20000;
constexpr int kMoments = 20;

// A child of ours running the contact helper, and whether it still runs.
int FindHelper(bool* alive)
{
    return testutil::findChildProcess("Corvane.ACTAddrUtil", alive);
}

bool IsAlive(int pid)
{
    bool alive = false;
    return FindHelper(&alive) == pid && alive;
}

// The helper's process number once it has appeared, or -1 when the operation ended first.
int WaitForHelper(const std::atomic<bool>& done)
{
    bool alive = false;
    int pid = -1;
    while (!done && (pid = FindHelper(&alive)) < 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return pid;
}

// Waits for the helper to appear and then for it to end: how long it lived, or zero when it never showed.
Clock::duration WatchHelper(const std::atomic<bool>& done)
{
    const int pid = WaitForHelper(done);
    if (pid < 0)
        return {};
    const Clock::time_point born = Clock::now();
    while (IsAlive(pid))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return Clock::now() - born;
}

// Waits for the helper to appear, lets it run `delay`, and kills it as a user would (SIGKILL; on Windows
// TerminateProcess with the exit code 1 of taskkill /F and the Task Manager, which no exit status tells from
// the helper's own failure). True when the kill met it alive.
bool KillHelperAfter(std::chrono::microseconds delay, const std::atomic<bool>& done)
{
    const int pid = WaitForHelper(done);
    if (pid < 0)
        return false;
    std::this_thread::sleep_for(delay);
    return IsAlive(pid) && testutil::killProcess(pid);
}

std::string IntegrityOf(const std::string& dbPath)
{
    // Read-write, as the next helper opens it: a journal a killed submit left behind is rolled back.
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

std::set<std::string> IdsOf(const std::string& dbPath)
{
    sqlite3* db = nullptr;
    std::set<std::string> ids;
    if (sqlite3_open_v2(dbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT RecordID FROM contacts", -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                ids.insert(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return ids;
}

class KilledHelper : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        const char* fixed = std::getenv("VELLORAN_KILL_SEED");
        s_seed = fixed && *fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : std::random_device{}();
        std::cout << "Kill moments seeded with " << s_seed << " (VELLORAN_KILL_SEED repeats them)" << std::endl;
    }

    void SetUp() override
    {
        pad = dir.file("Demo.pad");
        db = dir.file("Demo.sqlite");
        ASSERT_EQ(RunDemo({"--pad", pad, "--contacts", std::to_string(kContacts), "--events", "0", "--tasks", "0",
                           "--notes", "0"}),
                  0);
        pristine = dir.file("pristine.sqlite");
        std::filesystem::copy_file(db, pristine);
        work = dir.file("work") + "/";
        ASSERT_TRUE(platform::createPrivateFolder(work));
        util.SetWorkFolder(work.c_str());
        util.SetPadName(pad.c_str());
        util.SetUserName("Demo");
        util.SetPassword("demo");
        random.seed(s_seed + static_cast<unsigned>(::testing::UnitTest::GetInstance()->random_seed()));
    }

    void RestoreDatabase()
    {
        ASSERT_TRUE(platform::copyFile(pristine, db));
        std::filesystem::remove(db + "-journal");
    }

    // Runs `operation` with `watch` beside it on another thread, told when the operation is over.
    template <class Watch, class Operation> static auto Beside(Watch watch, Operation operation)
    {
        std::atomic<bool> done{false};
        decltype(watch(done)) seen{};
        std::thread watcher([&] { seen = watch(done); });
        operation();
        done = true;
        watcher.join();
        return seen;
    }

    // Runs `operation` once, untouched, and tells how long its helper lived. The kill moments are drawn
    // from that life, not from the whole operation: the program's own work around the helper would
    // otherwise make a busy machine miss the helper more often than it meets it.
    template <class Operation> Clock::duration HelperLifeOf(Operation operation)
    {
        const Clock::duration life = Beside(WatchHelper, operation);
        std::cout << "The helper lived " << std::chrono::duration_cast<std::chrono::milliseconds>(life).count() << " ms"
                  << std::endl;
        return life;
    }

    // Runs `operation` while another thread kills the helper a random time after it started, up to
    // `longest`. True when the kill met the helper alive.
    template <class Operation> bool KillDuring(Clock::duration longest, Operation operation)
    {
        std::uniform_int_distribution<long long> pick(
            0, std::chrono::duration_cast<std::chrono::microseconds>(longest).count());
        const std::chrono::microseconds delay(pick(random));
        return Beside([delay](const std::atomic<bool>& done) { return KillHelperAfter(delay, done); }, operation);
    }

    static unsigned s_seed;
    testutil::TempDir dir;
    std::string pad;
    std::string db;
    std::string pristine;
    std::string work;
    CxACTAddrUtil util;
    std::mt19937 random;
};

unsigned KilledHelper::s_seed = 0;

TEST_F(KilledHelper, SubmitLosesAllOrNoneOfTheMarkedRowsAndIsNeverASuccess)
{
    ASSERT_TRUE(util.Load()) << util.GetFailureText();
    ASSERT_EQ(static_cast<int>(util.GetManager()->GetEntryCount()), kContacts);
    std::vector<CommAddr*> marked;
    std::set<std::string> markedIds;
    int index = 0;
    for (auto* entry = util.GetManager()->GetFirstEntry(); entry; entry = util.GetManager()->GetNextEntry(), ++index) {
        if (index % 7 == 3) {
            marked.push_back(entry);
            markedIds.insert(entry->pPayload->RecordID);
        }
    }
    const std::set<std::string> before = IdsOf(db);
    std::set<std::string> after;
    for (const std::string& id : before)
        if (!markedIds.count(id))
            after.insert(id);
    auto markAll = [&] {
        for (auto* entry : marked)
            util.MarkForDeletion(entry);
    };

    // Whole runs tell how long the helper of a submit lives, and that it deletes the marked rows. The
    // shorter of two: a first start may be slow (under Wine it loads the system's libraries first).
    Clock::duration life = Clock::duration::max();
    for (int run = 0; run < 2; ++run) {
        ASSERT_NO_FATAL_FAILURE(RestoreDatabase());
        markAll();
        bool submittedWhole = false;
        life = std::min(life, HelperLifeOf([&] { submittedWhole = util.Submit(); }));
        ASSERT_TRUE(submittedWhole) << util.GetFailureText();
        ASSERT_EQ(IdsOf(db), after);
    }

    int landed = 0;
    for (int moment = 0; moment < kMoments; ++moment) {
        SCOPED_TRACE("moment " + std::to_string(moment));
        ASSERT_NO_FATAL_FAILURE(RestoreDatabase());
        markAll();
        bool submitted = false;
        const bool killed = KillDuring(life * 3 / 4, [&] { submitted = util.Submit(); });
        landed += killed ? 1 : 0;

        ASSERT_EQ(IntegrityOf(db), "ok");
        const std::set<std::string> now = IdsOf(db);
        EXPECT_TRUE(now == before || now == after) << now.size() << " rows left of " << before.size();
        if (submitted) {
            // Only a helper that ended before the kill may count as a success, and then it did all.
            EXPECT_EQ(now, after);
        } else {
            EXPECT_NE(util.GetFailureText().find("was killed"), std::string::npos) << util.GetFailureText();
        }
        if (killed && now == before) {
            EXPECT_FALSE(submitted);
        }
    }
    // Most moments fall inside the helper's life; the kill must have met it often enough to mean anything.
    std::cout << "The kill met the helper " << landed << " of " << kMoments << " times" << std::endl;
    EXPECT_GE(landed, kMoments / 2);
}

TEST_F(KilledHelper, LoadNeverTakesAKilledHelpersFileAsComplete)
{
    // The shorter life of two whole runs, as for the submit.
    Clock::duration life = Clock::duration::max();
    for (int run = 0; run < 2; ++run) {
        bool loadedWhole = false;
        life = std::min(life, HelperLifeOf([&] { loadedWhole = util.Load(); }));
        ASSERT_TRUE(loadedWhole) << util.GetFailureText();
    }

    int landed = 0;
    for (int moment = 0; moment < kMoments; ++moment) {
        SCOPED_TRACE("moment " + std::to_string(moment));
        bool loaded = false;
        const bool killed = KillDuring(life * 3 / 4, [&] { loaded = util.Load(); });
        landed += killed ? 1 : 0;
        if (loaded) {
            EXPECT_EQ(static_cast<int>(util.GetManager()->GetEntryCount()), kContacts);
        } else {
            EXPECT_EQ(static_cast<int>(util.GetManager()->GetEntryCount()), 0);
            EXPECT_NE(util.GetFailureText().find("was killed"), std::string::npos) << util.GetFailureText();
        }
    }
    std::cout << "The kill met the helper " << landed << " of " << kMoments << " times" << std::endl;
    EXPECT_GE(landed, kMoments / 2);
}

} // namespace
