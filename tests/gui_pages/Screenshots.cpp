// Writes pictures of the review page (each tab, and the contacts' full view), of the cleaning page after
// a run and after a refused one, and of the message boxes on the way, into a folder, for people to look
// at. Runs on a throw-away home folder with a small demo database.
// Usage: velloran_pages_screenshots [folder]

#include "gui/pages/Actclean.h"
#include "gui/pages/Actdata.h"
#include "gui/pages/DupListModel.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"
#include "gui/wizard/Main.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTBaseUtil.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstring>

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

// Each message box that comes up is saved under the next of these names.
const char* const* g_boxNames = nullptr;

void SaveBox(QMessageBox* box)
{
    if (g_boxNames && *g_boxNames)
        Save(box, *g_boxNames++);
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

void RunCleaning(TfmMain* main)
{
    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    QElapsedTimer clock;
    clock.start();
    while (main->GetCleanPage()->IsRunning() && clock.elapsed() < 60000)
        QTest::qWait(50);
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
    // A wrong password first: the reason comes with the message.
    main->findChild<QLineEdit*>(QStringLiteral("edtACTPassword"))->setText(QStringLiteral("wrong"));
    const char* const loadBoxes[] = {"load-failed", nullptr};
    g_boxNames = loadBoxes;
    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    main->findChild<QLineEdit*>(QStringLiteral("edtACTPassword"))->setText(QStringLiteral("demo"));
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
    tabs->setCurrentIndex(KindIndex(TfmACTData::kAddr));
    data->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
    Save(main, "review-contacts-all");
    data->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();

    // A copy that differs from the record that stays beyond the compared fields, at the start size and
    // maximised.
    auto* contactList = data->findChild<QTreeView*>(QStringLiteral("lvAddr"));
    DupListModel* contactModel = data->GetListModel(TfmACTData::kAddr);
    for (int row = 0; row < contactModel->rowCount(); ++row) {
        const auto* copy = static_cast<const ContactRecord*>(contactModel->RecordAt(row));
        if (std::strcmp(copy->Company, "") != 0 && row > 0) {
            contactList->setCurrentIndex(contactModel->index(row, 0));
            break;
        }
    }
    Save(main, "review-compare");
    // Without a window manager to maximise it, it takes the screen's size by hand.
    main->showMaximized();
    QTest::qWait(200);
    if (main->width() <= main->minimumWidth())
        main->setGeometry(main->screen()->availableGeometry());
    QTest::qWait(200);
    Save(main, "review-compare-maximised");
    data->findChild<QLineEdit*>(QStringLiteral("edtFind"))->setText(QStringLiteral("son"));
    Save(main, "review-find");
    data->findChild<QLineEdit*>(QStringLiteral("edtFind"))->clear();
    main->showNormal();

    const char* const deleteBoxes[] = {"question", nullptr};
    g_boxNames = deleteBoxes;
    RunCleaning(main);
    Save(main, "cleaning-done");

    // Once more, with a submit the CRM refuses: the password changed after the load.
    // The first run took the duplicates: tick two contacts of the full view, one of them without copies.
    main->SetPage(0);
    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    data->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
    DupListModel* contacts = data->GetListModel(TfmACTData::kAddr);
    for (int row : {0, 1})
        contacts->setData(contacts->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    CleanupSession::SetBeforeSubmitHook([](CxACTBaseUtil& util) { util.SetPassword("changed"); });
    const char* const failedBoxes[] = {"question-again", "cleaning-failed-box", nullptr};
    g_boxNames = failedBoxes;
    RunCleaning(main);
    CleanupSession::SetBeforeSubmitHook(nullptr);
    Save(main, "cleaning-failed");
    g_boxNames = nullptr;
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
    seams::SetMessageHandler(SaveBox);

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
