#include "GuiTestUtil.h"

#include "gui/services/Worker.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

TEST(RunOnWorker, RunsTheWorkOnAnotherThreadAndReturnsWhenItIsDone)
{
    const auto gui = std::this_thread::get_id();
    std::thread::id seen;
    bool finished = false;
    RunOnWorker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        seen = std::this_thread::get_id();
        finished = true;
    });
    EXPECT_TRUE(finished);
    EXPECT_NE(seen, gui);
}

TEST(RunOnWorker, RethrowsTheWorksExceptionOnTheCallersThread)
{
    try {
        RunOnWorker([] { throw std::runtime_error("helper vanished"); });
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "helper vanished");
    }
    // And the next run is not disturbed by it.
    EXPECT_NO_THROW(RunOnWorker([] {}));
}

TEST(RunOnWorker, TimersKeepFiringWhileTheWorkRuns)
{
    std::atomic<int> ticks{0};
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);

    // The work waits for the GUI thread's timer: it ends only when the GUI thread keeps running.
    bool sawTicks = false;
    RunOnWorker([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ticks < 5 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        sawTicks = ticks >= 5;
    });
    EXPECT_TRUE(sawTicks);
}

TEST(RunOnWorker, InputArrivingDuringTheWorkIsDroppedNotReplayedAfterwards)
{
    QLineEdit edit;
    edit.show();
    // Made here: an input event needs the GUI thread's input devices.
    auto keyX = [] { return new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"); };

    QKeyEvent* duringWork = keyX();
    RunOnWorker([&] { QCoreApplication::postEvent(&edit, duringWork); });
    EXPECT_EQ(edit.text(), "");

    // Afterwards input reaches the window again.
    QCoreApplication::postEvent(&edit, keyX());
    EXPECT_TRUE(guitest::WaitFor([&] { return edit.text() == "x"; }, 2000));
}

// A box raised while the work runs (the error box of an exception in an event handler, say) must take
// its answer, or the program would wait for it forever.
TEST(RunOnWorker, AMessageBoxRaisedDuringTheWorkCanBeAnswered)
{
    const struct
    {
        const char* name;
        void (*answer)(QMessageBox& box);
    } cases[] = {
        {"Enter", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }},
        {"Escape", [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
        {"click", [](QMessageBox& box) { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); }},
    };
    for (const auto& c : cases) {
        std::atomic<bool> answered{false};
        QTimer::singleShot(0, [&] {
            QMessageBox box(QMessageBox::Critical, "Velloran", "Something went wrong.", QMessageBox::Ok);
            QTimer::singleShot(50, &box, [&box, &c] { c.answer(box); });
            // Should the input not get through, the box still goes, and the test fails below.
            QTimer::singleShot(3000, &box, [&box] { box.done(-1); });
            answered = box.exec() != -1;
        });
        RunOnWorker([&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (!answered && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        });
        EXPECT_TRUE(answered) << c.name;
    }
}

} // namespace
