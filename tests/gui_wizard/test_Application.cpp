#include "WizardFixture.h"

#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"

#include <QEvent>

#include <stdexcept>

using namespace wizardtest;

namespace {

// Messages already shown when each bug report came up.
std::vector<std::size_t> g_bugReportsAfter;

int RecordBugReport(QWidget*)
{
    g_bugReportsAfter.push_back(seams::ShownMessages().size());
    return 0;
}

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
        seams::SetDialogHandler(RecordBugReport);
    }
};

TEST_F(TopLevelHandlerTest, AnEscapedErrorIsShownAndTheExitCodeIsZero)
{
    EXPECT_EQ(RunWithTopLevelHandler([] { throw std::runtime_error("start-up failed"); }), 0);
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].caption.toStdString(), "Velloran");
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), "start-up failed");
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
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), "");
}

TEST_F(TopLevelHandlerTest, AnExceptionInAnEventHandlerIsShownAndTheProgramGoesOn)
{
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(), "handler failed");
    EXPECT_EQ(seams::ShownMessages()[0].caption.toStdString(), "Velloran");
    EXPECT_TRUE(g_bugReportsAfter.empty());

    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QCoreApplication::sendPostedEvents(&object);
    EXPECT_EQ(seams::ShownMessages().size(), 2u);
}

} // namespace
