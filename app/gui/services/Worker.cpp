#include "Worker.h"

#include "WaitWindow.h"

#include "core/WorkProgress.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <exception>
#include <thread>

namespace {

// Input held back by the waiting loop is not lost by the platform, only deferred: without this it
// would reach the wizard after the work, where a click made during a long load would act on the next
// page. While installed, input is dropped, except input for a modal dialog (a message box raised
// meanwhile, an error box): that one must be answerable, or the program would wait for it forever.
class InputDropper : public QObject
{
public:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        return event->isInputEvent() && !ForModalDialog(receiver);
    }

private:
    static bool ForModalDialog(QObject* receiver)
    {
        QWidget* widget = qobject_cast<QWidget*>(receiver);
        if (!widget) {
            // Input reaches a window first, then its widgets.
            if (auto* window = qobject_cast<QWindow*>(receiver)) {
                for (QWidget* topLevel : QApplication::topLevelWidgets())
                    if (topLevel->windowHandle() == window)
                        widget = topLevel;
            }
        }
        if (!widget)
            return false;
        const auto* dialog = qobject_cast<const QDialog*>(widget->window());
        return dialog && dialog->isModal();
    }
};

// Each step's text stays up a moment before the helper starts, so that the user can read it.
constexpr auto kPauseAfterStep = std::chrono::milliseconds(200);

class WaitWindowProgress : public WorkProgress
{
public:
    WaitWindowProgress(QObject* context, const std::function<void(const std::string&, int)>& onReport)
        : m_context(context), m_onReport(onReport)
    {
    }

    void Step(const char* text) override
    {
        SetWaitWindowText(text);
        std::this_thread::sleep_for(kPauseAfterStep);
    }
    void WatchFile(const std::string& path) override { SetWaitWindowFile(path.c_str()); }
    void Report(const std::string& line, int percent) override
    {
        if (!m_onReport)
            return;
        if (QThread::currentThread() == m_context->thread()) {
            m_onReport(line, percent);
            return;
        }
        // Queued before the worker's end is, so every report is handled before the work returns.
        QMetaObject::invokeMethod(
            m_context, [onReport = m_onReport, line, percent] { onReport(line, percent); }, Qt::QueuedConnection);
    }

private:
    QObject* m_context;
    std::function<void(const std::string&, int)> m_onReport;
};

} // namespace

void RunWithWaitWindow(QWidget* owner, const std::function<void(WorkProgress&)>& work,
                       const std::function<void(const std::string&, int)>& onReport)
{
    WaitWindowProgress progress(owner, onReport);
    StartWaitWindow(owner);
    try {
        RunOnWorker([&] { work(progress); });
    } catch (...) {
        StopWaitWindow();
        throw;
    }
    StopWaitWindow();
}

void RunOnWorker(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) {
        work();
        return;
    }

    InputDropper dropper;
    app->installEventFilter(&dropper);

    QEventLoop loop;
    std::exception_ptr error;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        // Queued, so it also works when the loop has not started yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();

    // Hand the deferred input to the dropper before it goes.
    QCoreApplication::processEvents();
    app->removeEventFilter(&dropper);

    if (error)
        std::rethrow_exception(error);
}
