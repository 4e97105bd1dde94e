#include "WizardFixture.h"

#include "gui/pages/Actclean.h"
#include "gui/pages/Actdata.h"
#include "gui/services/Seams.h"
#include "gui/services/Shell.h"
#include "gui/wizard/Actsource.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTNote.h"
#include "core/Apputil.h"
#include "misc/CxIniUtil.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <string>
#include <vector>

using namespace wizardtest;
using testutil::readFile;
using testutil::writeFile;

namespace {

constexpr const char* kLoadFailed = "Can not retrieve your ACT! information. Please make sure that you entered "
                                    "the correct ACT! access options.";

struct PageRow
{
    int page;
    bool prevEnabled;
    bool nextEnabled;
    const char* cancelCaption;
    const char* stepText;
};

const PageRow kRows[] = {
    {0, false, true, "&Cancel", "Please select enter your ACT! data access information"},
    {1, true, true, "&Cancel", "Please select the duplicate items that you want to delete."},
    {2, false, false, "&Finish", "Deleting duplicate items now."},
};

void ExpectRow(TfmMain* main, const PageRow& row, const char* when)
{
    SCOPED_TRACE(when);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->GetCurrentPage(), row.page);
    EXPECT_EQ(Child<QPushButton>(main, "btnPrev")->isEnabled(), row.prevEnabled);
    EXPECT_EQ(Child<QPushButton>(main, "btnNext")->isEnabled(), row.nextEnabled);
    EXPECT_EQ(Child<QPushButton>(main, "btnCancel")->text().toStdString(), row.cancelCaption);
    EXPECT_EQ(Child<QLabel>(main, "lblStep")->text().toStdString(), row.stepText);
    const QWidget* pages[] = {main->GetSourcePage(), main->GetDataPage(), main->GetCleanPage()};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pages[i]->isVisible(), i == row.page) << "page " << i;
}

// Which kinds' utilities got as far as their Load.
struct LoadRecorder
{
    std::vector<std::string> kinds;
    void Install()
    {
        CleanupSession::SetBeforeLoadHook([this](CxACTBaseUtil& util) {
            if (dynamic_cast<CxACTAddrUtil*>(&util))
                kinds.push_back("Addr");
            else if (dynamic_cast<CxACTNoteUtil*>(&util))
                kinds.push_back("Note");
            else
                kinds.push_back("other");
        });
    }
};

class MainWindowTest : public WizardTest
{
protected:
    // The load the source page runs, from the settings, without its wait window.
    bool LoadSelectedKinds()
    {
        WorkProgress quiet;
        return main->GetSession().LoadSelectedKinds(LoadRequest::FromSettings(AppSettings), quiet).Loaded();
    }
};

TEST_F(MainWindowTest, StartsOnTheSourcePageWithItsWindowAndButtons)
{
    OpenMain();
    EXPECT_EQ(main->windowTitle().toStdString(), "Velloran - Remove Duplicates in ACT!");
    EXPECT_EQ(main->size(), QSize(794, 594));
    // It may grow, never shrink below where it starts.
    EXPECT_EQ(main->minimumSize(), QSize(794, 594));
    EXPECT_GT(main->maximumSize().width(), 794);
    EXPECT_GT(main->maximumSize().height(), 594);
    EXPECT_EQ(Child<QPushButton>(main, "btnHelp")->text().toStdString(), "&Help");
    EXPECT_EQ(Child<QPushButton>(main, "btnDebug")->text().toStdString(), "&Troubleshooting");
    EXPECT_EQ(Child<QPushButton>(main, "btnPrev")->text().toStdString(), "<  &Prev");
    EXPECT_EQ(Child<QPushButton>(main, "btnNext")->text().toStdString(), "&Next  >");
    ExpectRow(main, kRows[0], "start");
    EXPECT_EQ(main->focusWidget(), Child<QLineEdit>(main, "edtPadName"));
    EXPECT_EQ(MainWindow(), main.data());
    EXPECT_EQ(main->GetAddrUtil(), nullptr);
    EXPECT_EQ(main->GetAddrDupList(), nullptr);

    // Left to right in the bottom band.
    const char* order[] = {"btnHelp", "btnDebug", "btnPrev", "btnNext", "btnCancel"};
    for (int i = 1; i < 5; ++i)
        EXPECT_LT(Child<QPushButton>(main, order[i - 1])->mapTo(main, QPoint()).x(),
                  Child<QPushButton>(main, order[i])->mapTo(main, QPoint()).x());
}

TEST_F(MainWindowTest, ReadsItsSettingsFromTheDataFolderAndFillsTheSourcePage)
{
    std::filesystem::create_directories(home.dataFolder());
    writeFile(home.settingsFile(),
              "[Velloran]\nPadName=/db/Sales.pad\nUserName=Ann\nAppFlag=5\nSavePassword=1\nPassword=c2VjcmV0\n");
    OpenMain();
    EXPECT_EQ(std::string(SettingsFile.GetPath()), home.settingsFile());
    EXPECT_EQ(Child<QLineEdit>(main, "edtPadName")->text().toStdString(), "/db/Sales.pad");
    EXPECT_EQ(Child<QLineEdit>(main, "edtACTUserName")->text().toStdString(), "Ann");
    EXPECT_TRUE(Child<QCheckBox>(main, "cbAddr")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(main, "cbDate")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(main, "cbTask")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(main, "cbNote")->isChecked());
    EXPECT_EQ(Child<QLineEdit>(main, "edtACTPassword")->text().toStdString(), "secret");
    EXPECT_TRUE(Child<QCheckBox>(main, "cbACTSaveUser")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(main, "cbACTSavePassword")->isChecked());
}

TEST_F(MainWindowTest, ClosingSavesTheSettingsAndDestroysTheWindow)
{
    OpenMain();
    // With no kind ticked Next stores the values, then fails to load and stays.
    FillSource("/db/Kept.pad", "Bob", "secret", 0);
    Child<QCheckBox>(main, "cbACTSavePassword")->setChecked(true);
    Click("btnNext");
    Click("btnCancel");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull());
    EXPECT_EQ(MainWindow(), nullptr);

    CxIniUtil file("", "x");
    file.SetPath(home.settingsFile().c_str());
    char text[256];
    file.ReadString("Velloran", "PadName", text, sizeof(text), "");
    EXPECT_STREQ(text, "/db/Kept.pad");
    file.ReadString("Velloran", "UserName", text, sizeof(text), "");
    EXPECT_STREQ(text, "Bob");
    EXPECT_EQ(file.ReadInt("Velloran", "AppFlag", -1), 0);
    EXPECT_TRUE(file.ReadBool("Velloran", "SavePassword", false));
    file.ReadString("Velloran", "Password", text, sizeof(text), "");
    EXPECT_STREQ(text, "c2VjcmV0");
}

TEST_F(MainWindowTest, HelpOpensTheHelpFileBesideTheProgram)
{
    OpenMain();
    Click("btnHelp");
    std::string folder;
    ASSERT_TRUE(platform::programFolder(folder));
    ASSERT_FALSE(ShellOpenedTargets().isEmpty());
    EXPECT_EQ(ShellOpenedTargets().back().toStdString(), folder + "Velloran.html");
    EXPECT_TRUE(std::filesystem::exists(folder + "Velloran.html")) << "the build copies it beside the program";
}

TEST_F(MainWindowTest, NoKindTickedFailsTheLoadWithoutRunningAHelper)
{
    OpenMain();
    LoadRecorder recorder;
    recorder.Install();
    FillSource("/db/Some.pad", "Ann", "pw", 0);
    Click("btnNext");

    EXPECT_TRUE(recorder.kinds.empty());
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(),
              std::string(kLoadFailed) + "\n\nNo kind of records is ticked: choose at least one.");
    EXPECT_EQ(seams::ShownMessages()[0].caption.toStdString(), "Error");
    EXPECT_EQ(seams::ShownMessages()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(seams::ShownMessages()[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(main->GetCurrentPage(), 0);
    EXPECT_TRUE(main->GetSourcePage()->isVisible());
    EXPECT_FALSE(Child<QPushButton>(main, "btnPrev")->isEnabled());
    // The load is over: the page's own step text again.
    EXPECT_EQ(Child<QLabel>(main, "lblStep")->text().toStdString(), kRows[0].stepText);
    // The failed attempt's (empty) data stays until the next load.
    EXPECT_NE(main->GetAddrUtil(), nullptr);
    EXPECT_NE(main->GetNoteDupList(), nullptr);
}

TEST_F(MainWindowTest, OnlyTheTickedKindsAreLoaded)
{
    OpenMain();
    LoadRecorder recorder;
    recorder.Install();
    AppSettings.AppFlag = KIND_NOTE;
    LoadSelectedKinds();
    EXPECT_EQ(recorder.kinds, std::vector<std::string>({"Note"}));

    recorder.kinds.clear();
    AppSettings.AppFlag = KIND_NOTE | KIND_ADDR | 64;
    LoadSelectedKinds();
    EXPECT_EQ(recorder.kinds, std::vector<std::string>({"Addr", "Note"}));
}

TEST_F(MainWindowTest, WithoutADataFolderNothingIsLoaded)
{
    OpenMain();
    LoadRecorder recorder;
    recorder.Install();
    // A data home below a plain file cannot be created.
    writeFile(home.path() + "/blocker", "");
    platform::setUserFoldersForTesting(home.path() + "/blocker/data", home.documents());
    AppSettings.AppFlag = 15;
    EXPECT_FALSE(LoadSelectedKinds());
    EXPECT_TRUE(recorder.kinds.empty());
}

TEST_F(MainWindowTest, PagesFollowTheStateTable)
{
    OpenMain();
    if (!FillDemoSource(KIND_NOTE))
        GTEST_SKIP() << "the stand-in helpers are not built";
    ExpectRow(main, kRows[0], "start");
    Click("btnPrev");
    ExpectRow(main, kRows[0], "Prev is disabled on page 0");
    Click("btnNext");
    ExpectRow(main, kRows[1], "Next from page 0");
    Click("btnPrev");
    ExpectRow(main, kRows[0], "Prev from page 1");
    Click("btnNext");
    ExpectRow(main, kRows[1], "Next again");
    Click("btnNext");
    ExpectRow(main, kRows[2], "Next from page 1");
    Click("btnNext");
    Click("btnPrev");
    ExpectRow(main, kRows[2], "both disabled on page 2");
    main->SetPage(0);
    ExpectRow(main, kRows[0], "Back to First Step");
    Click("btnNext");
    ExpectRow(main, kRows[1], "Next after going back");
    main->SetPage(2);
    Click("btnCancel");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(main.isNull()) << "Finish closes the program";
    // Only the questions before the deletions.
    for (const seams::ShownMessage& message : seams::ShownMessages())
        EXPECT_EQ(message.caption.toStdString(), "Confirmation");
}

TEST_F(MainWindowTest, PrevKeepsTheEnteredValuesAndNextLoadsAgain)
{
    OpenMain();
    if (!FillDemoSource(KIND_NOTE))
        GTEST_SKIP() << "the stand-in helpers are not built";
    Child<QCheckBox>(main, "cbACTSavePassword")->setChecked(true);
    LoadRecorder recorder;
    recorder.Install();
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 1);
    const CxACTNoteUtil* firstLoad = main->GetNoteUtil();
    Click("btnPrev");

    EXPECT_EQ(Child<QLineEdit>(main, "edtPadName")->text().toStdString(), DemoPad());
    EXPECT_EQ(Child<QLineEdit>(main, "edtACTUserName")->text().toStdString(), kDemoUser);
    EXPECT_EQ(Child<QLineEdit>(main, "edtACTPassword")->text().toStdString(), kDemoPassword);
    EXPECT_TRUE(Child<QCheckBox>(main, "cbACTSavePassword")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(main, "cbNote")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(main, "cbAddr")->isChecked());
    EXPECT_EQ(main->GetNoteUtil(), firstLoad) << "going back keeps the loaded data";

    Click("btnNext");
    EXPECT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(recorder.kinds, std::vector<std::string>({"Note", "Note"}));
}

} // namespace
