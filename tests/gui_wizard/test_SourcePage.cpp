#include "WizardFixture.h"

#include "gui/services/CxCommWaitWindow.h"
#include "gui/services/Seams.h"
#include "gui/services/Shell.h"
#include "gui/wizard/Actsource.h"
#include "gui/services/Dupoption.h"

#include "ACT/CxACTBaseUtil.h"
#include "core/Apputil.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cstring>
#include <filesystem>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace wizardtest;
using testutil::writeFile;

namespace {

constexpr const char* kInvalidPad =
    "Invalid ACT! database name. Velloran can not load ACT! data correctly, are you sure to continue?";
constexpr const char* kInvalidUser =
    "Invalid ACT! user name. Velloran can not load ACT! data correctly, are you sure to continue?";
constexpr const char* kLoadFailed = "Can not retrieve your ACT! information. Please make sure that you entered "
                                    "the correct ACT! access options.";

void SetText(char* field, std::size_t size, const char* text)
{
    std::memset(field, 0, size);
    std::strncpy(field, text, size - 1);
}

std::vector<seams::ShownMessage> MessagesWithCaption(const char* caption)
{
    std::vector<seams::ShownMessage> found;
    for (const auto& message : seams::ShownMessages())
        if (message.caption == QLatin1String(caption))
            found.push_back(message);
    return found;
}

class SourcePageTest : public WizardTest
{
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        OpenMain();
        page = main->GetSourcePage();
        CleanupSession::SetBeforeLoadHook([this](CxACTBaseUtil&) {
            ++loads;
            cursorDuringLoad = QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : -1;
        });
    }

    TfmACTSource* page = nullptr;
    int loads = 0;
    int cursorDuringLoad = -2;
};

TEST_F(SourcePageTest, ControlsCarryTheirNamesAndCaptions)
{
    struct Control
    {
        const char* name;
        const char* caption;
    };
    const Control boxes[] = {
        {"cbACTSaveUser", "Save User Name"},
        {"cbACTSavePassword", "Save Password"},
        {"cbAddr", "Contacts"},
        {"cbDate", "Calendar"},
        {"cbTask", "Todos and Opportunites"},
        {"cbNote", "Notes"},
    };
    for (const Control& box : boxes)
        EXPECT_EQ(Child<QCheckBox>(page, box.name)->text().toStdString(), box.caption);
    EXPECT_EQ(Child<QPushButton>(page, "btnPadBrowse")->text().toStdString(), "...");
    EXPECT_EQ(Child<QPushButton>(page, "btnOption")->text().toStdString(), "Customize Duplicate Checking Rules");
    EXPECT_EQ(Child<QLabel>(page, "lblPad")->text().toStdString(), "What is ACT! PAD?");
    EXPECT_EQ(Child<QLabel>(page, "lblPad")->cursor().shape(), Qt::PointingHandCursor);
    for (const char* edit : {"edtPadName", "edtACTUserName"})
        EXPECT_EQ(Child<QLineEdit>(page, edit)->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(Child<QLineEdit>(page, "edtACTPassword")->echoMode(), QLineEdit::Password);

    QStringList titles;
    for (const QGroupBox* group : page->findChildren<QGroupBox*>())
        titles << group->title();
    EXPECT_EQ(titles, QStringList({" ACT! Login Information ", " Choose Applications to Check Duplicates "}));
    EXPECT_EQ(Child<QLineEdit>(page, "edtPadName")->parentWidget()->objectName(), "gbLogin");
    EXPECT_EQ(Child<QCheckBox>(page, "cbNote")->parentWidget()->objectName(), "gbKinds");
}

TEST_F(SourcePageTest, AtMostOneQuestionAndCancelStaysInTheEmptyEdit)
{
    struct Case
    {
        const char* name;
        const char* pad;
        const char* user;
        QMessageBox::StandardButton answer;
        const char* question; // null: none asked
        const char* focus;    // the edit that takes the focus, null when the load goes on
    };
    const Case cases[] = {
        {"empty PAD, Cancel", "", "Ann", QMessageBox::Cancel, kInvalidPad, "edtPadName"},
        {"empty user, Cancel", "/db/x.pad", "", QMessageBox::Cancel, kInvalidUser, "edtACTUserName"},
        {"both empty, Cancel", "", "", QMessageBox::Cancel, kInvalidPad, "edtPadName"},
        {"both empty, OK asks only for the PAD", "", "", QMessageBox::Ok, kInvalidPad, nullptr},
        {"empty user, OK", "/db/x.pad", "", QMessageBox::Ok, kInvalidUser, nullptr},
        {"both given", "/db/x.pad", "Ann", QMessageBox::Ok, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        seams::ClearRecorded();
        loads = 0;
        main->SetPage(0);
        SetText(AppSettings.PadName, sizeof(AppSettings.PadName), "/old.pad");
        SetText(AppSettings.UserName, sizeof(AppSettings.UserName), "old user");
        SetText(AppSettings.Password, sizeof(AppSettings.Password), "old password");
        FillSource(c.pad, c.user, "pw", KIND_NOTE);
        Child<QLineEdit>(page, "edtACTPassword")->setFocus();
        seams::QueueMessageAnswer(c.answer);

        const bool wentOn = page->Exchange(true);

        const auto questions = MessagesWithCaption("Confirm");
        if (c.question) {
            ASSERT_EQ(questions.size(), 1u);
            EXPECT_EQ(questions[0].text.toStdString(), c.question);
            EXPECT_EQ(questions[0].icon, QMessageBox::Question);
            EXPECT_EQ(questions[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
        } else {
            EXPECT_TRUE(questions.empty());
        }
        if (c.focus) {
            EXPECT_FALSE(wentOn);
            EXPECT_EQ(loads, 0);
            EXPECT_EQ(main->focusWidget(), Child<QLineEdit>(page, c.focus));
            EXPECT_STREQ(AppSettings.PadName, "/old.pad");
            EXPECT_STREQ(AppSettings.UserName, "old user");
            EXPECT_STREQ(AppSettings.Password, "old password");
        } else {
            EXPECT_EQ(loads, 1);
            EXPECT_STREQ(AppSettings.PadName, c.pad);
            EXPECT_STREQ(AppSettings.UserName, c.user);
            EXPECT_STREQ(AppSettings.Password, "pw");
        }
    }
}

TEST_F(SourcePageTest, KindsAreTakenEvenWhenAQuestionStopsNext)
{
    AppSettings.AppFlag = 15;
    FillSource("", "Ann", "pw", KIND_DATE | KIND_NOTE);
    seams::QueueMessageAnswer(QMessageBox::Cancel);
    Click("btnNext");
    EXPECT_EQ(AppSettings.AppFlag, KIND_DATE | KIND_NOTE);
    EXPECT_EQ(main->GetCurrentPage(), 0);
}

TEST_F(SourcePageTest, StoredTextsAreCutToTheirFields)
{
    // "é" takes two bytes in UTF-8 (one in a Windows code page): a cut never leaves half of it.
    QString longUser;
    for (int i = 0; i < 40; ++i)
        longUser += QChar(0x00E9);
    FillSource(std::string(300, 'p'), "", "", 0);
    Child<QLineEdit>(page, "edtACTUserName")->setText(longUser);
    Child<QLineEdit>(page, "edtACTPassword")->setText(QString(100, QLatin1Char('w')));
    page->Exchange(true);
    EXPECT_EQ(std::string(AppSettings.PadName), std::string(255, 'p'));
    // As many whole letters as the field's 63 bytes hold.
    QString kept = longUser;
    while (kept.toLocal8Bit().size() > 63)
        kept.chop(1);
    EXPECT_EQ(QString::fromLocal8Bit(AppSettings.UserName), kept);
    EXPECT_EQ(std::string(AppSettings.Password), std::string(63, 'w'));
}

TEST_F(SourcePageTest, AClearedPasswordIsStoredEmpty)
{
    SetText(AppSettings.Password, sizeof(AppSettings.Password), "old password");
    AppSettings.AppFlag = 0;
    main->SetPage(0);
    EXPECT_EQ(Child<QLineEdit>(page, "edtACTPassword")->text().toStdString(), "old password");
    Child<QLineEdit>(page, "edtACTPassword")->clear();
    page->Exchange(true);
    EXPECT_STREQ(AppSettings.Password, "");
}

TEST_F(SourcePageTest, AFailedLoadReportsAndRestoresTheCursor)
{
    const std::string missing = testutil::nativePath(home.path() + "/nowhere/None.pad");
    FillSource(missing, "Ann", "pw", KIND_NOTE);
    EXPECT_FALSE(page->Exchange(true));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(cursorDuringLoad, Qt::WaitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    const auto errors = MessagesWithCaption("Error");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text.toStdString(), std::string(kLoadFailed) + "\n\nNotes: PAD file not found: " + missing);
    EXPECT_EQ(errors[0].icon, QMessageBox::Warning);
}

TEST_F(SourcePageTest, TheWaitWindowStandsOverTheClientPanelWithTheChosenKindsOnly)
{
    std::set<std::string> texts;
    std::set<QWidget*> owners;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (CxCommWaitWindow* wait = CurrentWaitWindow()) {
            texts.insert(wait->message().toStdString());
            owners.insert(wait->owner());
        }
    });
    sampler.start(10);
    FillSource("/nowhere/None.pad", "Ann", "pw", KIND_DATE | KIND_NOTE);
    page->Exchange(true);
    sampler.stop();

    EXPECT_EQ(owners, std::set<QWidget*>({main->GetClientPanel()}));
    EXPECT_TRUE(texts.count("Loading ACT! Calendar..."));
    EXPECT_TRUE(texts.count("Loading ACT! Notes..."));
    EXPECT_FALSE(texts.count("Loading ACT! Contacts..."));
    EXPECT_FALSE(texts.count("Loading ACT! Tasks..."));
    EXPECT_EQ(CurrentWaitWindow(), nullptr) << "stopped before the message";
}

// The bug report says in plain words what happened and what to do; the exception's own text goes to the
// debug log only.
TEST_F(SourcePageTest, AnExceptionInTheLoadShowsTheBugReportInstead)
{
    struct Shown
    {
        QString title;
        QWidget* owner;
        bool waitWindowUp;
        bool waitCursor;
        QString what;
    };
    static std::vector<Shown> shown;
    const struct
    {
        const char* name;
        void (*hook)(CxACTBaseUtil&);
        const char* raw;
        const char* plain;
        const char* next;
    } cases[] = {
        {"a library's error", [](CxACTBaseUtil&) { throw std::runtime_error("vector::_M_range_check"); },
         "vector::_M_range_check", "An unexpected error happened", "Try the step again"},
        {"out of memory", [](CxACTBaseUtil&) { throw std::bad_alloc(); }, "std::bad_alloc",
         "Velloran ran out of memory", "Close other programs"},
        {"no standard exception", [](CxACTBaseUtil&) { throw 42; }, "unknown exception",
         "An unexpected error happened", "Try the step again"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seams::ClearRecorded();
        shown.clear();
        CleanupSession::SetBeforeLoadHook(c.hook);
        seams::SetDialogHandler([](QWidget* dialog) {
            const auto* what = dialog->findChild<QLabel*>(QStringLiteral("lblWhat"));
            shown.push_back({dialog->windowTitle(), dialog->parentWidget(), CurrentWaitWindow() != nullptr,
                             QGuiApplication::overrideCursor() != nullptr,
                             what && !what->isHidden() ? what->text() : QString()});
            return 0;
        });
        FillSource("/db/x.pad", "Ann", "pw", KIND_ADDR);
        Click("btnNext");
        EXPECT_EQ(main->GetCurrentPage(), 0);
        EXPECT_TRUE(MessagesWithCaption("Error").empty()) << "no message of the page";
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title.toStdString(), "Handle Velloran Exception");
        EXPECT_EQ(shown[0].owner, main.data());
        EXPECT_FALSE(shown[0].waitWindowUp);
        EXPECT_FALSE(shown[0].waitCursor);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

        const std::string what = shown[0].what.toStdString();
        EXPECT_EQ(what.rfind("Loading your ACT! records stopped; nothing was changed in ACT!. ", 0), 0u) << what;
        EXPECT_NE(what.find(c.plain), std::string::npos) << what;
        EXPECT_NE(what.find(c.next), std::string::npos) << what;
        EXPECT_EQ(what.find(c.raw), std::string::npos) << what;
        if (std::string(c.raw) != "unknown exception") {
            EXPECT_NE(testutil::readFile(home.dataFolder() + "appdebug.log").find(c.raw), std::string::npos);
        }
    }
}

// A data folder that cannot be made is named, with what to do about it.
TEST_F(SourcePageTest, ANoDataFolderMessageNamesTheFolderAndTheNextStep)
{
    const std::string company = home.path() + "/data/corvane";
    std::filesystem::remove_all(company);
    testutil::writeFile(company, "not a folder");
    FillSource("/db/x.pad", "Ann", "pw", KIND_ADDR);
    EXPECT_FALSE(page->Exchange(true));
    EXPECT_EQ(loads, 0) << "no helper runs without a work folder";
    const auto errors = MessagesWithCaption("Error");
    ASSERT_EQ(errors.size(), 1u);
    const std::string text = errors[0].text.toStdString();
    const std::string expected = std::string(kLoadFailed) + "\n\nVelloran's data folder cannot be found or created. " +
                                 "Velloran keeps its settings, debug log and work files (one of them holds your "
                                 "CRM password while a helper runs) in " +
                                 testutil::nativePath(company + "/Velloran/") + ", but " +
                                 testutil::nativePath(company + "/") +
                                 " is a file, not a folder: move that file away, then try again.";
    EXPECT_EQ(text, expected);
    std::filesystem::remove(company);
}

// The link leads to the help page beside the program, at its section on PAD files: a page that is
// always there, not a web address.
TEST_F(SourcePageTest, PadLinkOpensTheHelpPagesSectionOnPadFiles)
{
    auto* link = Child<QLabel>(page, "lblPad");
    EXPECT_EQ(link->text(), QStringLiteral("What is ACT! PAD?"));
    QTest::mouseClick(link, Qt::LeftButton);
    ASSERT_EQ(ShellOpenedTargets().size(), 1);
    const QString target = ShellOpenedTargets()[0];
    EXPECT_TRUE(target.startsWith(QStringLiteral("file://"))) << target.toStdString();
    EXPECT_TRUE(target.endsWith(QStringLiteral("Velloran.html#pad-files"))) << target.toStdString();
    const QUrl address(target);
    EXPECT_EQ(address.fragment(), QStringLiteral("pad-files"));
    std::string folder;
    ASSERT_TRUE(platform::programFolder(folder));
    EXPECT_EQ(QDir::toNativeSeparators(address.toLocalFile()).toStdString(), folder + "Velloran.html");
    EXPECT_TRUE(std::filesystem::exists(address.toLocalFile().toStdString()));
}

TEST_F(SourcePageTest, EnterInAnEditActsAsNext)
{
    for (const char* name : {"edtPadName", "edtACTUserName", "edtACTPassword"}) {
        seams::ClearRecorded();
        loads = 0;
        FillSource("/nowhere/None.pad", "Ann", "pw", KIND_NOTE);
        QTest::keyClick(Child<QLineEdit>(page, name), Qt::Key_Return);
        EXPECT_EQ(loads, 1) << name;
        EXPECT_EQ(MessagesWithCaption("Error").size(), 1u) << name;
    }
}

TEST_F(SourcePageTest, PadLinkIsReachedWithTabAndOpensWithEnterOrSpace)
{
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    auto* link = Child<QLabel>(page, "lblPad");
    Child<QPushButton>(page, "btnPadBrowse")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), link);
    QTest::keyClick(link, Qt::Key_Space);
    QTest::keyClick(link, Qt::Key_Return);
    EXPECT_EQ(ShellOpenedTargets().size(), 2);
    QTest::keyClick(link, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Child<QLineEdit>(page, "edtACTUserName"));
}

TEST_F(SourcePageTest, RulesButtonShowsTheFilledRulesDialog)
{
    AppSettings.AddrEmail = false;
    AppSettings.AddrPhone = true;
    static QPointer<QWidget> shown;
    static bool emailTicked = true;
    static bool phoneTicked = false;
    shown = nullptr;
    seams::SetDialogHandler([](QWidget* dialog) {
        shown = dialog;
        emailTicked = dialog->findChild<QCheckBox*>("cbAddrEmail")->isChecked();
        phoneTicked = dialog->findChild<QCheckBox*>("cbAddrPhone")->isChecked();
        return 1;
    });
    Click("btnOption");
    EXPECT_TRUE(shown.isNull()) << "the dialog is gone after it closed";
    EXPECT_FALSE(emailTicked);
    EXPECT_TRUE(phoneTicked);
}

class FindDefaultPadTest : public SourcePageTest
{
protected:
    void Prepare(const std::vector<std::string>& folders, const std::vector<std::string>& files)
    {
        for (const auto& folder : folders)
            std::filesystem::create_directories(home.documents() + "/" + folder);
        for (const auto& file : files)
            writeFile(home.documents() + "/" + file, "[Database]\nFile=x.sqlite\n");
    }
};

TEST_F(FindDefaultPadTest, FindsTheFirstPadOfTheFirstDatabaseFolder)
{
    std::string documents;
    ASSERT_TRUE(platform::documentsFolder(documents));
    ASSERT_EQ(documents, testutil::nativePath(home.documents()))
        << "the test home must stand in for the documents folder";

    struct Case
    {
        const char* name;
        std::vector<std::string> folders;
        std::vector<std::string> files;
        const char* expected; // below the documents folder; null: none found
    };
    const Case cases[] = {
        {"one database",
         {"ACT/MyDb/Databases"},
         {"ACT/MyDb/Databases/Main.pad", "ACT/MyDb/Databases/Main.txt"},
         "ACT/MyDb/Databases/Main.pad"},
#ifndef _WIN32 // Windows drops a trailing dot from a folder's name
        {"short and dotted folder names are passed over",
         {"ACT/x/Databases", "ACT/Db./Databases", "ACT/Real/Databases"},
         {"ACT/x/Databases/X.pad", "ACT/Db./Databases/D.pad", "ACT/Real/Databases/R.pad"},
         "ACT/Real/Databases/R.pad"},
#endif
        {"extension in capitals", {"ACT/Db/Databases"}, {"ACT/Db/Databases/Main.PAD"}, "ACT/Db/Databases/Main.PAD"},
        {"no ACT folder", {}, {}, nullptr},
        {"ACT holds files only", {"ACT"}, {"ACT/readme.txt"}, nullptr},
        {"no PAD file", {"ACT/Db/Databases"}, {"ACT/Db/Databases/Db.sqlite"}, nullptr},
        {"a folder named like a PAD file", {"ACT/Db/Databases/Old.pad"}, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(home.documents());
        std::filesystem::create_directories(home.documents());
        Prepare(c.folders, c.files);
        char buffer[TfmACTSource::kPathBufferSize];
        std::memset(buffer, 'z', sizeof(buffer));
        const bool found = page->FindDefaultPad(buffer);
        EXPECT_EQ(found, c.expected != nullptr);
        EXPECT_EQ(std::string(buffer), c.expected ? testutil::nativePath(home.documents() + "/" + c.expected) : "");
    }
}

TEST_F(FindDefaultPadTest, BrowseStartsOnTheTypedTextOrElseOnTheFoundPad)
{
    Prepare({"ACT/MyDb/Databases"}, {"ACT/MyDb/Databases/Main.pad"});
    auto* edit = Child<QLineEdit>(page, "edtPadName");

    edit->setText("/typed/Own.pad");
    seams::QueueFileDialogAnswer("/chosen/Other.pad");
    Click("btnPadBrowse");
    ASSERT_EQ(seams::ShownFileDialogs().size(), 1u);
    EXPECT_EQ(seams::ShownFileDialogs()[0].filter.toStdString(), "ACT! Database File (*.pad)");
    EXPECT_EQ(seams::ShownFileDialogs()[0].initialFile.toStdString(), "/typed/Own.pad");
    EXPECT_EQ(edit->text().toStdString(), testutil::nativePath("/chosen/Other.pad"));

    edit->clear();
    Click("btnPadBrowse"); // cancelled: no answer queued
    ASSERT_EQ(seams::ShownFileDialogs().size(), 2u);
    EXPECT_EQ(seams::ShownFileDialogs()[1].initialFile.toStdString(),
              testutil::nativePath(home.documents() + "/ACT/MyDb/Databases/Main.pad"));
    EXPECT_EQ(edit->text().toStdString(), "") << "a cancelled dialog leaves the edit alone";
}

} // namespace
