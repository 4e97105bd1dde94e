#include "Shell.h"

#include "Seams.h"
#include "ServicesInternal.h"

#include "core/Apputil.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>
#include <QWidget>

namespace {

constexpr const char* kHomePage = "https://www.velloran.example/?ref=app";

QStringList& OpenedTargets()
{
    static QStringList targets;
    return targets;
}

QPointer<QWidget>& MainWindowPointer()
{
    static QPointer<QWidget> window;
    return window;
}

// Web and mail addresses go to the desktop as they are; everything else is a file or folder.
QUrl TargetUrl(const QString& target)
{
    static const char* const kSchemes[] = {"http:", "https:", "mailto:", "ftp:", "file:"};
    for (const char* scheme : kSchemes) {
        if (target.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return QUrl(target, QUrl::TolerantMode);
    }
    return QUrl::fromLocalFile(target);
}

} // namespace

bool ShellOpen(const char* target)
{
    if (!target || !*target)
        return false;
    const QString text = QString::fromUtf8(target);
    if (seams::IsTestMode()) {
        OpenedTargets().append(text);
        return true;
    }
    // Whether the desktop managed to open it is not reported, as with the shell's "open".
    QDesktopServices::openUrl(TargetUrl(text));
    return true;
}

void OpenHomePage()
{
    ShellOpen(kHomePage);
}

QString HelpSectionAddress(const char* section)
{
    char folder[260] = "";
    if (!GetProgramFolder(folder))
        return QString();
    // A plain path would take the '#' for part of the file name.
    QUrl address = QUrl::fromLocalFile(QString::fromUtf8(folder) + QString::fromLatin1(kHelpPageName));
    address.setFragment(QString::fromLatin1(section));
    return QString::fromLatin1(address.toEncoded());
}

bool OpenHelpSection(const char* section)
{
    const QString address = HelpSectionAddress(section);
    return !address.isEmpty() && ShellOpen(address.toUtf8().constData());
}

const QStringList& ShellOpenedTargets()
{
    return OpenedTargets();
}

void ClearShellOpenedTargets()
{
    OpenedTargets().clear();
}

void SetMainWindow(QWidget* window)
{
    MainWindowPointer() = window;
}

QWidget* MainWindow()
{
    return MainWindowPointer().data();
}
