#include "Worker.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QWidget>
#include <QWindow>

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

} // namespace

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
