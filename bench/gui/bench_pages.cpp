// The review page on large contact loads, on an offscreen display: entering the page (grouping and
// filling the list), switching to the full view, a keystroke in the search box, Keep This One, moving
// the current row, and committing the ticks of a million records. The
// contacts come from a demo database through the stand-in helper, as in the program; loading them is
// set-up and not measured.

#include "gui/pages/Actdata.h"
#include "gui/pages/DupListModel.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Seams.h"
#include "gui/wizard/Application.h"
#include "gui/wizard/Main.h"

#include "core/Apputil.h"
#include "misc/CxList.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

QTemporaryDir* g_home = nullptr;

// One loaded wizard at a time: a million contacts take several gigabytes.
struct LoadedWizard
{
    int contacts = 0;
    TfmMain* main = nullptr;
};
LoadedWizard g_loaded;

void CloseWizard()
{
    delete g_loaded.main;
    g_loaded = {};
}

TfmMain* WizardWith(int contacts)
{
    if (g_loaded.main && g_loaded.contacts == contacts)
        return g_loaded.main;
    CloseWizard();

    const QString pad = g_home->filePath(QStringLiteral("db%1/Bench.pad").arg(contacts));
    QProcess tool;
    tool.start(QStringLiteral(VELLORAN_DEMO_DB_TOOL),
               {QStringLiteral("--pad"), pad, QStringLiteral("--contacts"), QString::number(contacts),
                QStringLiteral("--events"), QStringLiteral("0"), QStringLiteral("--tasks"), QStringLiteral("0"),
                QStringLiteral("--notes"), QStringLiteral("0")});
    if (!tool.waitForFinished(-1) || tool.exitCode() != 0) {
        std::fprintf(stderr, "the demo database tool failed\n");
        return nullptr;
    }

    auto* main = new TfmMain;
    main->show();
    main->findChild<QLineEdit*>(QStringLiteral("edtPadName"))->setText(pad);
    main->findChild<QLineEdit*>(QStringLiteral("edtACTUserName"))->setText(QStringLiteral("Demo"));
    main->findChild<QLineEdit*>(QStringLiteral("edtACTPassword"))->setText(QStringLiteral("demo"));
    const char* boxes[] = {"cbAddr", "cbDate", "cbTask", "cbNote"};
    for (int i = 0; i < 4; ++i)
        main->findChild<QCheckBox*>(QString::fromLatin1(boxes[i]))->setChecked(i == 0);
    main->findChild<QPushButton*>(QStringLiteral("btnNext"))->click();
    if (main->GetCurrentPage() != 1) {
        std::fprintf(stderr, "the load of %d contacts failed\n", contacts);
        delete main;
        return nullptr;
    }
    g_loaded = {contacts, main};
    return main;
}

// The wizard with the benchmark's number of contacts loaded; null, with the benchmark skipped, when the
// load failed.
TfmMain* WizardOrSkip(benchmark::State& state)
{
    TfmMain* main = WizardWith(static_cast<int>(state.range(0)));
    if (!main)
        state.SkipWithError("no loaded wizard");
    return main;
}

// Lets the list lay out and paint what the user would see.
void Settle()
{
    QCoreApplication::processEvents();
}

void Counters(benchmark::State& state, TfmMain* main)
{
    state.counters["duplicates"] = static_cast<double>(main->GetAddrDupList()->GetCount());
    state.counters["rows"] = main->GetDataPage()->GetListModel(TfmACTData::kAddr)->rowCount();
}

void BM_ReviewPageEntry(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    for (auto _ : state) {
        page->Exchange(false);
        Settle();
    }
    Counters(state, main);
}

// The two halves of the entry, to see where its time goes.
void BM_EntryGroupingOnly(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    for (auto _ : state)
        main->GetDataPage()->RefreshGroups();
    Counters(state, main);
}

void BM_EntryFillOnly(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    for (auto _ : state) {
        main->GetDataPage()->FillLists(true);
        Settle();
    }
    Counters(state, main);
}

void BM_SwitchToFullView(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    page->Exchange(false);
    auto* allBox = page->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"));
    for (auto _ : state) {
        allBox->click();
        Settle();
        state.PauseTiming();
        Counters(state, main);
        allBox->click();
        Settle();
        state.ResumeTiming();
    }
}

// The worst case: every record ticked in the full view, so nearly all of them are appended to the list.
void BM_CommitAfterSelectAllInFullView(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    page->Exchange(false);
    page->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
    seams::QueueMessageAnswer(QMessageBox::Yes);
    page->findChild<QPushButton*>(QStringLiteral("btnSelAll"))->click();
    Settle();
    for (auto _ : state) {
        state.PauseTiming();
        // Back to the duplicates only, as after the page's own grouping pass.
        page->RefreshGroups();
        state.ResumeTiming();
        page->Exchange(true);
    }
    Counters(state, main);
}

// One keystroke in the search box over the full view: the first letter looks at every record, a letter
// typed after it only at the rows the text before it left.
void BM_FindKeystroke(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    page->Exchange(false);
    page->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
    auto* find = page->findChild<QLineEdit*>(QStringLiteral("edtFind"));
    const bool narrowing = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        find->setText(narrowing ? QStringLiteral("mo") : QString());
        Settle();
        state.ResumeTiming();
        find->setText(narrowing ? QStringLiteral("moo") : QStringLiteral("m"));
        Settle();
    }
    state.counters["rows"] = page->GetListModel(TfmACTData::kAddr)->rowCount();
    find->clear();
    page->findChild<QCheckBox*>(QStringLiteral("cbAddrAll"))->click();
}

// Keep This One on the first duplicate and back again, and the current row moving down the list, each
// with the comparison pane following.
void BM_KeepThisOneTwice(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    page->Exchange(false);
    for (auto _ : state) {
        page->btnKeepClick();
        page->btnKeepClick();
        Settle();
    }
    Counters(state, main);
}

void BM_MoveCurrentRow(benchmark::State& state)
{
    TfmMain* main = WizardOrSkip(state);
    if (!main)
        return;
    TfmACTData* page = main->GetDataPage();
    page->Exchange(false);
    auto* list = page->findChild<QTreeView*>(QStringLiteral("lvAddr"));
    DupListModel* model = page->GetListModel(TfmACTData::kAddr);
    int row = 0;
    for (auto _ : state) {
        row = (row + 1) % model->rowCount();
        list->setCurrentIndex(model->index(row, 0));
        Settle();
    }
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    g_home = &home;

    VelloranApplication application(argc, argv);
    ApplyVelloranStyle();
    seams::EnableTestMode();

    // The 100,000-contact runs first, so that each database is loaded once.
    const auto ms = benchmark::kMillisecond;
    for (int contacts : {100000, 1000000}) {
        benchmark::RegisterBenchmark("BM_ReviewPageEntry", BM_ReviewPageEntry)->Arg(contacts)->Unit(ms);
        benchmark::RegisterBenchmark("BM_EntryGroupingOnly", BM_EntryGroupingOnly)->Arg(contacts)->Unit(ms);
        benchmark::RegisterBenchmark("BM_EntryFillOnly", BM_EntryFillOnly)->Arg(contacts)->Unit(ms);
    }
    benchmark::RegisterBenchmark("BM_SwitchToFullView", BM_SwitchToFullView)->Arg(1000000)->Unit(ms);
    benchmark::RegisterBenchmark("BM_FindKeystroke", BM_FindKeystroke)
        ->Args({1000000, 0})
        ->Args({1000000, 1})
        ->ArgNames({"contacts", "narrowing"})
        ->Unit(ms);
    benchmark::RegisterBenchmark("BM_KeepThisOneTwice", BM_KeepThisOneTwice)->Arg(1000000)->Unit(ms);
    benchmark::RegisterBenchmark("BM_MoveCurrentRow", BM_MoveCurrentRow)->Arg(1000000)->Unit(ms);
    benchmark::RegisterBenchmark("BM_CommitAfterSelectAllInFullView", BM_CommitAfterSelectAllInFullView)
        ->Arg(1000000)
        ->Unit(ms);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseWizard();
    return 0;
}
