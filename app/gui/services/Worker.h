#pragma once

#include <functional>
#include <string>

class QObject;
class QWidget;
class WorkProgress;

// Runs long work (a load, a submit) on a worker thread while the GUI thread keeps painting and ticking
// the wait window but takes no user input. Returns when the work is done; an exception thrown by the
// work is rethrown here, on the GUI thread.
void RunOnWorker(const std::function<void()>& work);

// The one way the pages run the cleanup session's work: on the worker, under the wait window over
// `owner`, which shows the texts and follows the progress files the work reports. Its log lines and
// shares reach `onReport` on the GUI thread, in order, all before this returns.
void RunWithWaitWindow(QWidget* owner, const std::function<void(WorkProgress&)>& work,
                       const std::function<void(const std::string& line, int percent)>& onReport = {});
