#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>

#include <string>

namespace guitest {

// Runs the event loop until `done` holds or the time is up; returns the last answer of `done`.
template <typename Predicate> bool WaitFor(Predicate done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The tests' home and the program's data folder in it, set up by main() before anything else.
const std::string& Home();
const std::string& DataFolder();

} // namespace guitest
