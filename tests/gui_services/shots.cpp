// Saves pictures of the shared windows (wait window, troubleshooting and bug-report dialogs, header
// band) as PNG files into the folder given as the first argument, for looking at them by eye.
#include "TestUtil.h"

#include "gui/services/CxCommWaitWindow.h"
#include "gui/services/DiagnosticsDialogs.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/services/WaitWindow.h"

#include "core/Apputil.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

#include <cstdio>
#include <string>

namespace {

bool Save(QWidget* widget, const QString& folder, const char* name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(folder).filePath(name);
    const bool saved = widget->grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", path.toLocal8Bit().constData());
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    // The dialogs create the data folder: keep it away from the user's own.
    testutil::TempDir home;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.path()));

    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    ApplyVelloranStyle();
    seams::EnableTestMode();
    bool ok = true;

    QWidget owner;
    owner.resize(640, 480);
    owner.show();

    StartWaitWindow(&owner);
    SetWaitWindowText("Loading ACT! Contacts...");
    CxCommWaitWindow* wait = CurrentWaitWindow();
    wait->stopTicking();
    for (int i = 0; i < 27; ++i)
        wait->tick();
    ok &= Save(wait, folder, "wait.png");
    SetWaitWindowText(("Reading contacts: 1200 of 50000 " + std::string(200, 'x')).c_str());
    wait->tick();
    ok &= Save(wait, folder, "wait-long.png");
    StopWaitWindow();

    AppSettings.EnableDebug = true;
    AppSettings.LogLevel = 3;
    TfmDebug debug(nullptr);
    debug.show();
    ok &= Save(&debug, folder, "debug.png");

    TfmDump dump(nullptr);
    dump.show();
    ok &= Save(&dump, folder, "dump.png");

    QWidget bandHost;
    bandHost.resize(600, 80);
    auto* band = new HeaderBand(80, "lblStep", &bandHost);
    band->resize(600, 80);
    band->stepLabel()->setText("Please select enter your ACT! data access information");
    bandHost.show();
    ok &= Save(&bandHost, folder, "band.png");

    return ok ? 0 : 1;
}
