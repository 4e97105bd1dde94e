#include "WizardFixture.h"

#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"

#include <QEvent>
#include <QLabel>

#include <new>
#include <stdexcept>
#include <vector>

using namespace wizardtest;

namespace {

// Messages already shown when each bug report came up, and what each said had happened.
std::vector<std::size_t> g_bugReportsAfter;
std::vector<QString> g_bugReportTexts;

int RecordBugReport(QWidget* dialog)
{
    g_bugReportsAfter.push_back(seams::ShownMessages().size());
    const auto* what = dialog->findChild<QLabel*>(QStringLiteral("lblWhat"));
    g_bugReportTexts.push_back(what && !what->isHidden() ? what->text() : QString());
    return 0;
}

constexpr const char* kUnexpected =
    "An unexpected error happened, so Velloran stopped what it was doing. The debug log (appdebug.log in "
    "Velloran's data folder) has the details. Try the step again; if the error comes back, see \"Getting help\" "
    "in Velloran's help page and send the debug log with your report.";
constexpr const char* kOutOfMemory =
    "Velloran ran out of memory, so it stopped what it was doing. Close other programs to free memory and try "
    "again; if it happens again, check fewer kinds of records at a time.";

class ThrowingObject : public QObject
{
public:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error("handler failed");
        return QObject::event(event);
    }
};

class TopLevelHandlerTest : public WizardTest
{
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        g_bugReportsAfter.clear();
        g_bugReportTexts.clear();
        seams::SetDialogHandler(RecordBugReport);
    }
};

TEST_F(TopLevelHandlerTest, AnEscapedErrorIsShownAndTheExitCodeIsZero)
{
    EXPECT_EQ(RunWithTopLevelHandler([] { throw std::runtime_error("start-up failed"); }), 0);
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].caption.toStdString(), "Velloran");
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), kUnexpected);
    EXPECT_EQ(seams::ShownMessages()[0].icon, QMessageBox::Critical);
    EXPECT_TRUE(g_bugReportsAfter.empty()) << "no main window, no bug report";
    EXPECT_EQ(RunWithTopLevelHandler([] {}), 0);
}

TEST_F(TopLevelHandlerTest, WithTheMainWindowUpTheBugReportFollowsOrPrecedesTheErrorBox)
{
    OpenMain();
    RunWithTopLevelHandler([] { throw std::runtime_error("lost"); });
    EXPECT_EQ(g_bugReportsAfter, std::vector<std::size_t>({1}));

    seams::ClearRecorded();
    g_bugReportsAfter.clear();
    RunWithTopLevelHandler([] { throw 42; });
    EXPECT_EQ(g_bugReportsAfter, std::vector<std::size_t>({0})) << "an unknown exception: bug report first";
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), kUnexpected);
}

// Neither box is ever blank nor shows a library's own words: the user reads what happened and what to do,
// and the raw text is in the debug log.
TEST_F(TopLevelHandlerTest, TheUserReadsPlainWordsAndTheLogKeepsTheRawText)
{
    OpenMain();
    const struct
    {
        const char* name;
        void (*body)();
        const char* shown;
        const char* logged;
    } cases[] = {
        {"out of memory", [] { throw std::bad_alloc(); }, kOutOfMemory, "Unhandled exception: std::bad_alloc"},
        {"a library's error", [] { throw std::length_error("basic_string::_M_create"); }, kUnexpected,
         "Unhandled exception: basic_string::_M_create"},
        {"no standard exception", [] { throw 42; }, kUnexpected, "Unhandled unknown exception."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seams::ClearRecorded();
        g_bugReportTexts.clear();
        RunWithTopLevelHandler(c.body);
        ASSERT_EQ(seams::ShownMessages().size(), 1u);
        EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), c.shown);
        EXPECT_EQ(g_bugReportTexts, std::vector<QString>({QString::fromLatin1(c.shown)}));
        EXPECT_NE(testutil::readFile(home.dataFolder() + "appdebug.log").find(c.logged), std::string::npos);
    }

    // In an event handler too.
    seams::ClearRecorded();
    struct Hungry : QObject
    {
        bool event(QEvent* event) override
        {
            if (event->type() == QEvent::User)
                throw std::bad_alloc();
            return QObject::event(event);
        }
    } hungry;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&hungry, &event));
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), kOutOfMemory);
}

TEST_F(TopLevelHandlerTest, AnExceptionInAnEventHandlerIsShownAndTheProgramGoesOn)
{
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), kUnexpected);
    EXPECT_EQ(seams::ShownMessages()[0].caption.toStdString(), "Velloran");
    EXPECT_TRUE(g_bugReportsAfter.empty());

    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&object);
    EXPECT_EQ(seams::ShownMessages().size(), 2u);
}

} // namespace
