#include "GuiTestUtil.h"
#include "TestUtil.h"

#include "gui/services/CxCommWaitWindow.h"
#include "gui/services/WaitWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QImage>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using guitest::WaitFor;
using testutil::TempDir;
using testutil::writeFile;

// Counts wait windows that became visible, whoever created them.
class ShowCounter : public QObject
{
public:
    int shown = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<CxCommWaitWindow*>(watched))
            ++shown;
        return false;
    }
};

class WaitWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        owner.resize(300, 200);
        owner.show();
        qApp->installEventFilter(&counter);
    }

    void TearDown() override
    {
        StopWaitWindow();
        EXPECT_TRUE(WaitFor([] { return CurrentWaitWindow() == nullptr; }));
        qApp->removeEventFilter(&counter);
    }

    // Starts on the GUI thread, where the window comes up at once.
    CxCommWaitWindow* Start()
    {
        EXPECT_TRUE(StartWaitWindow(&owner));
        CxCommWaitWindow* window = CurrentWaitWindow();
        EXPECT_NE(window, nullptr);
        if (window)
            window->stopTicking(); // the tests step it themselves
        return window;
    }

    bool Exists(const std::string& path) { return std::filesystem::exists(path); }

    QWidget owner;
    ShowCounter counter;
    TempDir dir;
};

TEST_F(WaitWindowTest, IsABorderlessModalToolWindowCentredOnTheScreen)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(480, 150));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    const QRect screen = owner.screen()->geometry();
    EXPECT_EQ(window->pos(), QPoint(screen.x() + (screen.width() - 480) / 2, screen.y() + (screen.height() - 150) / 2));
    EXPECT_EQ(window->message(), "");
    EXPECT_EQ(window->elapsedText(), "0 seconds");
}

TEST_F(WaitWindowTest, RefusesACloseRequestAndGoesOnlyWhenStopped)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    // What Alt+F4 or a window manager's close button sends.
    QCloseEvent request;
    QCoreApplication::sendEvent(window, &request);
    EXPECT_FALSE(request.isAccepted());
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(CurrentWaitWindow(), window);

    StopWaitWindow();
    EXPECT_TRUE(WaitFor([] { return CurrentWaitWindow() == nullptr; }));
}

TEST_F(WaitWindowTest, TextIsCutTo1023CharactersAndNullChangesNothing)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    const std::string longText(2000, 'w');
    const struct
    {
        const char* text;
        std::string expected;
    } cases[] = {
        {"Loading ACT! Contacts...", "Loading ACT! Contacts..."},
        {nullptr, "Loading ACT! Contacts..."},
        {longText.c_str(), std::string(1023, 'w')},
        {"", ""},
    };
    for (const auto& c : cases) {
        SetWaitWindowText(c.text);
        EXPECT_EQ(window->message().toStdString(), c.expected) << (c.text ? c.text : "(null)");
    }
}

TEST_F(WaitWindowTest, ProgressFileIsDeletedWhenNamedThenItsFirstLineShowsAtEveryTick)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    const std::string status = dir.file("ACTAddrStatus.dat");
    writeFile(status, "left over from the last run\n");
    SetWaitWindowText("Loading ACT! Contacts...");
    SetWaitWindowFile(status.c_str());
    EXPECT_FALSE(Exists(status));

    const struct
    {
        const char* name;
        bool write;
        std::string content;
        std::string expected;
    } steps[] = {
        {"no file yet", false, "", "Loading ACT! Contacts..."},
        {"first line only, line break dropped", true, "Reading contacts: 10 of 50\r\nsecond line\n",
         "Reading contacts: 10 of 50"},
        {"rewritten between ticks", true, "Reading contacts: 20 of 50", "Reading contacts: 20 of 50"},
        {"empty file keeps the message", true, "", "Reading contacts: 20 of 50"},
        {"blank first line keeps the message", true, "\r\nlater\n", "Reading contacts: 20 of 50"},
        {"long line cut to 1023", true, std::string(2000, 'p') + "\n", std::string(1023, 'p')},
    };
    for (const auto& step : steps) {
        if (step.write)
            writeFile(status, step.content);
        window->tick();
        EXPECT_EQ(window->message().toStdString(), step.expected) << step.name;
    }

    // An empty path stops the reading; a null one changes nothing.
    SetWaitWindowFile(nullptr);
    writeFile(status, "still read");
    window->tick();
    EXPECT_EQ(window->message(), "still read");
    SetWaitWindowFile("");
    writeFile(status, "no longer read");
    window->tick();
    EXPECT_EQ(window->message(), "still read");
    EXPECT_TRUE(Exists(status));
}

TEST_F(WaitWindowTest, ElapsedSecondsAndBlocksFollowTheTicks)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(window->blockSlots(), 18);
    for (unsigned tick = 1; tick <= 40; ++tick) {
        window->tick();
        ASSERT_EQ(window->tickCount(), tick);
        EXPECT_EQ(window->elapsedMs(), tick * 100);
        // 1, 2, ... 17, then an empty row, then again.
        EXPECT_EQ(window->blockCount(), static_cast<int>(tick % 18)) << "tick " << tick;
        if (tick < 10) {
            EXPECT_EQ(window->elapsedText(), "0 seconds") << "tick " << tick;
        }
        if (tick == 25) {
            EXPECT_EQ(window->elapsedText(), "2 seconds");
        }
    }
}

TEST_F(WaitWindowTest, PaintsTheBlocksItCounts)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    const QColor blue(0, 128, 192);
    for (unsigned ticks : {3u, 17u, 18u}) {
        while (window->tickCount() < ticks)
            window->tick();
        const QImage image = window->grab().toImage();
        int drawn = 0;
        // Block i covers client x 20 + 25 i .. + 20 and y 100 .. 112; the client starts after the border.
        for (int i = 0; i < 18; ++i) {
            if (image.pixelColor(1 + 20 + 25 * i + 10, 1 + 106) == blue)
                ++drawn;
        }
        EXPECT_EQ(drawn, static_cast<int>(ticks % 18)) << "after " << ticks << " ticks";
        EXPECT_EQ(image.pixelColor(1 + 20 + 25 * 0 + 10, 1 + 95), QColor(Qt::white)) << "above the row";
    }
}

TEST_F(WaitWindowTest, WithoutAWindowTheCallsDoNothing)
{
    const std::string status = dir.file("ACTNoteStatus.dat");
    writeFile(status, "keep me\n");
    SetWaitWindowFile(status.c_str());
    SetWaitWindowText("nobody shows this");
    StopWaitWindow();
    EXPECT_TRUE(Exists(status));
    EXPECT_EQ(CurrentWaitWindow(), nullptr);

    // Likewise once a wait has been stopped.
    Start();
    StopWaitWindow();
    SetWaitWindowFile(status.c_str());
    EXPECT_TRUE(Exists(status));
    EXPECT_EQ(CurrentWaitWindow(), nullptr);
}

TEST_F(WaitWindowTest, OnlyOneWaitAtATime)
{
    CxCommWaitWindow* window = Start();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(StartWaitWindow(&owner));
    EXPECT_EQ(CurrentWaitWindow(), window);
    StopWaitWindow();
    EXPECT_EQ(CurrentWaitWindow(), nullptr);
    EXPECT_TRUE(StartWaitWindow(&owner));
    EXPECT_NE(CurrentWaitWindow(), nullptr);
    EXPECT_EQ(counter.shown, 2);
}

TEST_F(WaitWindowTest, StopBeforeTheWindowIsUpIsNotLost)
{
    const struct
    {
        const char* name;
        bool stopOnGuiThread; // else on the starting thread, right after the start
        bool restart;         // the worker starts again after its stop
        int windowsShown;
    } cases[] = {
        {"start and stop on a worker", false, false, 0},
        {"start on a worker, stop on the GUI thread", true, false, 0},
        {"start, stop, start again on a worker", false, true, 1},
    };
    for (const auto& c : cases) {
        counter.shown = 0;
        std::thread worker([&] {
            StartWaitWindow(&owner);
            if (!c.stopOnGuiThread)
                StopWaitWindow();
            if (c.restart)
                StartWaitWindow(&owner);
        });
        worker.join();
        if (c.stopOnGuiThread)
            StopWaitWindow();
        // Let the queued creations and stops run.
        WaitFor([] { return false; }, 100);
        EXPECT_EQ(counter.shown, c.windowsShown) << c.name;
        EXPECT_EQ(CurrentWaitWindow() != nullptr, c.windowsShown > 0) << c.name;
        StopWaitWindow();
        EXPECT_EQ(CurrentWaitWindow(), nullptr) << c.name;
        // A later wait works as usual.
        ASSERT_NE(Start(), nullptr) << c.name;
        StopWaitWindow();
    }
}

TEST_F(WaitWindowTest, StartTextAndStopFromAWorkerWhileTheGuiTicks)
{
    std::atomic<bool> seen{false};
    // Samples the window on the GUI thread, where it lives.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        CxCommWaitWindow* window = CurrentWaitWindow();
        if (window && window->tickCount() >= 3 && window->message() == "Loading ACT! Notes...")
            seen = true;
    });
    probe.start(10);

    std::atomic<bool> timedOut{false};
    std::thread worker([&] {
        StartWaitWindow(&owner);
        SetWaitWindowText("Loading ACT! Notes...");
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!seen && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        timedOut = !seen;
        StopWaitWindow();
    });
    EXPECT_TRUE(WaitFor([&] { return seen.load(); }, 6000));
    worker.join();
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(WaitFor([] { return CurrentWaitWindow() == nullptr; }));
    EXPECT_EQ(counter.shown, 1);
}

TEST_F(WaitWindowTest, OwnerGetsTheFrontBackWhenTheWaitEnds)
{
    QWidget other;
    other.show();
    other.activateWindow();
    WaitFor([&] { return QApplication::activeWindow() == &other; }, 1000);

    Start();
    StopWaitWindow();
    EXPECT_TRUE(WaitFor([&] { return QApplication::activeWindow() == &owner; }, 2000));
}

} // namespace
