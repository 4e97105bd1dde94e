#include "ActTestSupport.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTParamParser.h"
#include "ACT/CxACTTask.h"
#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#endif

using namespace acttest;

namespace {

// A kind's utility whose helper is the test child, working in a fresh folder.
class FakeHelper
{
public:
    explicit FakeHelper(std::unique_ptr<CxACTBaseUtil> utility) : util(std::move(utility))
    {
        util->SetHelperName(kChildHelperName);
        util->SetWorkFolder(folder().c_str());
        util->SetDebugFolder(folder().c_str());
        util->SetDebugEnabled(true);
        util->SetPadName("/data/Demo.pad");
        util->SetUserName("Chris");
    }

    std::string folder() const { return dir.path() + "/"; }
    std::string path(const std::string& name) const { return dir.file(name); }
    std::string dataPath() const { return path(util->GetDataFileName()); }

    // Every run keeps a copy of the parameter file it was handed: the file itself goes once the run ends.
    void control(const std::string& commands) const
    {
        testutil::writeFile(path("child-control.txt"),
                            "copy " + path(util->GetParamFileName()) + " " + path("params-seen.dat") + "\n" + commands);
    }
    // The helper's next runs deliver these bytes as the data file.
    void deliver(const std::string& bytes) const
    {
        testutil::writeFile(path("delivered.dat"), bytes);
        control("marker\ncopy " + path("delivered.dat") + " " + dataPath() + "\n");
    }
    std::vector<std::string> runs() const
    {
        std::vector<std::string> lines;
        std::ifstream in(path("child-runs.log"));
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    std::map<std::int32_t, std::string> params() const
    {
        std::map<std::int32_t, std::string> byId;
        for (const auto& [id, value] : readParams(path("params-seen.dat")))
            byId[id] = value;
        return byId;
    }

    testutil::TempDir dir;
    std::unique_ptr<CxACTBaseUtil> util;
};

std::string twoContacts()
{
    testutil::TempDir dir;
    CxACTAddrUtil source;
    source.SetWorkFolder((dir.path() + "/").c_str());
    auto contact = std::make_unique<ContactRecord>();
    fillRecord(ContactFields(), contact.get(), 0, false);
    contact->HelperValue = 41;
    source.AppendRecord(contact.get());
    // The same length: both records take the same room.
    contact->RecordID = testutil::keep("second" + std::string(contact->RecordID).substr(6));
    source.AppendRecord(contact.get());
    source.WriteDataFile(nullptr);
    return testutil::readFile(dir.file("ACTAddr.dat"));
}

std::string paramEntry(std::int32_t id, const std::string& value)
{
    return le32(id) + le32(8) + text(value);
}

CxACTAddrUtil& addr(FakeHelper& f)
{
    return static_cast<CxACTAddrUtil&>(*f.util);
}

} // namespace

TEST(LoadRun, ContactParameterFileIsByteExact)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    f.deliver(le32(0));
    ASSERT_TRUE(f.util->Load());

    const std::string folder = f.folder();
    const std::string expected = le32(12) + paramEntry(1000, "/data/Demo.pad") + paramEntry(1001, "Chris") +
                                 paramEntry(1002, "") + paramEntry(1003, "ACTAddr.dat") + paramEntry(1004, folder) +
                                 paramEntry(1005, "1") + paramEntry(1006, "ACTAddrErr.dat") +
                                 paramEntry(1007, "ACTAddrStatus.dat") + paramEntry(1012, folder) +
                                 paramEntry(1013, "") + paramEntry(1014, "3") + paramEntry(1015, "1");
    const std::string bytes = testutil::readFile(f.path("params-seen.dat"));
    EXPECT_EQ(bytes, expected);
    EXPECT_FALSE(platform::pathExists(f.path("ACTAddrParam.dat"))) << "it goes with its helper's run";
    EXPECT_EQ(bytes.substr(0, 4), bytesOf({0x0C, 0, 0, 0}));
}

TEST(LoadRun, TaskRunSendsOppSettingsBetweenProgressFileAndDebugFolder)
{
    LogCapture log;
    auto task = std::make_unique<CxACTTaskUtil>();
    task->SetOpp(true);
    task->SetOppNotes(false);
    FakeHelper f(std::move(task));
    f.deliver(le32(0));
    ASSERT_TRUE(f.util->Load());

    std::vector<std::int32_t> ids;
    for (const auto& entry : readParams(f.path("params-seen.dat")))
        ids.push_back(entry.first);
    const std::vector<std::int32_t> expected{1000, 1001, 1002, 1003, 1004, 1005, 1006,
                                             1007, 1008, 1009, 1012, 1013, 1014, 1015};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(f.params()[1008], "1");
    EXPECT_EQ(f.params()[1009], "0");
}

// A cut path names another file: a path the helpers cannot take whole is refused, and no helper runs
// until one that fits is set. A PAD path of 255 characters still fits; a work folder must leave room for
// a separator and the longest exchange file name ("ACTNoteStatus.dat") within 259 characters.
TEST(LoadRun, PathTooLongForTheHelpersIsRefusedNotCut)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTNoteUtil>());
    f.deliver(le32(0));
    const std::string fits = "/" + std::string(254, 'p');
    ASSERT_TRUE(f.util->SetPadName(fits.c_str()));
    ASSERT_TRUE(f.util->Load());
    EXPECT_EQ(f.params()[1000], fits);
    ASSERT_EQ(f.runs().size(), 1u);

    const std::string folder = f.folder();
    const auto folderOf = [&](std::size_t length) {
        return folder + std::string(length - folder.size() - 1, 'w') + "/";
    };
    EXPECT_TRUE(f.util->SetWorkFolder(folderOf(241).c_str()));
    struct Case
    {
        const char* what;
        bool pad;
        std::string path;
        std::size_t limit;
    };
    const Case cases[] = {
        {"PAD path", true, "/" + std::string(299, 'p'), 255},
        {"PAD path one too long", true, "/" + std::string(255, 'p'), 255},
        {"work folder", false, folderOf(300), 241},
        {"work folder whose status file would not fit", false, folderOf(242), 241},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(f.util->SetPadName(fits.c_str()));
        ASSERT_TRUE(f.util->SetWorkFolder(folder.c_str()));
        std::filesystem::remove(f.path("ACTNoteParam.dat"));
        EXPECT_FALSE(c.pad ? f.util->SetPadName(c.path.c_str()) : f.util->SetWorkFolder(c.path.c_str()));
        EXPECT_EQ(std::string(f.util->GetPadName()), fits) << "the field keeps what it held";
        EXPECT_EQ(std::string(f.util->GetWorkFolder()), folder);
        EXPECT_FALSE(f.util->Load());
        EXPECT_EQ(f.runs().size(), 1u) << "no helper ran";
        EXPECT_FALSE(std::filesystem::exists(f.path("ACTNoteParam.dat")));
        const std::string failure = f.util->GetFailureText();
        EXPECT_EQ(failure, std::string(c.pad ? "The PAD file's path" : "The work folder") + " is longer than the " +
                               std::to_string(c.limit) + " characters the helpers can take (it has " +
                               std::to_string(c.path.size()) + "): " + c.path + ".");
        EXPECT_TRUE(log.contains(failure, true)) << "logged as it is refused";
    }
    // A refusal lasts until its own field gets a path that fits.
    EXPECT_TRUE(f.util->SetPadName(fits.c_str()));
    EXPECT_FALSE(f.util->Load()) << "the work folder is still refused";
    EXPECT_EQ(f.util->GetFailureText().rfind("The work folder", 0), 0u) << f.util->GetFailureText();
    EXPECT_TRUE(f.util->SetWorkFolder(folder.c_str()));
    EXPECT_TRUE(f.util->Load());
    EXPECT_EQ(f.runs().size(), 2u);
}

#ifdef _WIN32
// The helpers take paths in the system's code page. A PAD file in a folder whose name the code page cannot
// spell reaches them by its short 8.3 name, which names the same file; a missing one has no short name and
// is refused before any helper runs, never handed over with "?" in place of its letters.
TEST(LoadRun, APathOutsideTheCodePageGoesByItsShortName)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTNoteUtil>());
    f.deliver(le32(0));
    const std::string folder = f.folder() + "\xD0\x9F\xD1\x91\xD1\x82\xD1\x80"; // a Cyrillic name
    std::filesystem::create_directory(platform::fsPath(folder));
    const std::string pad = folder + "\\Demo.pad";
    ASSERT_TRUE(platform::SaveWholeFile(pad, "[Database]\r\n"));
    ASSERT_TRUE(f.util->SetPadName(pad.c_str()));
    ASSERT_TRUE(f.util->Load()) << f.util->GetFailureText();
    const std::string handed = f.params()[1000];
    EXPECT_TRUE(
        std::filesystem::equivalent(platform::fsPath(platform::pathFromLocalText(handed)), platform::fsPath(pad)))
        << handed;

    BOOL lacking = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u041F", 1, nullptr, 0, nullptr, &lacking);
    if (!lacking)
        GTEST_SKIP() << "this system's code page spells Cyrillic letters";
    EXPECT_EQ(handed.find_first_of(std::string("\x80\xFF", 2)), std::string::npos);
    const std::string missing = folder + "\\Missing.pad";
    EXPECT_FALSE(f.util->SetPadName(missing.c_str()));
    EXPECT_FALSE(f.util->Load());
    EXPECT_EQ(f.util->GetFailureText(), CxACTBaseUtil::PathNotSpelled("The PAD file's path", missing));
    EXPECT_EQ(f.runs().size(), 1u) << "no helper ran";
}
#endif

// Submit right after a load sends everything back (changes are pending from the start); a second
// submit without a new mark runs nothing; a mark brings the next submit back.
TEST(SubmitRun, SendsRecordsBackOnlyWhenThereIsSomethingNew)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    const std::string delivered = twoContacts();
    f.deliver(delivered);
    ASSERT_TRUE(f.util->Load());
    ASSERT_EQ(addr(f).GetRecordCount(), 2u);
    EXPECT_EQ(f.params()[1005], "1");
    f.control("marker\n");

    ASSERT_TRUE(f.util->Submit());
    EXPECT_EQ(f.runs().size(), 2u);
    EXPECT_EQ(f.params()[1005], "2");
    EXPECT_EQ(testutil::readFile(f.dataPath()), delivered) << "unmarked records go back as they came";
    EXPECT_FALSE(f.util->HasChangesPending());

    ASSERT_TRUE(f.util->Submit());
    EXPECT_EQ(f.runs().size(), 2u);

    CommAddr orphan{nullptr, 0};
    EXPECT_TRUE(addr(f).MarkForDeletion(&orphan));
    EXPECT_FALSE(f.util->HasChangesPending()) << "an entry without record marks nothing";

    CommAddr* second = addr(f).GetManager()->GetFirstEntry();
    second = addr(f).GetManager()->GetNextEntry();
    ASSERT_TRUE(addr(f).MarkForDeletion(second));
    ASSERT_TRUE(f.util->Submit());
    EXPECT_EQ(f.runs().size(), 3u);
    std::string marked = delivered;
    marked.replace(4 + (delivered.size() - 4) / 2, 4, le32(3));
    EXPECT_EQ(testutil::readFile(f.dataPath()), marked);
}

TEST(SubmitRun, UnwritableDataFileRunsNoHelperAndKeepsTheChanges)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    f.deliver(twoContacts());
    ASSERT_TRUE(f.util->Load());
    f.util->SetWorkFolder(f.path("missing/").c_str());
    EXPECT_FALSE(f.util->Submit());
    EXPECT_TRUE(f.util->HasChangesPending());
    EXPECT_EQ(f.runs().size(), 1u);
    EXPECT_TRUE(log.contains("Can not save information to temperary file.", true));
}

// A helper that delivers nothing must not let the file of an earlier run pass for its result.
TEST(LoadRun, DataFileOfAnEarlierRunIsNeverReadAgain)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    testutil::writeFile(f.dataPath(), twoContacts());
    testutil::writeFile(f.path("ACTAddrErr.dat"), "[Error]\nError.Count=1\nError.1=Login failed\n");
    f.control("marker\n");

    EXPECT_FALSE(f.util->Load());
    EXPECT_EQ(f.runs().size(), 1u);
    EXPECT_EQ(addr(f).GetRecordCount(), 0u);
    EXPECT_TRUE(f.util->HasError());
    EXPECT_STREQ(f.util->GetErrorText(), "Login failed");
    EXPECT_TRUE(log.contains("Failed to load ACT! Contacts information.", true));
}

TEST(LoadRun, IncompleteDeliveryLoadsNothing)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    const std::string delivered = twoContacts();
    f.deliver(delivered.substr(0, delivered.size() - 3));
    EXPECT_FALSE(f.util->Load());
    EXPECT_EQ(addr(f).GetRecordCount(), 0u);
    EXPECT_EQ(addr(f).GetManager()->GetEntryCount(), 0u);
    EXPECT_TRUE(log.contains("Failed to load ACT! Contacts information.", true));
}

// A killed helper wrote no error file; whatever it left, a whole data file among it, is not its result.
TEST(LoadRun, KilledHelperFailsTheLoadAndTheSubmitEvenWithAWholeFile)
{
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    f.deliver(twoContacts());
    ASSERT_TRUE(f.util->Load());
    addr(f).MarkForDeletion(addr(f).GetManager()->GetFirstEntry());

    f.control("marker\ncopy " + f.path("delivered.dat") + " " + f.dataPath() + "\nkilled\n");
    EXPECT_FALSE(f.util->Submit());
    EXPECT_NE(f.util->GetFailureText().find("was killed"), std::string::npos) << f.util->GetFailureText();
    EXPECT_TRUE(f.util->HasChangesPending());

    EXPECT_FALSE(f.util->Load());
    EXPECT_EQ(addr(f).GetRecordCount(), 0u);
    EXPECT_NE(f.util->GetFailureText().find("was killed"), std::string::npos) << f.util->GetFailureText();
    EXPECT_EQ(f.runs().size(), 3u);
}

// On Windows a killer picks the exit code of the process it ends (taskkill /F and the Task Manager pick 1), so
// a kill shows only in what the helper left: a run-state file still marking it running, or a failure code
// with no error to explain it. Neither run counts; a helper that explains its failure code is heard.
TEST(LoadRun, HelperEndedWithAnOrdinaryExitCodeButUnfinishedIsNeverASuccess)
{
    struct Case
    {
        const char* name;
        const char* commands; // after copying the delivered file into place
        const char* failure;  // a part of the failure text
        bool loadFails;       // a complaint that comes with a whole data file does not fail a load
    };
    const Case cases[] = {
        {"still marked running, exit code 1", "running ACTAddr.ini\nexit 1\n", "was killed", true},
        {"still marked running, exit code 0", "running ACTAddr.ini\nexit 0\n", "was killed", true},
        {"exit code 1 without a word", "exit 1\n", "was killed", true},
        {"exit code 1 with its reason", "errorfile\nexit 1\n", "Login failed", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHelper f(std::make_unique<CxACTAddrUtil>());
        f.deliver(twoContacts());
        ASSERT_TRUE(f.util->Load());
        addr(f).MarkForDeletion(addr(f).GetManager()->GetFirstEntry());
        std::string commands = c.commands;
        if (commands.rfind("errorfile\n", 0) == 0) {
            testutil::writeFile(f.path("reason.dat"), "[Error]\nError.Count=1\nError.1=Login failed\n");
            commands = "copy " + f.path("reason.dat") + " " + f.path(f.util->GetErrorFileName()) + "\n" +
                       commands.substr(10);
        }
        const std::string deliverAndEnd =
            "marker\ncopy " + f.path("delivered.dat") + " " + f.dataPath() + "\n" + commands;

        f.control(deliverAndEnd);
        EXPECT_FALSE(f.util->Submit());
        EXPECT_NE(f.util->GetFailureText().find(c.failure), std::string::npos) << f.util->GetFailureText();
        EXPECT_TRUE(f.util->HasChangesPending());

        f.control(deliverAndEnd);
        EXPECT_EQ(f.util->Load(), !c.loadFails);
        if (c.loadFails) {
            EXPECT_EQ(addr(f).GetRecordCount(), 0u);
            EXPECT_NE(f.util->GetFailureText().find(c.failure), std::string::npos) << f.util->GetFailureText();
        }
    }
}

TEST(LoadRun, HelperThatNeverEndsIsAbandonedAfterTheKindsTimeout)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTDateUtil>());
    f.control("marker\nsleep 60\n");
    CxACTDataReader& runner = GetHelperRunner(ACTKind::Date);
    runner.SetWaitTimeout(300);
    EXPECT_FALSE(f.util->Load());
    runner.SetWaitTimeout(CxACTDataReader::kDefaultWaitTimeout);
    EXPECT_TRUE(log.contains("The helper utility program has no response. Got timeout event.", false));
    EXPECT_TRUE(platform::pathExists(f.path("ACTDateParam.dat"))) << "the helper may still read it";
    ASSERT_TRUE(waitFor([&] { return !f.runs().empty(); }));
    testutil::killProcess(std::stoi(f.runs()[0]));
}

// Without its parameter file a helper could only act on an older one; it is not started.
TEST(LoadRun, NoHelperRunsWithoutItsParameterFile)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    f.util->SetWorkFolder(f.path("missing/").c_str());
    EXPECT_FALSE(f.util->Load());
    EXPECT_TRUE(log.containsPrefix("Failed to write the parameter file: ", true));
    EXPECT_TRUE(log.messagesFrom("CxACTCommon.cpp").empty());
}

// A work folder that fits can still make the parameter file's path too long for the parser, with a longer
// parameter file name. Cut, that path would name another file of the folder, written (or replaced) while the
// helper is handed the full path: it is refused instead, and no helper runs.
TEST(LoadRun, ParameterFilePathThatDoesNotFitIsRefusedNotCut)
{
    LogCapture log;
    FakeHelper f(std::make_unique<CxACTAddrUtil>());
    std::string folder = f.path("");
    while (folder.size() < 235)
        folder += std::string(std::min<std::size_t>(60, 240 - folder.size()), 'd') + "/";
    ASSERT_TRUE(std::filesystem::create_directories(folder));
    ASSERT_TRUE(f.util->SetWorkFolder(folder.c_str()));
    ASSERT_EQ(std::string(f.util->GetWorkFolder()), folder) << "the folder itself fits";
    f.util->SetParamFileName("ACTAddrParam-of-a-longer-name.dat");
    ASSERT_GT(folder.size() + 1 + std::strlen(f.util->GetParamFileName()), 259u);

    EXPECT_FALSE(f.util->Load());
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no file under a cut name";
    EXPECT_TRUE(f.runs().empty()) << "no helper ran";
    EXPECT_TRUE(log.containsPrefix("The parameter file path is longer than 259 characters: " + folder, true));
}

// Each kind logs its own texts from its own source file, and leaves out what it does not log.
// What the wizard shows when a load or a submit fails: the helper's own words first, then ours.
TEST(FailureText, SaysWhyALoadOrASubmitFailed)
{
    const std::string full = twoContacts();
    const struct
    {
        const char* name;
        bool submit;
        std::function<void(FakeHelper&)> arrange;
        const char* failure; // start of GetFailureText; empty for a success
    } cases[] = {
        {"load: the helper's error", false,
         [](FakeHelper& f) {
             testutil::writeFile(f.path("err.ini"), "[Error]\nError.Count=1\nError.1=Login failed\n");
             f.control("copy " + f.path("err.ini") + " " + f.path("ACTAddrErr.dat") + "\n");
         },
         "Login failed"},
        {"load: no data file", false, [](FakeHelper& f) { f.control("marker\n"); },
         "The helper delivered no data file ("},
        {"load: a cut data file", false,
         [&full](FakeHelper& f) { f.deliver(full.substr(0, full.size() - 3)); }, "The data file "},
        {"load: no helper", false, [](FakeHelper& f) { f.util->SetHelperName("velloran-no-such-helper"); },
         "The helper velloran-no-such-helper"},
        {"load: fine", false, [&full](FakeHelper& f) { f.deliver(full); }, ""},
        {"submit: the helper's error", true,
         [](FakeHelper& f) {
             testutil::writeFile(f.path("err.ini"), "[Error]\nError.Count=2\nError.1=x\nError.2=Access denied\n");
             f.control("copy " + f.path("err.ini") + " " + f.path("ACTAddrErr.dat") + "\n");
         },
         "Access denied"},
        {"submit: no helper", true, [](FakeHelper& f) { f.util->SetHelperName("velloran-no-such-helper"); },
         "The helper velloran-no-such-helper"},
        {"submit: no data file to hand over", true,
         [](FakeHelper& f) { f.util->SetWorkFolder(f.path("missing/").c_str()); }, "The data file "},
        {"submit: fine", true, [](FakeHelper& f) { f.control("marker\n"); }, ""},
    };
    for (const auto& c : cases) {
        LogCapture log;
        FakeHelper f(std::make_unique<CxACTAddrUtil>());
        if (c.submit) {
            f.deliver(full);
            ASSERT_TRUE(f.util->Load()) << c.name;
            ASSERT_TRUE(addr(f).MarkForDeletion(addr(f).GetManager()->GetFirstEntry())) << c.name;
        }
        c.arrange(f);
        const bool ok = c.submit ? f.util->Submit() : f.util->Load();
        EXPECT_EQ(ok, !*c.failure) << c.name;
        EXPECT_EQ(f.util->GetFailureText().rfind(c.failure, 0), 0u) << c.name << ": " << f.util->GetFailureText();
        if (!*c.failure) {
            EXPECT_EQ(f.util->GetFailureText(), "") << c.name;
        }
        if (c.submit) {
            EXPECT_EQ(f.util->HasChangesPending(), !ok) << c.name << ": a failed submit keeps its marks pending";
        }
    }
}

TEST(KindLog, EachKindLogsItsOwnMessages)
{
    struct Case
    {
        const char* source;
        std::function<std::unique_ptr<CxACTBaseUtil>()> make;
        std::vector<std::string> load;        // a delivered file without records
        std::vector<std::string> submit;      // the first submit after it
        std::vector<std::string> submitAgain; // nothing pending
        std::vector<std::string> loadFailed;  // no file delivered; "@" stands for the data file's path
    };
    const Case cases[] = {
        {"CxACTAddr.cpp",
         [] { return std::make_unique<CxACTAddrUtil>(); },
         {"Start loading ACT! Contacts.", "Start loading ACT! Contacts from temperary file: ACTAddr.dat",
          "There are 0 Contact records in total.", "Load ACT! Contacts information from file successfully.",
          "Load ACT! Contacts information successfully."},
         {"Start submitting changes to server.", "Start saving ACT! Contacts information to file: ACTAddr.dat",
          "There are 0 Contact records in total.", "Save ACT! Contacts information to file successfully."},
         {"Start submitting changes to server.",
          "There is no new changes and no need to submit information to server."},
         {"Start loading ACT! Contacts.", "Start loading ACT! Contacts from temperary file: ACTAddr.dat",
          "Failed to open file: @", "Failed to load ACT! Contacts information."}},
        {"CxACTDate.cpp",
         [] { return std::make_unique<CxACTDateUtil>(); },
         {"Start loading ACT! Calendar Events.",
          "Start loading ACT! Calendar events information from temperary file: ACTDate.dat",
          "There are 0 Calendar event records in total.",
          "Load ACT! Calendar event information from file successfully.",
          "Load ACT! Calendar events information successfully."},
         {"Start saving ACT! Calendar events information to file: ACTDate.dat",
          "There are 0 Calendar event records in total.", "Save ACT! Calendar event information to file successfully."},
         {},
         {"Start loading ACT! Calendar Events.",
          "Start loading ACT! Calendar events information from temperary file: ACTDate.dat", "Failed to open file: @",
          "Failed to load ACT! Calendar events information."}},
        {"CxACTTask.cpp",
         [] { return std::make_unique<CxACTTaskUtil>(); },
         {"Start loading ACT! Todos and Opportunities.",
          "Start loading ACT! Todos and Opportunities information from temperary file: ACTTask.dat",
          "There are 0 records in total.", "Load ACT! Todos and Opportunities information successfully."},
         {"Start saving ACT! Todos and Opportunities information to file: ACTTask.dat", "There are 0 records in total.",
          "Save ACT! Todos and Opportunities information to file successfully."},
         {},
         {"Start loading ACT! Todos and Opportunities.",
          "Start loading ACT! Todos and Opportunities information from temperary file: ACTTask.dat",
          "Failed to open file: @", "Failed to load ACT! Todos and Opportunities information."}},
        {"CxACTNote.cpp",
         [] { return std::make_unique<CxACTNoteUtil>(); },
         {"Start loading ACT! Notes.", "Start loading ACT! Notes information from temperary file: ACTNote.dat",
          "Load ACT! Notes information successfully."},
         {},
         {},
         {"Start loading ACT! Notes.", "Start loading ACT! Notes information from temperary file: ACTNote.dat",
          "Cannot load ACT! Notes records from temperary file: @", "Failed to load ACT! Notes information."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        {
            LogCapture log;
            FakeHelper f(c.make());
            f.deliver(le32(0));
            std::vector<std::string> expected = c.load;
            ASSERT_TRUE(f.util->Load());
            EXPECT_EQ(log.messagesFrom(c.source), expected);
            ASSERT_TRUE(f.util->Submit());
            expected.insert(expected.end(), c.submit.begin(), c.submit.end());
            EXPECT_EQ(log.messagesFrom(c.source), expected);
            ASSERT_TRUE(f.util->Submit());
            expected.insert(expected.end(), c.submitAgain.begin(), c.submitAgain.end());
            EXPECT_EQ(log.messagesFrom(c.source), expected);
        }
        {
            LogCapture log;
            FakeHelper f(c.make());
            f.control("marker\n");
            ASSERT_FALSE(f.util->Load());
            std::vector<std::string> expected = c.loadFailed;
            for (std::string& message : expected)
                if (message.back() == '@')
                    message = message.substr(0, message.size() - 1) + f.folder() + platform::kPathSeparator +
                              f.util->GetDataFileName();
            EXPECT_EQ(log.messagesFrom(c.source), expected);
        }
    }
}
