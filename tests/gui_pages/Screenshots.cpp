// Writes pictures of the review page (each tab, and the contacts' full view) and of the cleaning page
// after a run into a folder, for people to look at. Runs on a throw-away home folder with a small demo
// database. Usage: velloran_pages_screenshots [folder]

#include "gui/pages/Actclean.h"
#include "gui/pages/Actdata.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"
#include "gui/wizard/Main.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QString g_folder;
int g_failures = 0;

void Save(QWidget* window, const char* name)
{
    window->show();
    window->raise();
    if (!QTest::qWaitForWindowExposed(window))
        std::fprintf(stderr, "%s: the window was never shown\n", name);
    QTest::qWait(100);
    const QString path = g_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
    if (window->grab().save(path)) {
        std::printf("%s\n", qPrintable(path));
    } else {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

bool MakeDemo(const QString& pad)
{
    QProcess tool;
    tool.start(QStringLiteral(VELLORAN_DEMO_DB_TOOL),
               {QStringLiteral("--pad"), pad, QStringLiteral("--contacts"), QStringLiteral("60"),
                QStringLiteral("--events"), QStringLiteral("40"), QStringLiteral("--tasks"), QStringLiteral("40"),
                QStringLiteral("--notes"), QStringLiteral("40"), QStringLiteral("--dup-percent"),
                QStringLiteral("30")});
    return tool.waitForFinished(60000) && tool.exitCode() == 0;
}

void ShootPages(const QString& pad)
{
    QPointer<TfmMain> main = new TfmMain;
    main->show();
    main->findChild<QLineEdit*>(QStringLiteral("edtPadName"))->setText(pad);
    main->findChild<QLineEdit*>(QStringLiteral("edtACTUserName"))->setText(QStringLiteral("Demo"));
    main->findChild<QLineEdit*>(QStringLiteral("edtACTPassword"))->setText(QStringLiteral("demo"));
    for (const char* box : {"cbAddr", "cbDate", "cbTask", "cbNote"})
        main->findChild<QCheckBox*>(QString::fromLatin1(box))->setChecked(true);
    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    if (main->GetCurrentPage() != 1) {
        std::fprintf(stderr, "the demo database did not load\n");
        ++g_failures;
        delete main.data();
        return;
    }

    TfmACTData* data = main->GetDataPage();
    auto* tabs = data->findChild<QTabWidget*>(QStringLiteral("pData"));
    const char* names[] = {"review-contacts", "review-calendar", "review-tasks", "review-notes"};
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        Save(main, names[i]);
    }
    tabs->setCurrentIndex(TfmACTData::kAddr);
    data->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
    Save(main, "review-contacts-all");
    data->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();

    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    QElapsedTimer clock;
    clock.start();
    while (main->GetCleanPage()->IsRunning() && clock.elapsed() < 60000)
        QTest::qWait(50);
    Save(main, "cleaning-done");
    main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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

    const QString pad = home.path() + QStringLiteral("/Documents/ACT/Demo/Databases/Demo.pad");
    if (!MakeDemo(pad)) {
        std::fprintf(stderr, "the demo database tool failed\n");
        return 1;
    }
    ShootPages(pad);
    return g_failures == 0 ? 0 : 1;
}
