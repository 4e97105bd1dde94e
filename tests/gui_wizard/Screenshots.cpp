// Writes a picture of each window of the wizard into a folder, for people to look at. Runs on a
// throw-away home folder, so no real settings are read or written. Usage: velloran_screenshots [folder]

#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"
#include "gui/services/Dupoption.h"
#include "gui/wizard/Main.h"

#include "core/Apputil.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

namespace {

QString g_folder;
int g_failures = 0;

void Save(QWidget* window, const char* name)
{
    window->show();
    window->raise();
    if (!QTest::qWaitForWindowExposed(window))
        std::fprintf(stderr, "%s: the window was never shown\n", name);
    QTest::qWait(50);
    const QString path = g_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (window->grab().save(path))
        std::printf("%s\n", qPrintable(path));
    else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

void ShootSourcePage()
{
    QPointer<TfmMain> main = new TfmMain;
    main->findChild<QLineEdit*>(QStringLiteral("edtPadName"))
        ->setText(QDir::homePath() + QStringLiteral("/Documents/ACT/Demo/Databases/Demo.pad"));
    main->findChild<QLineEdit*>(QStringLiteral("edtACTUserName"))->setText(QStringLiteral("Demo"));
    main->findChild<QLineEdit*>(QStringLiteral("edtACTPassword"))->setText(QStringLiteral("demo"));
    Save(main, "main-source");
    // The PAD help link as Tab reaches it.
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main))
        std::fprintf(stderr, "main-source-link-focus: the window never became active\n");
    main->findChild<QWidget*>(QStringLiteral("lblPad"))->setFocus(Qt::TabFocusReason);
    Save(main, "main-source-link-focus");
    main->close();
    delete main.data();
}

// The wait window over the source page while a load runs; the screen is grabbed, as they are two windows.
void ShootLoading()
{
    QPointer<TfmMain> main = new TfmMain;
    main->findChild<QLineEdit*>(QStringLiteral("edtPadName"))->setText(QStringLiteral("/nowhere/None.pad"));
    main->findChild<QLineEdit*>(QStringLiteral("edtACTUserName"))->setText(QStringLiteral("Demo"));
    main->show();
    if (!QTest::qWaitForWindowExposed(main))
        std::fprintf(stderr, "main-loading: the window was never shown\n");
    CleanupSession::SetBeforeLoadHook([](CxACTBaseUtil&) { std::this_thread::sleep_for(std::chrono::milliseconds(700)); });
    QTimer::singleShot(500, main, [main] {
        const QString path = g_folder + QStringLiteral("/main-loading.png");
        const QPixmap screen = main->screen()->grabWindow(0);
        if (screen.copy(main->frameGeometry()).save(path))
            std::printf("%s\n", qPrintable(path));
        else
            ++g_failures;
    });
    AppSettings.AppFlag = KIND_ADDR;
    main->SetPage(1);
    CleanupSession::SetBeforeLoadHook(nullptr);
    delete main.data();
}

void ShootRulesDialog()
{
    TfmDupOption dialog(nullptr);
    dialog.Exchange(false);
    auto* tabs = dialog.findChild<QTabWidget*>(QStringLiteral("pMain"));
    const char* names[] = {"rules-contacts", "rules-calendar", "rules-task"};
    for (int i = 0; i < tabs->count() && i < 3; ++i) {
        tabs->setCurrentIndex(i);
        Save(&dialog, names[i]);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());

    VelloranApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velloran"));
    ApplyVelloranStyle();
    seams::EnableTestMode();

    g_folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(g_folder);

    // One entry per window; add the later pages and viewers here.
    const std::vector<std::function<void()>> shots = {ShootSourcePage, ShootLoading, ShootRulesDialog};
    for (const auto& shoot : shots)
        shoot();
    return g_failures == 0 ? 0 : 1;
}
