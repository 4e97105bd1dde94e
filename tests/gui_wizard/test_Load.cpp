#include "WizardFixture.h"

#include "gui/services/CxCommWaitWindow.h"
#include "gui/services/Seams.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTCommon.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "misc/CxList.h"
#include "platform/Platform.h"
#include "platform/Process.h"

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTest>
#include <QTimer>

#include <cctype>
#include <cerrno>
#include <string>

using namespace wizardtest;

namespace {

constexpr const char* kLoadFailed = "Can not retrieve your ACT! information. Please make sure that you entered "
                                    "the correct ACT! access options.";

class LoadTest : public WizardTest
{
protected:
    void TearDown() override
    {
        GetHelperRunner(ACTKind::Addr).SetWaitTimeout(CxACTDataReader::kDefaultWaitTimeout);
        WizardTest::TearDown();
    }
};

TEST_F(LoadTest, AllFourKindsFromTheDemoDatabaseReachTheReviewPage)
{
    SKIP_WITHOUT_HELPERS();
    OpenMain();
    FillDemoSource(KIND_ADDR | KIND_DATE | KIND_TASK | KIND_NOTE);
    Click("btnNext");

    EXPECT_TRUE(seams::ShownMessages().empty());
    ASSERT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(main->GetAddrUtil()->GetRecordCount(), 40u);
    EXPECT_EQ(main->GetDateUtil()->GetRecordCount(), 15u);
    EXPECT_GE(main->GetTaskUtil()->GetRecordCount(), 15u);
    EXPECT_EQ(main->GetNoteUtil()->GetRecordCount(), 15u);
    // Their content is the review page's grouping pass, tested with the pages.
    for (CxList* list :
         {main->GetAddrDupList(), main->GetDateDupList(), main->GetTaskDupList(), main->GetNoteDupList()})
        EXPECT_NE(list, nullptr);
}

// The helpers run in the program folder; a PAD path typed relative to the user's own folder must still
// name the database there.
TEST_F(LoadTest, ARelativePadPathIsTakenInTheCurrentFolder)
{
    SKIP_WITHOUT_HELPERS();
    const QFileInfo pad(QString::fromStdString(DemoPad()));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(pad.dir().absolutePath() + QStringLiteral("/..")));
    OpenMain();
    FillSource((pad.dir().dirName() + QStringLiteral("/") + pad.fileName()).toStdString(), kDemoUser, kDemoPassword,
               KIND_ADDR | KIND_NOTE);
    Click("btnNext");
    QDir::setCurrent(before);

    EXPECT_TRUE(seams::ShownMessages().empty());
    ASSERT_EQ(main->GetCurrentPage(), 1);
    EXPECT_EQ(main->GetAddrUtil()->GetRecordCount(), 40u);
    EXPECT_EQ(main->GetNoteUtil()->GetRecordCount(), 15u);
}

TEST_F(LoadTest, AWrongPasswordShowsTheFailureMessageAndStays)
{
    SKIP_WITHOUT_HELPERS();
    OpenMain();
    FillSource(DemoPad(), kDemoUser, "not the password", KIND_ADDR | KIND_NOTE);
    Click("btnNext");

    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    // One reason, with every kind it stopped.
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(),
              std::string(kLoadFailed) + "\n\nContacts, Notes: Login failed: unknown user or wrong password.");
    EXPECT_EQ(main->GetCurrentPage(), 0);
    EXPECT_EQ(main->GetAddrUtil()->GetRecordCount(), 0u);
}

TEST_F(LoadTest, OneFailedKindFailsTheLoadButTheOthersStillLoad)
{
    SKIP_WITHOUT_HELPERS();
    OpenMain();
    CleanupSession::SetBeforeLoadHook([](CxACTBaseUtil& util) {
        if (util.GetKind() == ACTKind::Addr)
            util.SetHelperName("velloran-no-such-helper");
    });
    FillDemoSource(KIND_ADDR | KIND_NOTE);
    Click("btnNext");

    EXPECT_EQ(main->GetCurrentPage(), 0);
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    std::string reason = platform::systemErrorText(ENOENT);
    while (!reason.empty() && (reason.back() == '.' || std::isspace(static_cast<unsigned char>(reason.back()))))
        reason.pop_back();
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(),
              std::string(kLoadFailed) + "\n\nContacts: The helper velloran-no-such-helper" +
                  platform::kExecutableSuffix + " cannot be started: " + reason + ".");
    EXPECT_EQ(main->GetNoteUtil()->GetRecordCount(), 15u);
}

TEST_F(LoadTest, AHangingHelperDoesNotFreezeTheWindow)
{
    OpenMain();
    GetHelperRunner(ACTKind::Addr).SetWaitTimeout(800);
    CleanupSession::SetBeforeLoadHook([](CxACTBaseUtil& util) { util.SetHelperName(VELLORAN_HANG_HELPER); });
    FillSource("/db/Hang.pad", "Ann", "pw", KIND_ADDR);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(20);
    QElapsedTimer clock;
    clock.start();
    Click("btnNext");
    const qint64 elapsed = clock.elapsed();

    EXPECT_GE(elapsed, 800) << "the runner waited for the helper";
    EXPECT_LT(elapsed, 3500) << "and gave up after its time-out";
    EXPECT_GE(ticks, 10) << "the window kept handling its events meanwhile";
    EXPECT_EQ(main->GetCurrentPage(), 0);
    ASSERT_EQ(seams::ShownMessages().size(), 1u);
    EXPECT_EQ(seams::ShownMessages()[0].text.toStdString(),
              std::string(kLoadFailed) + "\n\nContacts: The helper " VELLORAN_HANG_HELPER +
                  platform::kExecutableSuffix + " did not finish within 1 second; it may still be running.");
}

// Closing frees what the load is working on: both windows refuse while it runs, and the close asked
// for happens once it is over.
TEST_F(LoadTest, ClosingDuringALoadWaitsForItsEndAndThenCloses)
{
    OpenMain();
    GetHelperRunner(ACTKind::Addr).SetWaitTimeout(1500);
    CleanupSession::SetBeforeLoadHook([](CxACTBaseUtil& util) { util.SetHelperName(VELLORAN_HANG_HELPER); });
    FillSource("/db/Hang.pad", "Ann", "pw", KIND_ADDR);

    bool waitSeen = false;
    bool waitClosed = true;
    bool mainClosed = true;
    QTimer::singleShot(500, [&] {
        if (CxCommWaitWindow* wait = CurrentWaitWindow()) {
            waitSeen = true;
            QCloseEvent request;
            QCoreApplication::sendEvent(wait, &request);
            waitClosed = request.isAccepted();
        }
        mainClosed = main->close();
    });
    Click("btnNext");

    EXPECT_TRUE(waitSeen);
    EXPECT_FALSE(waitClosed);
    EXPECT_FALSE(mainClosed);
    ASSERT_FALSE(main.isNull()) << "the load ran to its end";
    EXPECT_EQ(seams::ShownMessages().size(), 1u) << "and reported it";
    QTRY_VERIFY_WITH_TIMEOUT(main.isNull(), 5000);
}

} // namespace
