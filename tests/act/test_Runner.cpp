#include "ActTestSupport.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTCommon.h"
#include "misc/CxIniUtil.h"
#include "platform/Process.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <sstream>

#ifdef _WIN32
#include "platform/WindowsApi.h"

#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace acttest;

namespace {

struct ChildRun
{
    int pid = 0;
    std::string cwd;
    int argc = 0;
    std::string argv0;
    std::string argv1;
};

std::vector<ChildRun> readRuns(const std::string& folder)
{
    std::vector<ChildRun> runs;
    std::istringstream in(testutil::readFile(folder + "/child-runs.log"));
    std::string line;
    while (std::getline(in, line)) {
        ChildRun run;
        std::istringstream fields(line);
        std::string pid, argc;
        std::getline(fields, pid, '|');
        std::getline(fields, run.cwd, '|');
        std::getline(fields, argc, '|');
        std::getline(fields, run.argv0, '|');
        std::getline(fields, run.argv1);
        run.pid = std::stoi(pid);
        run.argc = std::stoi(argc);
        runs.push_back(run);
    }
    return runs;
}

// Our own current directory is a fresh folder, so that a helper's program folder can never be
// mistaken for it.
class RunnerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_original = platform::currentDirectory();
        ASSERT_TRUE(testutil::changeDirectory(m_cwd.path()));
        m_runner.SetProgram(kChild);
        m_runner.SetFolder(folder().c_str());
        m_runner.SetParamFile("ACTAddrParam.dat");
        m_runner.SetDataFile("ACTAddr.dat");
    }
    void TearDown() override
    {
        EXPECT_EQ(platform::currentDirectory(), m_cwd.path());
        ASSERT_TRUE(testutil::changeDirectory(m_original));
    }

    std::string folder() const { return m_work.path() + "/"; }
    void control(const std::string& commands) { testutil::writeFile(m_work.file("child-control.txt"), commands); }

    LogCapture m_log;
    testutil::TempDir m_work;
    testutil::TempDir m_cwd;
    std::string m_original;
    CxACTDataReader m_runner;
};

} // namespace

TEST_F(RunnerTest, HelperRunsInTheProgramFolderWithItsCommandLine)
{
    control("marker\n");
    EXPECT_EQ(m_runner.Run(), 0);

    const auto runs = readRuns(m_work.path());
    ASSERT_EQ(runs.size(), 1u);
    std::string programFolder = acttest::programFolder();
    programFolder.pop_back();
    EXPECT_EQ(runs[0].cwd, programFolder);
    EXPECT_EQ(runs[0].argc, 2);
    EXPECT_EQ(runs[0].argv0, kChild);
    EXPECT_EQ(runs[0].argv1, folder() + "ACTAddrParam.dat");

    const std::vector<std::string> expected{
        "Original current directory: " + m_cwd.path(),
        "Set current directory: " + acttest::programFolder(),
        "Executing command: \"" + std::string(kChild) + "\" \"" + folder() + "ACTAddrParam.dat\"",
        "Command executed successfully.",
        "Helper utility program exited successfully.",
    };
    EXPECT_EQ(m_log.messagesFrom("CxACTCommon.cpp"), expected);
}

TEST_F(RunnerTest, HelperStillRunningAfterTheTimeoutIsLeftRunningAndReapedWhenItEnds)
{
    control("marker\nsleep 60\n");
    m_runner.SetWaitTimeout(500);
    const auto started = std::chrono::steady_clock::now();
    m_runner.Run();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_TRUE(m_log.contains("The helper utility program has no response. Got timeout event.", false));

    ASSERT_TRUE(waitFor([&] { return readRuns(m_work.path()).size() == 1; }));
    const int pid = readRuns(m_work.path())[0].pid;
    EXPECT_FALSE(testutil::processGone(pid)) << "the helper must be left running";
    testutil::killProcess(pid);
    // Once it has ended nothing of it stays behind, not even a zombie.
    EXPECT_TRUE(waitFor([&] { return testutil::processGone(pid); }));
}

// The runner takes an exit code for no failure of its own (the data utility weighs it against the helper's
// error file, see LoadRun in test_BaseUtil.cpp): what a helper achieved shows in the files it leaves behind.
TEST_F(RunnerTest, HelperEndingWithAFailureCodeHasEndedLikeAnyOther)
{
    control("marker\nexit 3\n");
    EXPECT_EQ(m_runner.Run(), 0);
    EXPECT_EQ(readRuns(m_work.path()).size(), 1u);
    EXPECT_TRUE(m_log.contains("Helper utility program exited successfully.", false));
    EXPECT_FALSE(m_log.containsPrefix("Got unexpected error", true));
    EXPECT_EQ(m_runner.GetRunFailure(), "");
    EXPECT_EQ(m_runner.GetExitCode(), 3);
}

TEST_F(RunnerTest, MissingHelperIsLoggedAsAFailure)
{
    m_runner.SetProgram("velloran-no-such-helper");
    EXPECT_EQ(m_runner.Run(), 0);
#ifdef _WIN32
    const int missing = 2; // ERROR_FILE_NOT_FOUND
#else
    const int missing = ENOENT;
#endif
    EXPECT_TRUE(m_log.contains("CreateProcess Error: " + platform::systemErrorText(missing), true));
    EXPECT_FALSE(m_log.contains("Command executed successfully.", false));
}

// Files of ours open while a helper starts, even ones opened the way a library might (inheritable, no
// close-on-exec), must not reach it: a helper holding one could keep it from being renamed or deleted.
TEST_F(RunnerTest, HelperInheritsNoneOfOurFiles)
{
    const std::string ours = m_work.file("ours.dat");
    testutil::writeFile(ours, "ours");
    std::FILE* stream = std::fopen(ours.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
#ifdef _WIN32
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE raw =
        ::CreateFileW(platform::wideText(ours).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inheritable, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    const auto streamHandle = static_cast<std::uintptr_t>(::_get_osfhandle(::_fileno(stream)));
    const std::string held = std::to_string(streamHandle) + " " + std::to_string(reinterpret_cast<std::uintptr_t>(raw));
#else
    const int raw = ::open(ours.c_str(), O_RDONLY);
    ASSERT_GE(raw, 0);
    const std::string held;
#endif
    control("handles " + ours + " " + held + "\nmarker\n");
    m_runner.Run();
    std::fclose(stream);
#ifdef _WIN32
    ::CloseHandle(raw);
#else
    ::close(raw);
#endif
    ASSERT_EQ(readRuns(m_work.path()).size(), 1u) << "the helper ran";
    ASSERT_TRUE(platform::pathExists(m_work.file("child-handles.log"))) << "the helper looked";
    EXPECT_EQ(testutil::readFile(m_work.file("child-handles.log")), "");
}

TEST(Runner, DestructorRemovesTheParameterAndDataFileOnly)
{
    testutil::TempDir dir;
    for (const char* name : {"ACTNoteParam.dat", "ACTNote.dat", "ACTNoteErr.dat", "other.dat"})
        testutil::writeFile(dir.file(name), "x");
    {
        CxACTDataReader runner;
        runner.SetFolder((dir.path() + "/").c_str());
        runner.SetParamFile("ACTNoteParam.dat");
        runner.SetDataFile("ACTNote.dat");
        runner.SetParamFile(nullptr); // a missing text changes nothing
    }
    EXPECT_FALSE(platform::pathExists(dir.file("ACTNoteParam.dat")));
    EXPECT_FALSE(platform::pathExists(dir.file("ACTNote.dat")));
    EXPECT_TRUE(platform::pathExists(dir.file("ACTNoteErr.dat")));
    EXPECT_TRUE(platform::pathExists(dir.file("other.dat")));
}

TEST(Runner, EachKindHasOneRunnerForTheProcess)
{
    EXPECT_EQ(&GetHelperRunner(ACTKind::Date), &GetHelperRunner(ACTKind::Date));
    EXPECT_NE(&GetHelperRunner(ACTKind::Date), &GetHelperRunner(ACTKind::Task));
    EXPECT_EQ(GetHelperRunner(ACTKind::Note).GetWaitTimeout(), 1800000u);
}

TEST(ErrorFile, OnlyTheLastReportedErrorIsKept)
{
    struct Case
    {
        const char* name;
        const char* contents; // null: no error file
        bool hasError;
        const char* text;
    };
    const Case cases[] = {
        {"two errors give the second", "[Error]\nError.Count=2\nError.1=first\nError.2=second\n", true, "second"},
        {"count 0 ignores the texts", "[Error]\nError.Count=0\nError.1=first\n", false, ""},
        {"negative count", "[Error]\nError.Count=-1\nError.1=first\n", false, ""},
        {"missing file", nullptr, false, ""},
        {"count without its text", "[Error]\nError.Count=3\nError.1=first\n", true, ""},
    };
    testutil::TempDir dir;
    CxACTAddrUtil util;
    util.SetWorkFolder((dir.path() + "/").c_str());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An error of an earlier run must not survive.
        testutil::writeFile(dir.file("ACTAddrErr.dat"), "[Error]\nError.Count=1\nError.1=old\n");
        util.ReadErrorFile();
        ASSERT_TRUE(util.HasError());
        if (c.contents)
            testutil::writeFile(dir.file("ACTAddrErr.dat"), c.contents);
        else
            platform::removeFile(dir.file("ACTAddrErr.dat"));
        util.ReadErrorFile();
        EXPECT_EQ(util.HasError(), c.hasError);
        EXPECT_STREQ(util.GetErrorText(), c.text);
    }
}

TEST(RunState, DestroyedUtilityAsksOnlyARunningHelperToStop)
{
    struct Case
    {
        const char* name;
        const char* contents; // null: no run-state file
        bool stopWritten;
    };
    const Case cases[] = {
        {"running", "[Status]\nRunning=1\n", true},
        {"running, any nonzero value", "[Status]\nRunning=7\n", true},
        {"not running", "[Status]\nRunning=0\n", false},
        {"no Running key", "[Status]\nOther=1\n", false},
        {"no file", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testutil::TempDir dir;
        const std::string runState = dir.file("ACTAddr.ini");
        if (c.contents)
            testutil::writeFile(runState, c.contents);
        testutil::writeFile(dir.file("ACTAddrStatus.dat"), "Reading contacts: 1 of 2");
        testutil::writeFile(dir.file("ACTAddrErr.dat"), "[Error]\nError.Count=0\n");
        {
            CxACTAddrUtil util;
            util.SetWorkFolder((dir.path() + "/").c_str());
        }
        if (c.stopWritten) {
            CxIniUtil ini((dir.path() + "/").c_str(), "ACTAddr.ini");
            EXPECT_EQ(ini.ReadInt("Status", "Stop", 0), 1);
            EXPECT_NE(ini.ReadInt("Status", "Running", 0), 0) << "Running is the helper's";
        } else if (c.contents) {
            EXPECT_EQ(testutil::readFile(runState), c.contents);
        } else {
            EXPECT_FALSE(platform::pathExists(runState));
        }
        // The progress and error files go with the utility.
        EXPECT_FALSE(platform::pathExists(dir.file("ACTAddrStatus.dat")));
        EXPECT_FALSE(platform::pathExists(dir.file("ACTAddrErr.dat")));
    }
}
