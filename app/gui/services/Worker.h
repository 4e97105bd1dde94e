#pragma once

#include <functional>

// Runs long work (a load, a submit) on a worker thread while the GUI thread keeps painting and ticking
// the wait window but takes no user input. Returns when the work is done; an exception thrown by the
// work is rethrown here, on the GUI thread.
void RunOnWorker(const std::function<void()>& work);
