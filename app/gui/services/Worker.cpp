#include "Worker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <thread>

namespace {

// Input held back by the waiting loop is not lost by the platform, only deferred: without this it
// would reach the wizard after the work, where a click made during a long load would act on the next
// page. While installed, every input event is dropped.
class InputDropper : public QObject
{
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->isInputEvent(); }
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
