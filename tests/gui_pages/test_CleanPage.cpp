#include "PagesFixture.h"

#include "gui/pages/DupListModel.h"
#include "gui/services/Seams.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTParamParser.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/RestoreCsv.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <stdexcept>

namespace pagetest {
namespace {

using Ids = std::vector<std::string>;
constexpr int kAllKinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;
const QString kSeparator = QString(80, QLatin1Char('='));

// The memo text that a sequence of AddLogLine calls leaves: each text on a line of its own, and the
// text "\r\n" a line break of its own on top of that.
QString LogOf(const std::vector<std::string>& lines)
{
    QString text;
    for (const std::string& line : lines)
        text += QString::fromStdString(line == "\r\n" ? "\n" : line) + QLatin1Char('\n');
    return text;
}

std::vector<std::string> StartLines()
{
    return {"Start deleting duplicate records ...", kSeparator.toStdString(), "\r\n"};
}

std::vector<std::string> SummaryLines(int contacts, int events, int tasks, int notes)
{
    return {kSeparator.toStdString(),
            "Deleting duplicates finished:",
            "\t" + std::to_string(contacts) + " duplicate contact items deleted.",
            "\t" + std::to_string(events) + " duplicate calendar items deleted.",
            "\t" + std::to_string(tasks) + " duplicate task items deleted.",
            "\t" + std::to_string(notes) + " duplicate note items deleted.",
            "\r\n"};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The rows of a CSV file as RFC 4180 reads them.
std::vector<std::vector<std::string>> ReadCsv(const std::string& path)
{
    std::string problem;
    auto rows = testutil::readCsv(path, problem);
    EXPECT_EQ(problem, "") << path;
    return rows;
}

// The bar only moves forward and reaches 100 once, when everything is over.
void ExpectBarRisesTo100AtTheEnd(const QSignalSpy& bar)
{
    std::vector<int> values;
    for (const auto& args : bar)
        values.push_back(args.at(0).toInt());
    ASSERT_FALSE(values.empty());
    EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
    EXPECT_EQ(values.back(), 100);
    EXPECT_EQ(std::count(values.begin(), values.end(), 100), 1);
}

// What a table lost between two readings: its Record IDs, and whether every other row is unchanged.
Ids Removed(const TableRows& before, const TableRows& after, const std::string& table)
{
    Ids removed;
    const auto& old = before.at(table);
    const auto& now = after.at(table);
    for (const auto& [id, row] : old) {
        const auto kept = now.find(id);
        if (kept == now.end())
            removed.push_back(id);
        else
            EXPECT_EQ(kept->second, row) << table << " " << id << " changed";
    }
    EXPECT_EQ(old.size(), now.size() + removed.size()) << table << " gained rows";
    return removed;
}

class CleanPage : public PagesTest
{
protected:
    // Counts the submits and fails the test run's first `failAt`-th one with an exception.
    void CountSubmits(int failAt = 0)
    {
        m_submits = 0;
        m_failAt = failAt;
        CleanupSession::SetBeforeSubmitHook([this](CxACTBaseUtil&) {
            if (++m_submits == m_failAt)
                throw std::runtime_error("submit failed in a test");
        });
    }
    int m_submits = 0;
    int m_failAt = 0;
};

TEST_F(CleanPage, EmptyListsLogTheFrameAndFourZerosAndSubmitNothing)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com")};
    data.events = {Event("e1", "Board", 1, 2)};
    data.tasks = {Task("t1", "Call", 1, 0)};
    data.notes = {Note("n1", "text")};
    ASSERT_TRUE(Load(data, kAllKinds));
    CountSubmits();
    QSignalSpy bar(Child<QProgressBar>(Clean(), "pbDel"), &QProgressBar::valueChanged);

    RunCleaning();
    EXPECT_EQ(LogText(), LogOf(Join({StartLines(), SummaryLines(0, 0, 0, 0)})));
    EXPECT_EQ(Child<QProgressBar>(Clean(), "pbDel")->value(), 100);
    EXPECT_EQ(m_submits, 0);
    EXPECT_TRUE(Clean()->GetBackupFolder().empty()) << "nothing to delete, nothing to back up";
    for (CxACTBaseUtil* util : std::initializer_list<CxACTBaseUtil*>{main->GetAddrUtil(), main->GetDateUtil(),
                                                                     main->GetTaskUtil(), main->GetNoteUtil()})
        EXPECT_EQ(util->GetRunMode(), RUN_MODE_LOAD);
}

TEST_F(CleanPage, LogsEveryKindFieldByFieldMovesTheBarAndDeletesInTheDatabase)
{
    TestData data;
    ContactRecord contact = Contact("c2", "Ann Lee", "ann@example.com");
    contact.Title = "Buyer";
    contact.BusinessPhone = "555-0100";
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com", "Acme"), contact};
    const double start = Ole(2008, 3, 5, 14, 7, 9);
    const double end = Ole(2008, 3, 5, 16, 30, 0);
    data.events = {Event("e1", "Board", start, end, false, "Room 1"), Event("e2", "Board", start, end, false)};
    data.tasks = {Task("t1", "Call", 0, Ole(2008, 3, 5)), Task("t2", "Call", 0, Ole(2008, 3, 5))};
    data.notes = {Note("n1", "Met at the fair."), Note("n2", "Met at the fair.")};
    ASSERT_TRUE(Load(data, kAllKinds));
    const TableRows before = ReadAllRows(pad);
    CountSubmits();
    QSignalSpy bar(Child<QProgressBar>(Clean(), "pbDel"), &QProgressBar::valueChanged);

    RunCleaning();
    ASSERT_FALSE(Clean()->GetBackupFolder().empty());
    EXPECT_EQ(
        LogText(),
        LogOf(Join({StartLines(),
                    {"Backup of the records to delete: " + Clean()->GetBackupFolder(), "\r\n",
                     "Submitting 1 contact items to the ACT! database ...",
                     "Submitting 1 calendar items to the ACT! database ...",
                     "Submitting 1 task items to the ACT! database ...",
                     "Submitting 1 note items to the ACT! database ..."},
                    {"Deleting contact item ...", "\tRecord ID: c2", "\tDisplay Name: Ann Lee", "\tCompany: <empty>",
                     "\tTitle: Buyer", "\tEmail: ann@example.com", "\tPhone: 555-0100", "Deletion succeeded.", "\r\n"},
                    {"Deleting calendar item ...", "\tRecord ID: e2", "\tSubject: Board", "\tLocation: <empty>",
                     "\tStart Time: 03/05/2008 14:07:09", "\tEnd Time: 03/05/2008 16:30:00", "\tAll Day Event: No",
                     "Deletion succeeded.", "\r\n"},
                    {"Deleting todo or opportunity item ...", "\tRecord ID: t2", "\tSubject: Call", "\tPriority: High",
                     "\tDue Date: 03/05/2008", "Deletion succeeded.", "\r\n"},
                    {"Deleting note item ...", "\tRecord ID: n2", "\tNote Text: Met at the fair.", "Deletion succeeded.",
                     "\r\n"},
                    SummaryLines(1, 1, 1, 1)})));
    ExpectBarRisesTo100AtTheEnd(bar);
    EXPECT_EQ(m_submits, 4);
    EXPECT_EQ(Clean()->GetAddrDeleted(), 1);

    const TableRows after = ReadAllRows(pad);
    EXPECT_EQ(Removed(before, after, "contacts"), (Ids{"c2"}));
    EXPECT_EQ(Removed(before, after, "calendar"), (Ids{"e2"}));
    EXPECT_EQ(Removed(before, after, "tasks"), (Ids{"t2"}));
    EXPECT_EQ(Removed(before, after, "notes"), (Ids{"n2"}));
}

TEST_F(CleanPage, AnUntickedDuplicateIsSkippedButCountsForTheBar)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com"),
                     Contact("c3", "Ann Lee", "ann@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    SetTick(TfmACTData::kAddr, 0, false);
    const TableRows before = ReadAllRows(pad);
    QSignalSpy bar(Child<QProgressBar>(Clean(), "pbDel"), &QProgressBar::valueChanged);

    RunCleaning();
    ExpectBarRisesTo100AtTheEnd(bar);
    EXPECT_EQ(LogText().count(QStringLiteral("Deleting contact item ...")), 1);
    EXPECT_TRUE(LogText().contains(QStringLiteral("\t1 duplicate contact items deleted.")));
    EXPECT_EQ(Removed(before, ReadAllRows(pad), "contacts"), (Ids{"c3"}));
}

TEST_F(CleanPage, ARecordTickedInTheFullViewIsDeletedLikeADuplicate)
{
    TestData data;
    data.notes = {Note("n1", "alpha"), Note("n2", "beta"), Note("n3", "alpha")};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    ClickBox("cbNoteAll");
    SetTick(TfmACTData::kNote, 1, true);
    SetTick(TfmACTData::kNote, 2, true);
    const TableRows before = ReadAllRows(pad);

    RunCleaning();
    EXPECT_TRUE(LogText().contains(QStringLiteral("\tNote Text: beta\n")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("\t2 duplicate note items deleted.")));
    EXPECT_EQ(Removed(before, ReadAllRows(pad), "notes"), (Ids{"n2", "n3"}));
}

// A note is known by its text: the log keeps all of it, on one line.
TEST_F(CleanPage, ANoteIsLoggedWholeOnOneLine)
{
    std::string text;
    std::string shown;
    for (int i = 0; i < 400; ++i) {
        const char* breaks[] = {"\r\n", "\n", "\r"};
        const std::string piece = i % 50 == 49 ? breaks[i / 50 % 3] : std::string(1, static_cast<char>('a' + i % 26));
        text += piece;
        shown += i % 50 == 49 ? " " : piece;
    }
    TestData data;
    data.notes = {Note("n1", text.c_str()), Note("n2", text.c_str())};
    ASSERT_TRUE(Load(data, KIND_NOTE));

    RunCleaning();
    const QString block = QStringLiteral("\tRecord ID: n2\n\tNote Text: ") + QString::fromStdString(shown) +
                          "\nDeletion succeeded.\n";
    EXPECT_TRUE(LogText().contains(block)) << LogText().toStdString();
}

TEST_F(CleanPage, TaskLinesShowPriorityAndDueDateAsTheListDoes)
{
    const struct
    {
        const char* id;
        std::int32_t priority;
        double due;
        const char* priorityText;
        const char* dueText;
    } cases[] = {
        {"in-range", 0, Ole(2030, 12, 31), "High", "12/31/2030"},
        {"after-2030", 2, Ole(2031, 1, 1), "Low", "01/01/2031"},
        {"before-1931", 1, Ole(1930, 12, 31), "Normal", "12/31/1930"},
        {"none", 5, 0, "Normal", "N/A"},
        {"below-0.001", -1, 0.0005, "Normal", "N/A"},
        {"negative", 0, -10, "High", "N/A"},
    };
    TestData data;
    for (const auto& c : cases)
        data.tasks.push_back(Task(c.id, c.id, c.priority, c.due));
    ASSERT_TRUE(Load(data, KIND_TASK));
    ClickBox("cbTaskAll");
    seams::QueueMessageAnswer(QMessageBox::Yes);
    Click("btnSelAll", Data());

    RunCleaning();
    const QString log = LogText();
    for (const auto& c : cases) {
        const QString block = QStringLiteral("Deleting todo or opportunity item ...\n\tRecord ID: %1\n\tSubject: %1\n"
                                             "\tPriority: %2\n\tDue Date: %3\nDeletion succeeded.\n")
                                  .arg(QLatin1String(c.id), QLatin1String(c.priorityText), QLatin1String(c.dueText));
        EXPECT_TRUE(log.contains(block)) << c.id << "\n" << log.toStdString();
    }
    EXPECT_TRUE(log.contains(QStringLiteral("\t6 duplicate task items deleted.")));
}

TEST_F(CleanPage, CalendarLinesAreCutToTheirBuffer)
{
    const std::string subject(255, 's');
    const std::string location(255, 'l');
    TestData data;
    const double day = Ole(2008, 3, 5);
    data.events = {Event("e1", subject.c_str(), day, day, true, location.c_str()),
                   Event("e2", subject.c_str(), day, day, true, location.c_str())};
    ASSERT_TRUE(Load(data, KIND_DATE));

    RunCleaning();
    const QString log = LogText();
    const QString subjectLine = QString::fromStdString(("\tSubject: " + subject).substr(0, 255));
    const QString locationLine = QString::fromStdString(("\tLocation: " + location).substr(0, 255));
    EXPECT_TRUE(log.contains(subjectLine + "\n\tLocation: ")) << log.toStdString();
    EXPECT_TRUE(log.contains(locationLine +
                             "\n\tStart Time: 03/05/2008 00:00:00\n\tEnd Time: 03/05/2008 00:00:00\n\tAll Day Event: Yes\n"));
}

TEST(FormatFieldLine, BuildsCutsAndSkips)
{
    const struct
    {
        const char* name;
        int indent;
        const char* label;
        const char* value;
        std::size_t size;
        bool written;
        const char* line;
    } cases[] = {
        {"plain", 1, "Company", "Acme", 256, true, "\tCompany: Acme"},
        {"empty value", 1, "Company", "", 256, true, "\tCompany: <empty>"},
        {"null value", 1, "Company", nullptr, 256, true, "\tCompany: <empty>"},
        {"no indent", 0, "Title", "Boss", 256, true, "Title: Boss"},
        {"two tabs", 2, "Title", "Boss", 256, true, "\t\tTitle: Boss"},
        {"cut", 1, "Title", "Boss of all", 12, true, "\tTitle: Bos"},
        {"empty label", 1, "", "Acme", 256, false, "untouched"},
        {"null label", 1, nullptr, "Acme", 256, false, "untouched"},
    };
    for (const auto& c : cases) {
        char buffer[300];
        std::memset(buffer, '#', sizeof buffer);
        std::snprintf(buffer, sizeof buffer, "untouched");
        EXPECT_EQ(TfmACTClean::FormatFieldLine(buffer, c.size, c.indent, c.label, c.value), c.written) << c.name;
        EXPECT_STREQ(buffer, c.line) << c.name;
        // Nothing beyond the buffer's size is written.
        EXPECT_EQ(buffer[c.size], '#') << c.name;
    }
}

TEST_F(CleanPage, ARecordWithoutEntryFailsAndItsKindIsNotSubmitted)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_ADDR | KIND_NOTE));
    static_cast<ContactRecord*>(Model(TfmACTData::kAddr)->RecordAt(0))->pEntry = nullptr;
    const TableRows before = ReadAllRows(pad);
    CountSubmits();

    RunCleaning();
    EXPECT_TRUE(LogText().contains(QStringLiteral("\tPhone: <empty>\nDeletion failed.\n\tReason: It could not be "
                                                  "marked for deletion, so it was not handed to the helper.\n")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("\t0 duplicate contact items deleted.\n"
                                                  "\t1 duplicate contact items not deleted.\n")));
    EXPECT_EQ(m_submits, 1);
    EXPECT_EQ(main->GetAddrUtil()->GetRunMode(), RUN_MODE_LOAD);
    EXPECT_EQ(main->GetNoteUtil()->GetRunMode(), RUN_MODE_SUBMIT);
    const TableRows after = ReadAllRows(pad);
    EXPECT_TRUE(Removed(before, after, "contacts").empty());
    EXPECT_EQ(Removed(before, after, "notes"), (Ids{"n2"}));
}

QString g_shownDialog;
QString g_shownWhat;
int RecordDialog(QWidget* dialog)
{
    g_shownDialog = dialog->objectName();
    const auto* what = dialog->findChild<QLabel*>(QStringLiteral("lblWhat"));
    g_shownWhat = what ? what->text() : QString();
    return QDialog::Rejected;
}

bool WaitWindowShown()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QStringLiteral("CxCommWaitWindow") && window->isVisible())
            return true;
    return false;
}

TEST_F(CleanPage, AnExceptionStopsTheRunAndOpensTheBugReport)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_ADDR | KIND_NOTE));
    const TableRows before = ReadAllRows(pad);
    CountSubmits(1);
    g_shownDialog.clear();
    seams::SetDialogHandler(RecordDialog);
    seams::ClearRecorded();

    RunCleaning();
    EXPECT_EQ(g_shownDialog, QStringLiteral("TfmDump"));
    EXPECT_EQ(m_submits, 1);
    EXPECT_FALSE(WaitWindowShown());
    // Nothing was submitted, and the log says so rather than stopping half-way.
    const std::string why = "The run ended with an unexpected error (submit failed in a test).";
    EXPECT_TRUE(LogText().contains(QString::fromStdString("Deletion failed.\n\tReason: " + why + "\n")));
    std::vector<std::string> ending = SummaryLines(0, 0, 0, 0);
    ending.insert(ending.begin() + 3, "\t1 duplicate contact items not deleted.");
    ending.insert(ending.end() - 1, {"\t1 duplicate note items not deleted.", "Deleting contact items failed: " + why,
                                     "Deleting note items failed: " + why});
    EXPECT_TRUE(LogText().endsWith(LogOf(ending))) << LogText().toStdString();
    EXPECT_FALSE(LogText().contains(QStringLiteral("Deletion succeeded.")));
    // The error report says what became of the records, and where their backup is.
    const std::string folder = Clean()->GetBackupFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(g_shownWhat.contains(QStringLiteral("    Contacts: 0 deleted, 1 not deleted\n    Notes: 0 deleted, 1 not "
                                                    "deleted")))
        << g_shownWhat.toStdString();
    EXPECT_TRUE(g_shownWhat.contains(QString::fromStdString(folder))) << g_shownWhat.toStdString();
    const std::string notDeleted = ",not deleted," + why + "\n";
    EXPECT_EQ(testutil::readFile(folder + "deletions.csv"), "kind,record_id,kept_record_id,outcome,reason\n"
                                                            "contacts,c2,c1" + notDeleted + "notes,n2,n1" + notDeleted);
    const TableRows after = ReadAllRows(pad);
    EXPECT_TRUE(Removed(before, after, "contacts").empty());
    EXPECT_TRUE(Removed(before, after, "notes").empty());
    EXPECT_TRUE(Child<QLabel>(Clean(), "lblBack")->isEnabled());
}

TEST_F(CleanPage, StartsAfterASecondAndGoesBackOnlyOnceTheRunIsOver)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    auto* timer = Child<QTimer>(Clean(), "tmStart");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_EQ(LogText(), LogOf(StartLines()));
    EXPECT_EQ(Child<QProgressBar>(Clean(), "pbDel")->value(), 0);
    EXPECT_FALSE(Child<QPushButton>(main, "btnNext")->isEnabled());
    EXPECT_EQ(Child<QPushButton>(main, "btnCancel")->text(), QStringLiteral("&Finish"));

    // Going back now would let the next load free the records the run is about to work on.
    auto* back = Child<QLabel>(Clean(), "lblBack");
    EXPECT_EQ(back->text(), QStringLiteral("Back to First Step"));
    Clean()->lblBackClick();
    EXPECT_EQ(main->GetCurrentPage(), 2);

    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 10000);
    EXPECT_FALSE(timer->isActive());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(main->GetCurrentPage(), 0);
    EXPECT_FALSE(Child<QPushButton>(main, "btnPrev")->isEnabled());
    EXPECT_EQ(Child<QPushButton>(main, "btnCancel")->text(), QStringLiteral("&Cancel"));
}

TEST_F(CleanPage, LeavingBeforeTheRunBeginsDeletesNothing)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    const TableRows before = ReadAllRows(pad);
    CountSubmits();
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    main->SetPage(0);
    EXPECT_FALSE(Clean()->IsRunning());
    // The next load waits in an event loop, where a pending run would find its records freed.
    EXPECT_FALSE(Child<QTimer>(Clean(), "tmStart")->isActive());

    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(LogText(), LogOf(StartLines()));
    EXPECT_EQ(m_submits, 0);
    EXPECT_TRUE(Removed(before, ReadAllRows(pad), "contacts").empty());
}

TEST_F(CleanPage, TheBackupHoldsExactlyTheDeletedRecordsAndTheRecordThatStays)
{
    ContactRecord rich = Contact("c1", "Ann Lee", "ann@example.com", "Acme, \"Best\"\nInc");
    rich.Birthday = Ole(1970, 5, 17);
    rich.CreateDate = Ole(2008, 3, 5, 14, 7, 9);
    rich.IsPrivate = true;
    rich.FirstName = "Ann";
    ContactRecord copy = rich;
    copy.RecordID = "c2";
    ContactRecord third = rich;
    third.RecordID = "c3";
    TestData data;
    data.contacts = {rich, copy, third, Contact("c4", "Bob Ray", "bob@example.com")};
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_ADDR | KIND_NOTE));
    // The group's first record and one copy go; the other copy stays in its place. Bob has no copy.
    ClickBox("cbAddrAll");
    SetTick(TfmACTData::kAddr, 0, true);
    SetTick(TfmACTData::kAddr, 1, true);
    SetTick(TfmACTData::kAddr, 3, true);
    const TableRows before = ReadAllRows(pad);

    RunCleaning();
    EXPECT_EQ(Removed(before, ReadAllRows(pad), "contacts"), (Ids{"c1", "c2", "c4"}));
    const std::string folder = Clean()->GetBackupFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.rfind(testutil::nativePath(home.file("Documents") + "/Velloran Backups/"), 0), 0u) << folder;
    EXPECT_TRUE(testutil::ownerOnly(folder));

    EXPECT_EQ(testutil::readFile(folder + "deletions.csv"),
              "kind,record_id,kept_record_id,outcome,reason\ncontacts,c2,c3,deleted,\ncontacts,c1,c3,deleted,\n"
              "contacts,c4,,deleted,\nnotes,n2,n1,deleted,\n");
    EXPECT_EQ(testutil::readFile(folder + "log.txt"), LogText().toStdString());
    for (const char* id : {"c1", "c2", "c4", "n2"})
        EXPECT_TRUE(LogText().contains(QStringLiteral("\tRecord ID: %1\n").arg(QLatin1String(id)))) << id;

    // Every stored field, as the database held it before the run.
    const auto rows = ReadCsv(folder + "contacts.csv");
    ASSERT_EQ(rows.size(), 4u);
    std::vector<const FieldDesc*> fields;
    std::vector<std::string> names;
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < ContactFields().count; ++i) {
        if (IsHeaderWord(ContactFields().fields[i]))
            continue;
        fields.push_back(&ContactFields().fields[i]);
        names.push_back(ContactFields().fields[i].name);
        const RestoreColumn* column = RestoreColumnOf(RecordKind::Contacts, names.back());
        ASSERT_NE(column, nullptr) << names.back();
        labels.push_back(column->label);
    }
    EXPECT_EQ(rows[0], labels);
    const std::map<std::string, std::string> dates = {{"Birthday", "1970-05-17T00:00:00"},
                                                      {"CreateDate", "2008-03-05T14:07:09"}};
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), names.size());
        const std::string& id = rows[r][0];
        const std::string stored = "|" + before.at("contacts").at(id);
        for (std::size_t f = 0; f < names.size(); ++f) {
            std::string expected;
            if (fields[f]->type == FieldType::Date) {
                const auto date = dates.find(names[f]);
                expected = date != dates.end() && id != "c4" ? date->second : "";
            } else {
                const std::size_t at = stored.find("|" + names[f] + "=");
                ASSERT_NE(at, std::string::npos) << names[f];
                const std::size_t from = at + names[f].size() + 2;
                expected = stored.substr(from, stored.find('|', from) - from);
                if (fields[f]->type == FieldType::Bool)
                    expected = expected == "0" ? "No" : "Yes";
            }
            EXPECT_EQ(rows[r][f], expected) << id << " " << names[f];
        }
    }
    EXPECT_EQ(rows[1][std::find(names.begin(), names.end(), "Company") - names.begin()], "Acme, \"Best\"\nInc");
    for (const char* file : {"deletions.csv", "contacts.csv", "notes.csv", "log.txt"})
        EXPECT_TRUE(testutil::ownerOnly(folder + file)) << file;
    EXPECT_FALSE(std::filesystem::exists(folder + "calendar.csv")) << "no deletions, no file";
}

TEST_F(CleanPage, ASubmitTheCrmRefusesDeletesNothingAndSaysWhy)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_ADDR | KIND_NOTE));
    // The CRM refuses the submits' login; the check after them logs in as the load did.
    CleanupSession::SetBeforeSubmitHook([](CxACTBaseUtil& util) { util.SetPassword("changed"); });
    const TableRows before = ReadAllRows(pad);
    seams::ClearRecorded();

    RunCleaning();
    EXPECT_EQ(ReadAllRows(pad), before);
    const QString log = LogText();
    const std::string why = "Login failed: unknown user or wrong password.";
    EXPECT_FALSE(log.contains(QStringLiteral("Deletion succeeded.")));
    EXPECT_EQ(log.count(QString::fromStdString("Deletion failed.\n\tReason: " + why + "\n")), 2);
    std::vector<std::string> ending = SummaryLines(0, 0, 0, 0);
    ending.insert(ending.begin() + 3, "\t1 duplicate contact items not deleted.");
    ending.insert(ending.end() - 1, {"\t1 duplicate note items not deleted.", "Deleting contact items failed: " + why,
                                     "Deleting note items failed: " + why});
    EXPECT_TRUE(log.endsWith(LogOf(ending))) << log.toStdString();
    EXPECT_EQ(Clean()->GetAddrDeleted(), 0);
    EXPECT_EQ(testutil::readFile(Clean()->GetBackupFolder() + "deletions.csv"),
              "kind,record_id,kept_record_id,outcome,reason\ncontacts,c2,c1,not deleted," + why +
                  "\nnotes,n2,n1,not deleted," + why + "\n");

    std::vector<seams::ShownMessage> warnings;
    for (const auto& message : seams::ShownMessages())
        if (message.caption == QLatin1String("Warning"))
            warnings.push_back(message);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(warnings[0].text.contains(QString::fromStdString(Clean()->GetBackupFolder() + "log.txt")));
    EXPECT_TRUE(warnings[0].text.contains(QStringLiteral("    Contacts: 0 deleted, 1 not deleted\n")))
        << warnings[0].text.toStdString();
}

TEST_F(CleanPage, WithoutABackupNothingIsSubmitted)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    // No folder can be made where a file stands.
    testutil::writeFile(home.file("Documents") + "/Velloran Backups", "");
    const TableRows before = ReadAllRows(pad);
    CountSubmits();
    seams::ClearRecorded();

    RunCleaning();
    EXPECT_EQ(m_submits, 0);
    EXPECT_EQ(ReadAllRows(pad), before);
    EXPECT_TRUE(LogText().contains(QStringLiteral("Deletion failed.")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("\t0 duplicate contact items deleted.")));
    EXPECT_TRUE(LogText().contains(QStringLiteral("Deleting contact items failed: No backup of its records could be "
                                                  "written, so nothing was deleted: ")));
    const auto& shown = seams::ShownMessages();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().caption.toStdString(), "Error");
    EXPECT_EQ(shown.back().icon, QMessageBox::Critical);
    EXPECT_TRUE(shown.back().text.startsWith(QStringLiteral("Nothing was deleted: the backup")));
    EXPECT_TRUE(shown.back().text.endsWith(QStringLiteral("then go back to the first step and try again:\n") +
                                           QString::fromStdString(testutil::nativePath(home.file("Documents") +
                                                                                       "/Velloran Backups"))))
        << shown.back().text.toStdString();
}

TEST_F(CleanPage, TheLogAndTheBarFollowTheWorkWhileTheHelperRuns)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    auto* bar = Child<QProgressBar>(Clean(), "pbDel");
    int barDuringSubmit = -1;
    QString logDuringSubmit;
    CleanupSession::SetBeforeSubmitHook([&](CxACTBaseUtil&) {
        // On the submitting thread: ask the GUI thread what it shows now.
        QMetaObject::invokeMethod(
            bar,
            [&] {
                barDuringSubmit = bar->value();
                logDuringSubmit = LogText();
            },
            Qt::BlockingQueuedConnection);
    });

    RunCleaning();
    EXPECT_GT(barDuringSubmit, 0);
    EXPECT_LT(barDuringSubmit, 100);
    EXPECT_TRUE(logDuringSubmit.contains(QStringLiteral("Backup of the records to delete: ")));
    EXPECT_TRUE(logDuringSubmit.contains(QStringLiteral("Submitting 1 contact items to the ACT! database ...")));
}

TEST_F(CleanPage, TheLogTakesNoTypingAndTabLeavesIt)
{
    TestData data;
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    RunCleaning();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    auto* log = Child<QPlainTextEdit>(Clean(), "memLog");
    const QString text = log->toPlainText();
    log->setFocus();
    QTest::keyClicks(log, "typed");
    QTest::keyClick(log, Qt::Key_Delete);
    QTest::keyClick(log, Qt::Key_Backspace);
    EXPECT_EQ(log->toPlainText(), text);
    QTest::keyClick(log, Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), log);
    // Reached by Tab from the log, the link goes back with Enter.
    EXPECT_EQ(QApplication::focusWidget(), Child<QLabel>(Clean(), "lblBack"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(main->GetCurrentPage(), 0);
}

} // namespace
} // namespace pagetest
