#include "GuiTestUtil.h"
#include "TestUtil.h"

#include "gui/services/Diagnostics.h"
#include "gui/services/DiagnosticsDialogs.h"
#include "gui/services/Seams.h"
#include "gui/services/Shell.h"

#include "core/Apputil.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using guitest::WaitFor;
using testutil::readFile;
using testutil::writeFile;

const char* const kLevels[] = {
    "Critical - Only log critical error information.",
    "High - Log high level debug information.",
    "Low - Log very detail debug information.",
};

using guitest::DataFolder;

// Lets a test act on the dialogs that ExecDialog runs, in the order they come up.
std::function<int(QWidget*)> g_onDialog;
std::vector<QString> g_dialogsSeen;

int HandleDialog(QWidget* dialog)
{
    g_dialogsSeen.push_back(dialog->objectName());
    return g_onDialog ? g_onDialog(dialog) : QDialog::Rejected;
}

template <typename T> T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Click(QWidget* parent, const char* name)
{
    if (auto* button = Child<QPushButton>(parent, name))
        button->click();
}

class DiagnosticsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        savedSettings = AppSettings;
        seams::ClearRecorded();
        seams::SetDialogHandler(HandleDialog);
        g_onDialog = nullptr;
        g_dialogsSeen.clear();
        char folder[260];
        ASSERT_TRUE(GetDataFolder(folder));
        ASSERT_EQ(std::string(folder), DataFolder());
        std::filesystem::remove(DataFolder() + "appdebug.log");
        DebugLog.SetFolder(DataFolder().c_str());
        DebugLog.SetEnabled(false);
        DebugLog.SetLevel(0);
    }

    void TearDown() override
    {
        AppSettings = savedSettings;
        seams::SetDialogHandler(nullptr);
        g_onDialog = nullptr;
        SetMainWindow(nullptr);
        DebugLog.SetEnabled(false);
    }

    AppSettingsData savedSettings;
};

TEST_F(DiagnosticsTest, DebugDialogHasItsControlsAndTexts)
{
    TfmDebug dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Velloran Debug Log Options");
    EXPECT_EQ(dialog.size(), QSize(554, 394));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_NE(dialog.findChild<QWidget*>("imgLogo"), nullptr);
    if (auto* title = Child<QLabel>(&dialog, "Label6")) {
        EXPECT_EQ(title->text(), "Velloran");
    }
    if (auto* enable = Child<QCheckBox>(&dialog, "cbEnable")) {
        EXPECT_EQ(enable->text(), "Enable Debug Log");
    }
    if (auto* level = Child<QComboBox>(&dialog, "cbxLevel")) {
        ASSERT_EQ(level->count(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(level->itemText(i), kLevels[i]);
        }
        EXPECT_FALSE(level->isEditable());
    }
    const struct
    {
        const char* name;
        const char* text;
    } buttons[] = {{"btnFolder", "..."}, {"btnFile", "..."}, {"btnOK", "&OK"}, {"btnCancel", "&Cancel"}};
    for (const auto& b : buttons) {
        if (auto* button = Child<QPushButton>(&dialog, b.name)) {
            EXPECT_EQ(button->text(), b.text) << b.name;
        }
    }
    auto groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]->title(), " Debug Information ");
}

TEST_F(DiagnosticsTest, DumpDialogHasItsControlsAndTexts)
{
    TfmDump dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), "Handle Velloran Exception");
    EXPECT_EQ(dialog.size(), QSize(569, 398));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_NE(dialog.findChild<QWidget*>("imgLogo"), nullptr);
    const struct
    {
        const char* name;
        const char* text;
    } labels[] = {
        {"Label6", "Velloran"},
        {"Label1", "We're sorry that an unhandled exception occurred  in Velloran."},
        {"Label2", "Please contact us at:"},
        {"lblSupport", "\"Getting help\" in Velloran's help page"},
    };
    for (const auto& l : labels) {
        if (auto* label = Child<QLabel>(&dialog, l.name)) {
            EXPECT_EQ(label->text(), l.text) << l.name;
        }
    }
    if (auto* support = Child<QLabel>(&dialog, "lblSupport")) {
        EXPECT_TRUE(support->font().underline());
        EXPECT_EQ(support->cursor().shape(), Qt::PointingHandCursor);
        const QColor colour = support->palette().color(QPalette::WindowText);
        EXPECT_GT(colour.blue(), 150);
        EXPECT_LT(colour.red(), 60);
    }
    const struct
    {
        const char* name;
        const char* text;
    } buttons[] = {{"btnFolder", "..."},
                   {"btnFile", "..."},
                   {"btnDebug", "&Debug Options"},
                   {"btnOK", "&OK"},
                   {"btnExit", "Quit Velloran"}};
    for (const auto& b : buttons) {
        if (auto* button = Child<QPushButton>(&dialog, b.name)) {
            EXPECT_EQ(button->text(), b.text) << b.name;
        }
    }
    auto groups = dialog.findChildren<QGroupBox*>();
    ASSERT_EQ(groups.size(), 1);
    EXPECT_EQ(groups[0]->title(), " Debug Information ");
    bool hint = false;
    for (QLabel* label : groups[0]->findChildren<QLabel*>())
        hint |=
            label->text() == "It is very appreciated if you can include the debug information in your error report.";
    EXPECT_TRUE(hint);
}

TEST_F(DiagnosticsTest, LevelShownAndStoredFollowTheThreeChoices)
{
    const struct
    {
        int stored;
        int shownIndex;
        int storedOnOk;
        int logLevel;
    } cases[] = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 3, 3}, {3, 2, 3, 3}, {7, 2, 3, 3}, {-1, 2, 3, 3},
    };
    for (const auto& c : cases) {
        AppSettings.LogLevel = c.stored;
        AppSettings.EnableDebug = true;
        TfmDebug dialog(nullptr);
        auto* level = Child<QComboBox>(&dialog, "cbxLevel");
        ASSERT_NE(level, nullptr);
        EXPECT_EQ(level->currentIndex(), c.shownIndex) << "stored " << c.stored;
        EXPECT_TRUE(Child<QCheckBox>(&dialog, "cbEnable")->isChecked());
        Click(&dialog, "btnOK");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(AppSettings.LogLevel, c.storedOnOk) << "stored " << c.stored;
        EXPECT_EQ(DebugLog.GetLevel(), c.logLevel) << "stored " << c.stored;
        EXPECT_TRUE(DebugLog.IsEnabled());
    }
}

TEST_F(DiagnosticsTest, CancelLeavesSettingsAndLogAlone)
{
    AppSettings.LogLevel = 1;
    AppSettings.EnableDebug = true;
    DebugLog.SetEnabled(true);
    DebugLog.SetLevel(1);

    TfmDebug dialog(nullptr);
    Child<QComboBox>(&dialog, "cbxLevel")->setCurrentIndex(0);
    Child<QCheckBox>(&dialog, "cbEnable")->setChecked(false);
    Click(&dialog, "btnCancel");

    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(AppSettings.LogLevel, 1);
    EXPECT_TRUE(AppSettings.EnableDebug);
    EXPECT_EQ(DebugLog.GetLevel(), 1);
    EXPECT_TRUE(DebugLog.IsEnabled());
}

TEST_F(DiagnosticsTest, SwitchingTheLogOffStopsDetailLinesAtOnceButNotFailures)
{
    AppSettings.EnableDebug = true;
    AppSettings.LogLevel = 3;
    DebugLog.SetEnabled(true);
    DebugLog.SetLevel(3);
    DEBUG_LOG(2, "detail before");

    g_onDialog = [](QWidget* dialog) {
        Child<QCheckBox>(dialog, "cbEnable")->setChecked(false);
        Click(dialog, "btnOK");
        return static_cast<QDialog*>(dialog)->result();
    };
    ShowTroubleshooting();
    ASSERT_EQ(g_dialogsSeen, std::vector<QString>{"TfmDebug"});
    EXPECT_FALSE(AppSettings.EnableDebug);

    DEBUG_LOG(2, "detail after");
    DEBUG_LOG(0, "failure after");
    const std::string log = readFile(DataFolder() + "appdebug.log");
    EXPECT_NE(log.find("detail before"), std::string::npos);
    EXPECT_EQ(log.find("detail after"), std::string::npos);
    EXPECT_NE(log.find("failure after"), std::string::npos);
}

TEST_F(DiagnosticsTest, FolderAndLogButtonsOpenThemOrSayTheLogIsMissing)
{
    const std::string folder = DataFolder();
    const std::string logFile = folder + "appdebug.log";
    std::vector<std::pair<const char*, std::function<std::unique_ptr<QDialog>()>>> dialogs = {
        {"TfmDebug", [] { return std::make_unique<TfmDebug>(nullptr); }},
        {"TfmDump", [] { return std::make_unique<TfmDump>(nullptr); }},
    };
    for (const auto& [name, make] : dialogs) {
        seams::ClearRecorded();
        std::filesystem::remove(logFile);
        std::unique_ptr<QDialog> dialog = make();
        EXPECT_EQ(Child<QLineEdit>(dialog.get(), "edtFolder")->text().toStdString(), folder) << name;
        EXPECT_EQ(Child<QLineEdit>(dialog.get(), "edtFile")->text().toStdString(), logFile) << name;
        EXPECT_TRUE(Child<QLineEdit>(dialog.get(), "edtFile")->isReadOnly()) << name;

        Click(dialog.get(), "btnFile");
        ASSERT_EQ(seams::ShownMessages().size(), 1u) << name;
        const seams::ShownMessage& message = seams::ShownMessages()[0];
        EXPECT_EQ(message.icon, QMessageBox::Information) << name;
        EXPECT_EQ(message.caption, "Debug Log") << name;
        // The quoted words, then why and how to get a log from where the user stands.
        const QString howTo = std::string(name) == "TfmDebug"
                                  ? "To record what happens, tick \"Enable Debug Log\", press OK, repeat the steps "
                                    "that went wrong, then open the log again."
                                  : "To record what happens, press \"Debug Options\", tick \"Enable Debug Log\", "
                                    "press OK, repeat the steps that went wrong, then open the log again.";
        EXPECT_EQ(message.text, "Debug log file doesn't exist\n\nVelloran writes it when it first has something to "
                                "log: a failure always, the details of its work only while the debug log is "
                                "enabled. " +
                                    howTo)
            << name;
        EXPECT_EQ(message.buttons, QMessageBox::Ok) << name;
        EXPECT_TRUE(ShellOpenedTargets().isEmpty()) << name;

        writeFile(logFile, "a line\r\n");
        Click(dialog.get(), "btnFile");
        Click(dialog.get(), "btnFolder");
        EXPECT_EQ(seams::ShownMessages().size(), 1u) << name;
        EXPECT_EQ(ShellOpenedTargets(), QStringList({QString::fromStdString(logFile), QString::fromStdString(folder)}))
            << name;
    }
}

TEST_F(DiagnosticsTest, WithoutADataFolderTheBoxesAreEmptyAndTheButtonsOff)
{
    // A data folder that cannot be made: its parent is a file.
    testutil::TempDir home;
    testutil::writeFile(home.file("data"), "");
    platform::setUserFoldersForTesting(home.file("data") + "/velloran", home.file("Documents"));
    TfmDump dump(nullptr);
    TfmDebug debug(nullptr);
    testutil::useHome(guitest::Home());

    for (QDialog* dialog : {static_cast<QDialog*>(&dump), static_cast<QDialog*>(&debug)}) {
        EXPECT_EQ(Child<QLineEdit>(dialog, "edtFolder")->text(), "") << dialog->objectName().toStdString();
        EXPECT_EQ(Child<QLineEdit>(dialog, "edtFile")->text(), "");
        EXPECT_FALSE(Child<QPushButton>(dialog, "btnFolder")->isEnabled());
        EXPECT_FALSE(Child<QPushButton>(dialog, "btnFile")->isEnabled());
    }
}

// The support link leads to the help page beside the program, at its section on getting help: an address
// that exists, unlike a mail address on a domain that never resolves.
TEST_F(DiagnosticsTest, SupportLinkOpensTheHelpPagesGettingHelpAndTheTitleTheHomePage)
{
    TfmDump dialog(nullptr);
    dialog.show();
    QTest::mouseClick(Child<QLabel>(&dialog, "lblSupport"), Qt::LeftButton);
    QTest::mouseClick(Child<QLabel>(&dialog, "Label6"), Qt::LeftButton);

    const QStringList& opened = ShellOpenedTargets();
    ASSERT_EQ(opened.size(), 2);
    const QUrl help(opened[0]);
    EXPECT_TRUE(opened[0].startsWith("file://")) << opened[0].toStdString();
    EXPECT_TRUE(opened[0].endsWith("Velloran.html#getting-help")) << opened[0].toStdString();
    std::string folder;
    ASSERT_TRUE(platform::programFolder(folder));
    EXPECT_EQ(QDir::toNativeSeparators(help.toLocalFile()).toStdString(), folder + "Velloran.html");
    EXPECT_FALSE(opened[0].contains("velloran.example"));
    EXPECT_TRUE(opened[1].endsWith("?ref=app")) << opened[1].toStdString();
}

// What went wrong stands under the apology when the caller says it; without it the dialog shows no empty
// line.
TEST_F(DiagnosticsTest, TheBugReportSaysWhatHappened)
{
    const QString what = QStringLiteral("Loading your ACT! records stopped.");
    for (const QString& text : {what, QString()}) {
        static QString shown;
        static bool visible;
        shown = QStringLiteral("(no dialog)");
        seams::SetDialogHandler([](QWidget* dialog) {
            auto* label = dialog->findChild<QLabel*>("lblWhat");
            shown = label ? label->text() : QStringLiteral("(no label)");
            visible = label && !label->isHidden();
            return 0;
        });
        QWidget owner;
        ShowBugReport(&owner, text);
        EXPECT_EQ(shown, text);
        EXPECT_EQ(visible, !text.isEmpty());
    }
}

TEST_F(DiagnosticsTest, SupportAddressTakesTheFocusAndOpensWithTheKeyboard)
{
    TfmDump dialog(nullptr);
    dialog.show();
    auto* support = Child<QLabel>(&dialog, "lblSupport");
    ASSERT_NE(support, nullptr);
    EXPECT_TRUE(support->focusPolicy() & Qt::TabFocus);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(support, key);
    EXPECT_EQ(ShellOpenedTargets().size(), 3);
}

TEST_F(DiagnosticsTest, DebugOptionsOpenOverTheMainWindowOnTopOfTheBugReport)
{
    QWidget main;
    main.show();
    SetMainWindow(&main);
    QWidget* debugParent = nullptr;
    g_onDialog = [&](QWidget* dialog) {
        if (dialog->objectName() == "TfmDump")
            Click(dialog, "btnDebug");
        else
            debugParent = dialog->parentWidget();
        return int(QDialog::Rejected);
    };
    ShowBugReport(&main);
    EXPECT_EQ(g_dialogsSeen, (std::vector<QString>{"TfmDump", "TfmDebug"}));
    EXPECT_EQ(debugParent, &main);
}

TEST_F(DiagnosticsTest, QuitClosesTheBugReportThenTheMainWindow)
{
    QWidget main;
    main.show();
    SetMainWindow(&main);
    bool closedFirst = false;
    g_onDialog = [&](QWidget* dialog) {
        Click(dialog, "btnExit");
        // The dialog goes at once; the main window only once the dialog's run has ended.
        closedFirst = !dialog->isVisible() && main.isVisible();
        return static_cast<QDialog*>(dialog)->result();
    };
    ShowBugReport(&main);
    EXPECT_TRUE(closedFirst);
    EXPECT_TRUE(WaitFor([&] { return !main.isVisible(); }));
}

} // namespace
