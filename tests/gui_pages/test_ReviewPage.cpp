#include "PagesFixture.h"

#include "gui/pages/DupListModel.h"
#include "gui/services/Seams.h"
#include "gui/services/Dupoption.h"

#include "ACT/CxACTNote.h"
#include "core/Apputil.h"
#include "core/DupGroup.h"
#include "core/LoadedData.h"
#include "misc/CxList.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace pagetest {
namespace {

using Ids = std::vector<std::string>;
constexpr int kAllKinds = KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE;

// Two pairs equal under the default contact rules, one of them only when case does not count.
TestData CaseContacts()
{
    TestData data;
    data.contacts = {
        Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Bob Ray", "bob@example.com"),
        Contact("c3", "ANN LEE", "ann@example.com"), Contact("c4", "Bob Ray", "bob@example.com"),
        Contact("c5", "Cy Moe", "cy@example.com"),
    };
    return data;
}

struct CaptionCase
{
    const char* name;
    std::vector<const char*> names; // one contact each; equal names are duplicates
    const char* caption;
    const char* countLabel;
};

void PrintTo(const CaptionCase& c, std::ostream* out)
{
    *out << c.name;
}

class CaptionTest : public PagesTest, public ::testing::WithParamInterface<CaptionCase>
{
};

TEST_P(CaptionTest, CountsDuplicatesInTheTabAndRecordsInTheLabel)
{
    const CaptionCase& c = GetParam();
    TestData data;
    int n = 0;
    for (const char* name : c.names) {
        const std::string id = "c" + std::to_string(++n);
        data.contacts.push_back(Contact(id.c_str(), name, "same@example.com"));
    }
    ASSERT_TRUE(Load(data, KIND_ADDR));
    EXPECT_EQ(TabText(TfmACTData::kAddr), QString::fromLatin1(c.caption));
    EXPECT_EQ(Child<QLabel>(Data(), "lblAddrCount")->text(), QString::fromLatin1(c.countLabel));
}

INSTANTIATE_TEST_SUITE_P(
    ReviewPage, CaptionTest,
    ::testing::Values(CaptionCase{"none", {"A", "B"}, "Contacts (0 Dup)", "2 Contact records in total"},
                      CaptionCase{"one", {"A", "B", "A"}, "Contacts (1 Dup)", "3 Contact records in total"},
                      CaptionCase{"two", {"A", "B", "A", "B"}, "Contacts (2 Dups)", "4 Contact records in total"},
                      CaptionCase{"single", {"A"}, "Contacts (0 Dup)", "1 Contact records in total"}),
    [](const auto& info) { return std::string(info.param.name); });

class ReviewPage : public PagesTest
{
};

TEST_F(ReviewPage, ShowsEachChosenKindWithItsCaptionsAndDuplicatesTicked)
{
    TestData data = CaseContacts();
    data.events = {Event("e1", "Review", Ole(2008, 3, 5, 14, 7, 9), Ole(2008, 3, 5, 15, 0, 0)),
                   Event("e2", "Review", Ole(2008, 3, 5, 14, 7, 9), Ole(2008, 3, 5, 15, 0, 0))};
    data.tasks = {Task("t1", "Call", 1, 0), Task("t2", "Call", 1, 0), Task("t3", "Call", 1, 0),
                  Task("t4", "Write", 1, 0)};
    data.notes = {Note("n1", "one"), Note("n2", "two")};
    ASSERT_TRUE(Load(data, kAllKinds));

    EXPECT_EQ(TabText(TfmACTData::kAddr), QStringLiteral("Contacts (2 Dups)"));
    EXPECT_EQ(TabText(TfmACTData::kDate), QStringLiteral("Calendar (1 Dup)"));
    EXPECT_EQ(TabText(TfmACTData::kTask), QStringLiteral("Tasks (2 Dups)"));
    EXPECT_EQ(TabText(TfmACTData::kNote), QStringLiteral("Notes (0 Dup)"));
    EXPECT_EQ(Child<QLabel>(Data(), "lblDateCount")->text(), QStringLiteral("2 Calendar records in total"));
    EXPECT_EQ(Child<QLabel>(Data(), "lblTaskCount")->text(), QStringLiteral("4 Task records in total"));
    EXPECT_EQ(Child<QLabel>(Data(), "lblNoteCount")->text(), QStringLiteral("2 Note records in total"));

    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c3", "c4"}));
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));
    EXPECT_EQ(RowIds(TfmACTData::kDate, true), (Ids{"e2"}));
    EXPECT_EQ(RowIds(TfmACTData::kTask, true), (Ids{"t2", "t3"}));
    EXPECT_TRUE(RowIds(TfmACTData::kNote).empty());
    for (const char* box : {"cbAddrAll", "cbDateAll", "cbTaskAll", "cbNoteAll", "cbCase"})
        EXPECT_FALSE(Child<QCheckBox>(Data(), box)->isChecked()) << box;
}

TEST_F(ReviewPage, ControlsCarryTheirNamesAndTexts)
{
    ASSERT_TRUE(Load(CaseContacts(), kAllKinds));
    const struct
    {
        const char* name;
        const char* text;
    } texts[] = {
        {"cbAddrAll", "Load All Contacts Data"},
        {"cbDateAll", "Load All Calendar Data"},
        {"cbTaskAll", "Load All Todos and Opportunities Data"},
        {"cbNoteAll", "Load All Notes Data"},
        {"cbCase", "Case sensitive when checking duplicate items."},
        {"btnOption", "&Options"},
        {"btnRefresh", "&Refresh"},
        {"btnSelAll", "Select All Dups"},
        {"btnClear", "Clear Selection"},
    };
    for (const auto& t : texts) {
        auto* button = Child<QAbstractButton>(Data(), t.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromLatin1(t.text)) << t.name;
    }
    for (const char* name : {"tAddr", "tDate", "tTask", "tNote"})
        EXPECT_NE(Data()->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;

    const struct
    {
        TfmACTData::DataKind kind;
        std::vector<std::pair<const char*, int>> columns;
    } lists[] = {
        {TfmACTData::kAddr,
         {{"Display Name", 120}, {"Email", 120}, {"Primary Phone", 100}, {"Company", 100}, {"Title", 100}}},
        {TfmACTData::kDate,
         {{"Subject", 200}, {"Start Time", 80}, {"End Time", 80}, {"All Day Event", 100}, {"Location", 150}}},
        {TfmACTData::kTask, {{"Subject", 200}, {"Importance", 80}, {"Due Date", 80}, {"Body", 240}}},
        {TfmACTData::kNote, {{"Notes", 600}}},
    };
    for (const auto& list : lists) {
        QTreeView* view = List(list.kind);
        ASSERT_EQ(view->model()->columnCount(), static_cast<int>(list.columns.size()));
        for (int c = 0; c < static_cast<int>(list.columns.size()); ++c) {
            EXPECT_EQ(view->model()->headerData(c, Qt::Horizontal).toString(),
                      QString::fromLatin1(list.columns[c].first));
            // The last column takes what room is left.
            if (c + 1 < static_cast<int>(list.columns.size())) {
                EXPECT_EQ(view->header()->sectionSize(c), list.columns[c].second) << list.columns[c].first;
            } else {
                EXPECT_GE(view->header()->sectionSize(c), list.columns[c].second) << list.columns[c].first;
            }
        }
        EXPECT_TRUE(view->header()->stretchLastSection());
        EXPECT_EQ(view->header()->sectionResizeMode(0), QHeaderView::Interactive);
    }
    EXPECT_EQ(List(TfmACTData::kAddr)->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(List(TfmACTData::kDate)->selectionBehavior(), QAbstractItemView::SelectRows);
    for (const TfmACTData::DataKind kind : {TfmACTData::kAddr, TfmACTData::kDate, TfmACTData::kTask, TfmACTData::kNote})
        EXPECT_EQ(List(kind)->editTriggers(), QAbstractItemView::NoEditTriggers) << KindIndex(kind);
}

TEST_F(ReviewPage, ColumnsShowTheRecordFields)
{
    TestData data;
    ContactRecord contact = Contact("c1", "Ann Lee", "ann@example.com", "Acme");
    contact.BusinessPhone = "555-0100";
    contact.BusinessPhoneExtension = "42";
    contact.Title = "Buyer";
    data.contacts = {contact};
    data.events = {Event("e1", "Board", Ole(2008, 3, 5, 14, 7, 9), Ole(2008, 3, 5, 16, 30, 0), true, "Room 1"),
                   Event("e2", "Empty", 0, 0.0005)};
    data.tasks = {Task("t1", "High one", 0, Ole(2008, 3, 5)), Task("t2", "Normal one", 1, 0),
                  Task("t3", "Low one", 2, Ole(2031, 1, 1)), Task("t4", "Odd one", 7, -3)};
    data.notes = {Note("n1", "Line one\r\nLine two"), Note("n2", "One line")};
    ASSERT_TRUE(Load(data, kAllKinds));
    for (const char* box : {"cbAddrAll", "cbDateAll", "cbTaskAll", "cbNoteAll"})
        ClickBox(box);

    const auto row = [this](TfmACTData::DataKind kind, int r) {
        QStringList cells;
        DupListModel* model = Model(kind);
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->data(model->index(r, c)).toString();
        return cells.join(QLatin1Char('|'));
    };
    EXPECT_EQ(row(TfmACTData::kAddr, 0), QStringLiteral("Ann Lee|ann@example.com|555-0100|Acme|Buyer"));
    EXPECT_EQ(row(TfmACTData::kDate, 0), QStringLiteral("Board|14:07:09|16:30:00|Yes|Room 1"));
    EXPECT_EQ(row(TfmACTData::kDate, 1), QStringLiteral("Empty|N/A|N/A|No|"));
    EXPECT_EQ(row(TfmACTData::kTask, 0), QStringLiteral("High one|High|03/05/2008|"));
    EXPECT_EQ(row(TfmACTData::kTask, 1), QStringLiteral("Normal one|Normal|N/A|"));
    EXPECT_EQ(row(TfmACTData::kTask, 2), QStringLiteral("Low one|Low|01/01/2031|"));
    EXPECT_EQ(row(TfmACTData::kTask, 3), QStringLiteral("Odd one|Normal|N/A|"));
    EXPECT_EQ(row(TfmACTData::kNote, 0), QStringLiteral("Line one\r\nLine two"));

    // A text with line breaks is still drawn on one line, so rows never grow or overlap.
    QTreeView* notes = List(TfmACTData::kNote);
    QStyleOptionViewItem option;
    option.initFrom(notes);
    const auto height = [&](int r) {
        return notes->itemDelegate()->sizeHint(option, Model(TfmACTData::kNote)->index(r, 0)).height();
    };
    EXPECT_EQ(height(0), height(1));
}

TEST_F(ReviewPage, RefreshTicksAnUntickedDuplicateAgain)
{
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR));
    QTreeView* list = List(TfmACTData::kAddr);
    list->setFocus();
    list->setCurrentIndex(Model(TfmACTData::kAddr)->index(0, 0));
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c4"}));

    Click("btnRefresh", Data());
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c3", "c4"}));
}

TEST_F(ReviewPage, FullViewListsEveryRecordUntickedAndTheCaptionStillCountsDuplicates)
{
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR));
    ClickBox("cbAddrAll");
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c1", "c2", "c3", "c4", "c5"}));
    EXPECT_TRUE(RowIds(TfmACTData::kAddr, true).empty());
    EXPECT_EQ(TabText(TfmACTData::kAddr), QStringLiteral("Contacts (2 Dups)"));

    ClickBox("cbAddrAll");
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c3", "c4"}));
}

struct SelectAllCase
{
    const char* name;
    bool fullView;
    QMessageBox::StandardButton answer;
    bool asked;
    bool ticked;
};

void PrintTo(const SelectAllCase& c, std::ostream* out)
{
    *out << c.name;
}

class SelectAllTest : public PagesTest, public ::testing::WithParamInterface<SelectAllCase>
{
};

TEST_P(SelectAllTest, AsksOnlyWhenAFullViewIsShownAndOnlyYesTicks)
{
    const SelectAllCase& c = GetParam();
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR | KIND_NOTE));
    if (c.fullView)
        ClickBox("cbAddrAll");
    else
        Click("btnClear", Data());
    seams::ClearRecorded();
    seams::QueueMessageAnswer(c.answer);

    Click("btnSelAll", Data());
    const auto& shown = seams::ShownMessages();
    ASSERT_EQ(shown.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(shown[0].caption, QStringLiteral("Confirmation"));
        EXPECT_EQ(shown[0].text, QStringLiteral("You are selecting all Contacts, Calendar, Tasks or Notes information, "
                                                "including non-duplicate records. Are you sure to continue?"));
        EXPECT_EQ(shown[0].icon, QMessageBox::Question);
        EXPECT_EQ(shown[0].buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    }
    const Ids all = RowIds(TfmACTData::kAddr);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), c.ticked ? all : Ids{});
    seams::ClearRecorded();
}

INSTANTIATE_TEST_SUITE_P(ReviewPage, SelectAllTest,
                         ::testing::Values(SelectAllCase{"NoQuestionInDuplicateView", false, QMessageBox::No, false,
                                                         true},
                                           SelectAllCase{"FullViewYes", true, QMessageBox::Yes, true, true},
                                           SelectAllCase{"FullViewNo", true, QMessageBox::No, true, false},
                                           SelectAllCase{"FullViewCancel", true, QMessageBox::Cancel, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReviewPage, SelectAndClearActOnTheShownKindsOnly)
{
    TestData data = CaseContacts();
    data.notes = {Note("n1", "same"), Note("n2", "same"), Note("n3", "same")};
    data.tasks = {Task("t1", "Call", 1, 0), Task("t2", "Call", 1, 0)};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    auto* tabs = Child<QTabWidget>(Data(), "pData");
    EXPECT_FALSE(tabs->isTabVisible(KindIndex(TfmACTData::kAddr)));
    EXPECT_FALSE(tabs->isTabVisible(KindIndex(TfmACTData::kTask)));
    EXPECT_TRUE(tabs->isTabVisible(KindIndex(TfmACTData::kNote)));
    EXPECT_EQ(tabs->currentIndex(), KindIndex(TfmACTData::kNote));

    Click("btnClear", Data());
    EXPECT_EQ(RowIds(TfmACTData::kNote), (Ids{"n2", "n3"}));
    EXPECT_TRUE(RowIds(TfmACTData::kNote, true).empty());
    Click("btnSelAll", Data());
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n3"}));
    EXPECT_EQ(Model(TfmACTData::kTask)->rowCount(), 0);
    EXPECT_EQ(Model(TfmACTData::kAddr)->rowCount(), 0);

    // A kind that is not shown keeps its list and records as they are when the page is left.
    Click("btnClear", Data());
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    EXPECT_EQ(ListedIds(TfmACTData::kNote), (Ids{"n2", "n3"}));
    EXPECT_TRUE(ListedIds(TfmACTData::kTask).empty());
    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 10000);
    EXPECT_EQ(Clean()->GetNoteDeleted(), 0);
}

TEST_F(ReviewPage, CaseBoxWritesTheSettingAndRegroups)
{
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR));
    ASSERT_FALSE(AppSettings.CaseSensitive);
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));

    ClickBox("cbCase");
    EXPECT_TRUE(AppSettings.CaseSensitive);
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c4"}));
    EXPECT_EQ(TabText(TfmACTData::kAddr), QStringLiteral("Contacts (1 Dup)"));

    ClickBox("cbCase");
    EXPECT_FALSE(AppSettings.CaseSensitive);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c3", "c4"}));
}

// The box shows the rule the groups were made by, each time the page opens, and a click still turns the
// rule over and regroups.
TEST_F(ReviewPage, CaseBoxShowsTheSettingInForceAndAClickTurnsItOver)
{
    std::filesystem::create_directories(home.dataFolder());
    std::ofstream(home.dataFolder() + "corvane.ini") << "[Velloran]\nCaseSensitive=1\n";
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR));
    ASSERT_TRUE(AppSettings.CaseSensitive);
    auto* box = Child<QCheckBox>(Data(), "cbCase");
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c4"}));

    ClickBox("cbCase");
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(AppSettings.CaseSensitive);
    EXPECT_EQ(RowIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));

    // Back to the source page and on again: the box follows the setting as it now stands, either way.
    for (const bool sensitive : {false, true}) {
        SCOPED_TRACE(sensitive);
        Click("btnPrev");
        ASSERT_EQ(main->GetCurrentPage(), 0);
        AppSettings.CaseSensitive = sensitive;
        Click("btnNext");
        ASSERT_EQ(main->GetCurrentPage(), 1);
        EXPECT_EQ(box->isChecked(), sensitive);
        EXPECT_EQ(RowIds(TfmACTData::kAddr), (sensitive ? Ids{"c4"} : Ids{"c3", "c4"}));
    }
}

// Answers the rules dialog: switches the contacts' e-mail rule to `emailRule` and presses OK, or cancels.
int g_emailRule = -1;
int AnswerRules(QWidget* dialog)
{
    EXPECT_NE(qobject_cast<TfmDupOption*>(dialog), nullptr);
    if (g_emailRule < 0)
        return QDialog::Rejected;
    auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("cbAddrEmail"));
    EXPECT_NE(box, nullptr);
    if (box)
        box->setChecked(g_emailRule != 0);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    return QDialog::Accepted;
}

TEST_F(ReviewPage, RulesDialogRegroupsOnOkOnly)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "other@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    ASSERT_TRUE(RowIds(TfmACTData::kAddr).empty());
    seams::SetDialogHandler(AnswerRules);

    g_emailRule = -1;
    AppSettings.AddrEmail = false; // what a cancelled dialog must not act on
    Click("btnOption", Data());
    EXPECT_TRUE(RowIds(TfmACTData::kAddr).empty());

    g_emailRule = 0;
    Click("btnOption", Data());
    EXPECT_FALSE(AppSettings.AddrEmail);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c2"}));
    EXPECT_EQ(TabText(TfmACTData::kAddr), QStringLiteral("Contacts (1 Dup)"));

    // Nothing of the dialog stays behind.
    EXPECT_EQ(Data()->findChild<TfmDupOption*>(), nullptr);
}

// Answers the rules dialog by clicking the blanks option and then OK, as a user does.
int TickBlanksAndConfirm(QWidget* dialog)
{
    auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("cbMatchBlanks"));
    EXPECT_NE(box, nullptr);
    if (!box)
        return QDialog::Rejected;
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    EXPECT_TRUE(box->isChecked());
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("btnOK")), Qt::LeftButton);
    return QDialog::Accepted;
}

TEST_F(ReviewPage, RulesDialogOptionRegroupsOnOk)
{
    TestData data;
    data.contacts = {Contact("c1", "Sarah Long", "sarah@example.com"),
                     Contact("c2", " Sarah  Long ", "sarah@example.com"),
                     Contact("c3", "Sarah Lo ng", "sarah@example.com")};
    ASSERT_TRUE(Load(data, KIND_ADDR));
    ASSERT_TRUE(RowIds(TfmACTData::kAddr).empty());
    seams::SetDialogHandler(TickBlanksAndConfirm);

    Click("btnOption", Data());
    EXPECT_TRUE(AppSettings.MatchBlanks);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c2"}));
    EXPECT_EQ(TabText(TfmACTData::kAddr), QStringLiteral("Contacts (1 Dup)"));
}

TEST_F(ReviewPage, LeavingWritesTheTicksIntoRecordsAndTheDeletionList)
{
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR | KIND_NOTE));
    // Duplicate view: untick c3.
    SetTick(TfmACTData::kAddr, 0, false);
    Data()->Exchange(true);
    EXPECT_EQ(ListedIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));
    const auto flagsOf = [this](int row) {
        return static_cast<ContactRecord*>(Model(TfmACTData::kAddr)->RecordAt(row))->DupFlags;
    };
    EXPECT_FALSE(flagsOf(0) & DUP_SELECTED);
    EXPECT_TRUE(flagsOf(1) & DUP_SELECTED);

    // Full view: tick c1 (no duplicate) and c4 again; c4 is listed once only.
    ClickBox("cbAddrAll");
    SetTick(TfmACTData::kAddr, 0, true);
    SetTick(TfmACTData::kAddr, 3, true);
    Data()->Exchange(true);
    EXPECT_EQ(ListedIds(TfmACTData::kAddr), (Ids{"c3", "c4", "c1"}));
    EXPECT_TRUE(flagsOf(0) & DUP_SELECTED);
    EXPECT_FALSE(flagsOf(1) & DUP_SELECTED);
    EXPECT_FALSE(flagsOf(2) & DUP_SELECTED);
    EXPECT_TRUE(flagsOf(3) & DUP_SELECTED);

    // The next grouping pass drops what the page appended.
    Click("btnRefresh", Data());
    EXPECT_EQ(ListedIds(TfmACTData::kAddr), (Ids{"c3", "c4"}));
}

// The question before anything is deleted: what goes, per kind, and where its copy is kept.
TEST_F(ReviewPage, NextAsksBeforeDeletingAndNoKeepsEveryTick)
{
    TestData data;
    data.contacts = {Contact("c1", "Ann Lee", "ann@example.com"), Contact("c2", "Ann Lee", "ann@example.com")};
    data.notes = {Note("n1", "same"), Note("n2", "same"), Note("n3", "same")};
    ASSERT_TRUE(Load(data, KIND_ADDR | KIND_NOTE));
    seams::ClearRecorded();
    seams::QueueMessageAnswer(QMessageBox::No);
    Click("btnNext");

    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    const seams::ShownMessage& question = seams::ShownMessages()[0];
    EXPECT_EQ(question.caption.toStdString(), "Confirmation");
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.text.toStdString(),
              "Delete these records from the ACT! database?\n\n    1 contact\n    2 notes\n\nBefore anything is "
              "deleted, a copy of each of them is saved in a new folder, named after the date and time, in:\n" +
                  testutil::nativePath(home.file("Documents") + "/Velloran Backups") +
                  "\nThe copy does not hold the notes and history that ACT! keeps under a deleted contact.");
    EXPECT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c2"}));
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n3"}));
    EXPECT_FALSE(static_cast<ContactRecord*>(Model(TfmACTData::kAddr)->RecordAt(0))->DupFlags & DUP_SELECTED)
        << "nothing is committed";

    // Yes is the default: Enter goes on.
    Click("btnNext");
    EXPECT_EQ(main->GetCurrentPage(), 2);
}

TEST_F(ReviewPage, NothingTickedMeansNoQuestion)
{
    TestData data;
    data.notes = {Note("n1", "same"), Note("n2", "same")};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    Click("btnClear", Data());
    seams::ClearRecorded();
    Click("btnNext");
    EXPECT_TRUE(seams::ShownMessages().empty());
    EXPECT_EQ(main->GetCurrentPage(), 2);
}

TEST_F(ReviewPage, TheQuestionWarnsOfGroupsThatWouldVanishAndOfRecordsWithoutCopies)
{
    TestData data;
    data.notes = {Note("n1", "a"), Note("n2", "a"), Note("n3", "b"), Note("n4", "c"), Note("n5", "c"),
                  Note("n6", "d")};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    ClickBox("cbNoteAll");
    const struct
    {
        const char* name;
        std::vector<int> rows;
        const char* warnings;
    } cases[] = {
        {"duplicates only", {1, 4}, ""},
        {"one whole group", {0, 1, 4},
         "\n\nWARNING: 1 ticked record is the last of its group: every record of that group is ticked, so none of "
         "them would remain."},
        {"every record",
         {0, 1, 2, 3, 4, 5},
         "\n\nWARNING: 2 ticked records are the last of their groups: every record of those groups is ticked, so "
         "none of them would remain.\n\nWARNING: 2 ticked records are not duplicates at all: no other record is "
         "equal to them."},
        {"a group's first record and a single one", {0, 2},
         "\n\nWARNING: 1 ticked record is not a duplicate at all: no other record is equal to it."},
    };
    for (const auto& c : cases) {
        Click("btnClear", Data());
        for (int row : c.rows)
            SetTick(TfmACTData::kNote, row, true);
        seams::ClearRecorded();
        seams::QueueMessageAnswer(QMessageBox::No);
        EXPECT_FALSE(Data()->ConfirmDeletion()) << c.name;
        ASSERT_EQ(seams::ShownMessages().size(), 1u) << c.name;
        const seams::ShownMessage& question = seams::ShownMessages()[0];
        EXPECT_TRUE(question.text.endsWith(QString::fromStdString(testutil::nativePath("/Velloran Backups")) + QLatin1String(c.warnings)))
            << c.name << "\n" << question.text.toStdString();
        EXPECT_EQ(question.icon, *c.warnings ? QMessageBox::Warning : QMessageBox::Question) << c.name;
    }
}

TEST_F(ReviewPage, DoubleClickOpensTheSelectedRecordInItsViewer)
{
    TestData data;
    data.notes = {Note("n1", "first"), Note("n2", "second"), Note("n3", "third")};
    ASSERT_TRUE(Load(data, KIND_NOTE));
    ClickBox("cbNoteAll");
    static QString shownName;
    static QString shownText;
    seams::SetDialogHandler([](QWidget* dialog) {
        shownName = dialog->objectName();
        if (auto* memo = dialog->findChild<QPlainTextEdit*>(QStringLiteral("memNotes")))
            shownText = memo->toPlainText();
        return int(QDialog::Rejected);
    });
    QTreeView* list = List(TfmACTData::kNote);
    const QPoint second = list->visualRect(Model(TfmACTData::kNote)->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_EQ(shownName, QStringLiteral("fmACTNoteDetail"));
    EXPECT_EQ(shownText, QStringLiteral("second"));

    // Without a selection nothing opens.
    shownName.clear();
    list->clearSelection();
    Data()->lvNoteDblClick();
    EXPECT_TRUE(shownName.isEmpty());
}

// What a list shows is the record as loaded: no key or click opens an editor on it, on any tab, and a
// double-click still opens the record.
TEST_F(ReviewPage, NoListOpensAnEditor)
{
    TestData data = CaseContacts();
    data.events = {Event("e1", "Review", Ole(2008, 3, 5, 14, 7, 9), Ole(2008, 3, 5, 15, 0, 0))};
    data.tasks = {Task("t1", "Call", 1, 0)};
    data.notes = {Note("n1", "first"), Note("n2", "second")};
    ASSERT_TRUE(Load(data, kAllKinds));
    for (const char* box : {"cbAddrAll", "cbDateAll", "cbTaskAll", "cbNoteAll"})
        ClickBox(box);
    static int opened = 0;
    seams::SetDialogHandler([](QWidget*) {
        ++opened;
        return int(QDialog::Rejected);
    });
    for (const TfmACTData::DataKind kind :
         {TfmACTData::kAddr, TfmACTData::kDate, TfmACTData::kTask, TfmACTData::kNote}) {
        SCOPED_TRACE(KindIndex(kind));
        Child<QTabWidget>(Data(), "pData")->setCurrentIndex(KindIndex(kind));
        QTreeView* list = List(kind);
        const QModelIndex first = Model(kind)->index(0, 0);
        const QString caption = first.data().toString();
        list->setCurrentIndex(first);
        const QPoint centre = list->visualRect(first).center();
        opened = 0;

        QTest::keyClick(list, Qt::Key_F2);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        EXPECT_EQ(list->findChild<QLineEdit*>(), nullptr);
        EXPECT_FALSE(Model(kind)->flags(first) & Qt::ItemIsEditable);

        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        EXPECT_EQ(list->findChild<QLineEdit*>(), nullptr);
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(first.data().toString(), caption);
    }
}

// Notes in two groups: n1..n4 alike, n5 and n6 alike.
TestData TwoNoteGroups()
{
    TestData data;
    data.notes = {Note("n1", "same"), Note("n2", "same"), Note("n3", "same"),
                  Note("n4", "same"), Note("n5", "other"), Note("n6", "other")};
    return data;
}

class KeepTest : public PagesTest
{
protected:
    std::string KeptOf(const char* id)
    {
        const DupGroups& groups = main->GetLoadedData().Groups(TfmACTData::kNote);
        auto* manager = main->GetNoteUtil()->GetManager();
        for (NoteRecord* note = FirstRecord<NoteRecord>(manager); note; note = NextRecord<NoteRecord>(manager))
            if (std::string(note->RecordID) == id)
                return groups.KeptOf(note) ? static_cast<const NoteRecord*>(groups.KeptOf(note))->RecordID : "none";
        return "not loaded";
    }
    void KeepRow(int row)
    {
        List(TfmACTData::kNote)->setCurrentIndex(Model(TfmACTData::kNote)->index(row, 0));
        Click("btnKeep", Data());
    }
};

TEST_F(KeepTest, KeepThisOneInTheDuplicateViewSwapsTheRowAndTheGroupFollows)
{
    const struct
    {
        const char* name;
        int row;
        Ids rows;
        const char* stays;
    } cases[] = {
        {"first of the group", 0, {"n1", "n3", "n4", "n6"}, "n2"},
        {"middle of the group", 1, {"n2", "n1", "n4", "n6"}, "n3"},
        {"last of the group", 2, {"n2", "n3", "n1", "n6"}, "n4"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(LoadDatabase(WriteDatabase(home.file(std::string("db ") + c.name), TwoNoteGroups()), KIND_NOTE))
            << c.name;
        ASSERT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n3", "n4", "n6"})) << c.name;
        KeepRow(c.row);
        EXPECT_EQ(RowIds(TfmACTData::kNote, true), c.rows) << c.name;
        for (const char* id : {"n1", "n2", "n3", "n4"})
            EXPECT_EQ(KeptOf(id), c.stays) << c.name << " " << id;
        EXPECT_EQ(KeptOf("n6"), "n5") << c.name;
        // The row shows a copy again: it can go back.
        EXPECT_TRUE(Child<QPushButton>(Data(), "btnKeep")->isEnabled()) << c.name;
        Click("btnPrev");
    }
}

TEST_F(KeepTest, TheChoiceReachesTheDatabaseAndTheBackup)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE));
    KeepRow(1);
    const TableRows before = ReadAllRows(pad);
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 30000);

    const TableRows after = ReadAllRows(pad);
    EXPECT_EQ(after.at("notes").count("n3"), 1u) << "the chosen record stays";
    EXPECT_EQ(after.at("notes").count("n1"), 0u) << "the group's first record goes";
    EXPECT_EQ(after.at("notes").size(), 2u);
    EXPECT_EQ(testutil::readFile(Clean()->GetBackupFolder() + "deletions.csv"),
              "kind,record_id,kept_record_id,outcome,reason\nnotes,n2,n3,deleted,\nnotes,n4,n3,deleted,\n"
              "notes,n6,n5,deleted,\nnotes,n1,n3,deleted,\n");
}

// The choice survives a look at the full list and back: the duplicate view shows the copies as they are
// now, and Next deletes the record that stayed before, not the one chosen.
TEST_F(KeepTest, TheChoiceSurvivesSwitchingViews)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE));
    KeepRow(1);
    ClickBox("cbNoteAll");
    ClickBox("cbNoteAll");
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n1", "n4", "n6"}));
    EXPECT_EQ(KeptOf("n1"), "n3");

    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 30000);
    const TableRows after = ReadAllRows(pad);
    EXPECT_EQ(after.at("notes").count("n3"), 1u);
    EXPECT_EQ(after.at("notes").count("n1"), 0u);
}

TEST_F(KeepTest, InTheFullViewTheTickMovesAndCanMoveAgain)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE));
    ClickBox("cbNoteAll");
    ASSERT_TRUE(RowIds(TfmACTData::kNote, true).empty());
    KeepRow(2);
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n1"}));
    EXPECT_EQ(KeptOf("n4"), "n3");
    KeepRow(3);
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n1", "n3"}));
    EXPECT_EQ(KeptOf("n1"), "n4");

    // The record that stays, and a record in no group, offer nothing to keep.
    List(TfmACTData::kNote)->setCurrentIndex(Model(TfmACTData::kNote)->index(3, 0));
    EXPECT_FALSE(Child<QPushButton>(Data(), "btnKeep")->isEnabled());
    // Regrouping forgets the choice.
    Click("btnRefresh", Data());
    EXPECT_EQ(KeptOf("n4"), "n1");
}

TEST_F(ReviewPage, TickedRowsHiddenByTheFilterStillGo)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    QTest::keyClick(main, Qt::Key_F, Qt::ControlModifier);
    auto* find = Child<QLineEdit>(Data(), "edtFind");
    EXPECT_TRUE(find->hasFocus());
    QTest::keyClicks(find, "OTH");
    EXPECT_EQ(RowIds(TfmACTData::kNote), (Ids{"n6"}));
    QTest::keyClicks(find, "x");
    EXPECT_TRUE(RowIds(TfmACTData::kNote).empty());

    const TableRows before = ReadAllRows(pad);
    seams::ClearRecorded();
    Click("btnNext");
    ASSERT_FALSE(seams::ShownMessages().empty());
    EXPECT_TRUE(seams::ShownMessages()[0].text.contains(QStringLiteral("    4 notes")));
    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 30000);
    EXPECT_EQ(ReadAllRows(pad).at("notes").size(), 2u);
}

TEST_F(ReviewPage, TheKeyboardWorksTheList)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE | KIND_ADDR));
    // The first shown tab's first row is current, and the list has the keyboard.
    QTreeView* contacts = List(TfmACTData::kAddr);
    EXPECT_EQ(Data()->CurrentKind(), TfmACTData::kAddr);
    Child<QTabWidget>(Data(), "pData")->setCurrentIndex(KindIndex(TfmACTData::kNote));
    QTreeView* notes = List(TfmACTData::kNote);
    ASSERT_NE(contacts, nullptr);
    EXPECT_EQ(notes->currentIndex().row(), -1) << "only the first tab's list was given a current row";
    notes->setCurrentIndex(Model(TfmACTData::kNote)->index(1, 2 - 2));

    QTest::keyClick(notes, Qt::Key_Space);
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n4", "n6"}));
    QTest::keyClick(notes, Qt::Key_Space);
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n2", "n3", "n4", "n6"}));

    static QString shownText;
    seams::SetDialogHandler([](QWidget* dialog) {
        if (auto* memo = dialog->findChild<QPlainTextEdit*>(QStringLiteral("memNotes")))
            shownText = memo->toPlainText();
        return int(QDialog::Rejected);
    });
    shownText.clear();
    QTest::keyClick(notes, Qt::Key_Return);
    EXPECT_EQ(shownText, QStringLiteral("same"));
}

TEST_F(ReviewPage, TheFirstRowIsCurrentWithTheKeyboardWhenThePageOpens)
{
    ASSERT_TRUE(Load(TwoNoteGroups(), KIND_NOTE));
    QTreeView* notes = List(TfmACTData::kNote);
    EXPECT_EQ(notes->currentIndex().row(), 0);
    EXPECT_EQ(main->focusWidget(), notes);

    // Keep This One (Alt+K; the real keys are tested under X) acts on it.
    auto* keep = Child<QPushButton>(Data(), "btnKeep");
    EXPECT_EQ(keep->shortcut(), QKeySequence(QStringLiteral("Alt+K")));
    Click("btnKeep", Data());
    EXPECT_EQ(RowIds(TfmACTData::kNote, true), (Ids{"n1", "n3", "n4", "n6"}));
}

TEST_F(ReviewPage, LeavingBackwardsDropsTheRowsBeforeTheNextLoadFreesTheRecords)
{
    ASSERT_TRUE(Load(CaseContacts(), KIND_ADDR));
    ASSERT_EQ(Model(TfmACTData::kAddr)->rowCount(), 2);
    Click("btnPrev");
    ASSERT_EQ(main->GetCurrentPage(), 0);
    EXPECT_EQ(Model(TfmACTData::kAddr)->rowCount(), 0);

    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(RowIds(TfmACTData::kAddr, true), (Ids{"c3", "c4"}));
}

} // namespace
} // namespace pagetest
