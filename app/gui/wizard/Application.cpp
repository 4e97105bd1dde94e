#include "gui/wizard/Application.h"

#include "gui/services/Diagnostics.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/services/Shell.h"
#include "gui/wizard/Main.h"

#include "misc/CxDebugUtil.h"

#include <QIcon>
#include <QPointer>

#include <exception>

namespace {

const char* const kApplicationTitle = "Velloran";

} // namespace

VelloranApplication::VelloranApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelloranApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        DEBUG_LOG(0, "Exception in an event handler: %s", error.what());
        ShowErrorBox(FailureText(std::current_exception()));
    } catch (...) {
        DEBUG_LOG(0, "Unknown exception in an event handler.");
        ShowErrorBox(FailureText(std::current_exception()));
    }
    return false;
}

void ShowErrorBox(const QString& message)
{
    seams::ShowMessage(MainWindow(), QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), message,
                       QMessageBox::Ok);
}

int RunWithTopLevelHandler(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        DEBUG_LOG(0, "Unhandled exception: %s", error.what());
        const QString text = FailureText(std::current_exception());
        ShowErrorBox(text);
        if (QWidget* mainWindow = MainWindow())
            ShowBugReport(mainWindow, text);
    } catch (...) {
        DEBUG_LOG(0, "Unhandled unknown exception.");
        const QString text = FailureText(std::current_exception());
        if (QWidget* mainWindow = MainWindow())
            ShowBugReport(mainWindow, text);
        ShowErrorBox(text);
    }
    return 0;
}

int RunVelloran(int& argc, char** argv)
{
    VelloranApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    // The desktop matches the window to its menu entry, velloran.desktop, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("velloran"));
    ApplyVelloranStyle();

    QPointer<TfmMain> mainWindow;
    RunWithTopLevelHandler([&mainWindow] {
        mainWindow = new TfmMain;
        QApplication::setWindowIcon(LogoIcon());
        mainWindow->show();
        QApplication::exec();
    });
    // Closing the window destroys it; when an error ended the run first, the shut-down happens here.
    RunWithTopLevelHandler([&mainWindow] { delete mainWindow.data(); });
    return 0;
}
