#pragma once

#include <QApplication>

#include <functional>

// The Qt application object of the program. An exception that escapes an event handler is shown in the
// standard error box and the program goes on, rather than unwinding through Qt's event loop.
class VelloranApplication : public QApplication
{
public:
    VelloranApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The standard error box: the application's title as caption, the stop icon, OK.
void ShowErrorBox(const QString& message);

// Runs `body` under the outermost error handler: an exception that escapes it is shown in the error box
// and in the bug-report dialog over the main window (when there is one). Returns the exit code, always 0.
int RunWithTopLevelHandler(const std::function<void()>& body);

// The whole program: start-up, the wizard until its window closes, shut-down.
int RunVelloran(int& argc, char** argv);
