#include "gui/wizard/Main.h"

#include "gui/pages/Actclean.h"
#include "gui/pages/Actdata.h"
#include "gui/services/Diagnostics.h"
#include "gui/services/HeaderBand.h"
#include "gui/services/Shell.h"
#include "gui/wizard/Actsource.h"

#include "core/Apputil.h"
#include "misc/CxDebugUtil.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

// A compiled help file beside the program wins; every build ships the HTML page, on Windows too.
constexpr const char* kCompiledHelpFileName = "Velloran.chm";

constexpr int kClientWidth = 794;
constexpr int kClientHeight = 594;
constexpr int kHeaderHeight = 113;
constexpr int kButtonBandHeight = 54;
constexpr int kPageCount = 3;

struct PageState
{
    bool prevEnabled;
    bool nextEnabled;
    const char* cancelCaption;
    const char* stepText;
};

constexpr PageState kPageStates[kPageCount] = {
    {false, true, "&Cancel", "Please select enter your ACT! data access information"},
    {true, true, "&Cancel", "Please select the duplicate items that you want to delete."},
    {false, false, "&Finish", "Deleting duplicate items now."},
};

// While the source page loads.
const char* const kLoadingText = "Loading ACT! information, please wait ...";

// How often a close asked for during work looks again whether the work is over.
constexpr int kCloseRetryMs = 100;

// BeginWork and EndWork of a scope.
class WorkScope
{
public:
    explicit WorkScope(TfmMain* main) : m_pMain(main) { m_pMain->BeginWork(); }
    ~WorkScope() { m_pMain->EndWork(); }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;

private:
    TfmMain* m_pMain;
};

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setMinimumWidth(108);
    return button;
}

} // namespace

TfmMain::TfmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fmMain"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Velloran - Remove Duplicates in ACT!"));
    // Today's size is where it starts and the least it takes; the pages use whatever room it is given.
    setMinimumSize(kClientWidth, kClientHeight);
    resize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_pHeader = new HeaderBand(kHeaderHeight, "lblStep", this);
    layout->addWidget(m_pHeader);

    auto* topLine = new QFrame(this);
    topLine->setFrameShape(QFrame::HLine);
    topLine->setFrameShadow(QFrame::Sunken);
    layout->addWidget(topLine);

    pClient = new QWidget(this);
    pClient->setObjectName(QStringLiteral("pClient"));
    auto* clientLayout = new QGridLayout(pClient);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pClient, 1);

    auto* bottomLine = new QFrame(this);
    bottomLine->setFrameShape(QFrame::HLine);
    bottomLine->setFrameShadow(QFrame::Sunken);
    layout->addWidget(bottomLine);

    auto* buttonBand = new QWidget(this);
    buttonBand->setFixedHeight(kButtonBandHeight);
    auto* buttons = new QHBoxLayout(buttonBand);
    buttons->setContentsMargins(12, 0, 12, 0);
    btnHelp = MakeButton("btnHelp", "&Help", buttonBand);
    btnDebug = MakeButton("btnDebug", "&Troubleshooting", buttonBand);
    btnPrev = MakeButton("btnPrev", "<  &Prev", buttonBand);
    btnNext = MakeButton("btnNext", "&Next  >", buttonBand);
    btnCancel = MakeButton("btnCancel", "&Close", buttonBand);
    buttons->addWidget(btnHelp);
    buttons->addWidget(btnDebug);
    buttons->addStretch(1);
    buttons->addWidget(btnPrev);
    buttons->addWidget(btnNext);
    buttons->addSpacing(12);
    buttons->addWidget(btnCancel);
    layout->addWidget(buttonBand);

    connect(btnHelp, &QPushButton::clicked, this, &TfmMain::btnHelpClick);
    connect(btnDebug, &QPushButton::clicked, this, &TfmMain::btnDebugClick);
    connect(btnPrev, &QPushButton::clicked, this, &TfmMain::btnPrevClick);
    connect(btnNext, &QPushButton::clicked, this, &TfmMain::btnNextClick);
    connect(btnCancel, &QPushButton::clicked, this, &TfmMain::btnCancelClick);

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(kClientWidth / 2, kClientHeight / 2));

    char folder[260] = "";
    const bool haveFolder = GetDataFolder(folder);
    if (haveFolder) {
        SweepStaleTempFiles(folder);
        const std::string settingsPath = std::string(folder) + kSettingsFileName;
        // A path without room stays on the program folder's file, as when there is no data folder.
        if (settingsPath.size() < sizeof(folder))
            SettingsFile.SetPath(settingsPath.c_str());
    }
    LoadSettings();
    if (haveFolder)
        DebugLog.SetFolder(folder);
    DebugLog.SetEnabled(AppSettings.EnableDebug);
    DebugLog.SetLevel(AppSettings.LogLevel);

    CreatePages();
    CurrentPage = 0;
    SetPage(0);
    m_pSource->setFocus();
    SetMainWindow(this);
}

TfmMain::~TfmMain()
{
    if (!SaveSettings())
        DEBUG_LOG(0, "The settings could not be written: %s", SettingsFile.GetPath());
    ReleaseLoadedData();
    DestroyPages();
    if (MainWindow() == this)
        SetMainWindow(nullptr);
}

void TfmMain::CreatePages()
{
    auto* clientLayout = static_cast<QGridLayout*>(pClient->layout());
    m_pSource = new TfmACTSource(&m_session, pClient);
    m_pData = new TfmACTData(&m_session.Data(), pClient);
    m_pClean = new TfmACTClean(&m_session, pClient);
    connect(m_pClean, &TfmACTClean::backRequested, this, [this] { SetPage(0); });
    connect(m_pClean, &TfmACTClean::workStarted, this, &TfmMain::BeginWork);
    connect(m_pClean, &TfmACTClean::workEnded, this, &TfmMain::EndWork);
    connect(m_pSource, &TfmACTSource::nextRequested, this, &TfmMain::btnNextClick);
    connect(m_pSource, &TfmACTSource::loadStarted, this, [this] { SetStepText(QString::fromLatin1(kLoadingText)); });
    // Back to the page's own step text when the load failed; after a success the next page sets its own.
    connect(m_pSource, &TfmACTSource::loadFailed, this, &TfmMain::UpdateButtons);
    for (QWidget* page :
         {static_cast<QWidget*>(m_pSource), static_cast<QWidget*>(m_pData), static_cast<QWidget*>(m_pClean)}) {
        page->hide();
        clientLayout->addWidget(page, 0, 0);
    }
}

void TfmMain::DestroyPages()
{
    delete m_pSource;
    m_pSource = nullptr;
    delete m_pData;
    m_pData = nullptr;
    delete m_pClean;
    m_pClean = nullptr;
}

void TfmMain::SetPage(int target)
{
    const WorkScope work(this);
    target = std::clamp(target, 0, kPageCount - 1);
    switch (target) {
    case 0:
        m_pSource->Exchange(false);
        break;
    case 1:
        if (CurrentPage == 0) {
            if (!m_pSource->Exchange(true))
                return;
            m_pData->Exchange(false);
        }
        break;
    default:
        if (!m_pData->Exchange(true))
            return;
        m_pClean->Exchange(false);
        break;
    }
    CurrentPage = target;
    UpdateButtons();
}

void TfmMain::UpdateButtons()
{
    const PageState& state = kPageStates[CurrentPage];
    btnPrev->setEnabled(state.prevEnabled);
    btnNext->setEnabled(state.nextEnabled);
    btnCancel->setText(QString::fromLatin1(state.cancelCaption));
    QWidget* pages[kPageCount] = {m_pSource, m_pData, m_pClean};
    for (int i = 0; i < kPageCount; ++i)
        if (pages[i])
            pages[i]->setVisible(i == CurrentPage);
    SetStepText(QString::fromLatin1(state.stepText));
}

void TfmMain::SetStepText(const QString& text)
{
    m_pHeader->stepLabel()->setText(text);
}

void TfmMain::ReleaseLoadedData()
{
    m_session.Release();
}

void TfmMain::BeginWork()
{
    ++m_nWork;
}

void TfmMain::EndWork()
{
    if (--m_nWork == 0 && m_bCloseWhenIdle)
        QTimer::singleShot(0, this, &QWidget::close);
}

void TfmMain::closeEvent(QCloseEvent* event)
{
    // Closing destroys the window with everything it owns, so it must happen in the program's own event
    // loop: never while work runs, nor inside a dialog's loop that work or a page opened.
    if (m_nWork > 0 || QThread::currentThread()->loopLevel() > 1) {
        m_bCloseWhenIdle = true;
        event->ignore();
        if (m_nWork == 0)
            QTimer::singleShot(kCloseRetryMs, this, &QWidget::close);
        return;
    }
    QWidget::closeEvent(event);
}

void TfmMain::btnHelpClick()
{
    char folder[260] = "";
    if (!GetProgramFolder(folder))
        return;
    const std::string compiledHelp = std::string(folder) + kCompiledHelpFileName;
    const bool compiled = QFileInfo::exists(QString::fromUtf8(compiledHelp));
    const std::string helpFile = compiled ? compiledHelp : std::string(folder) + kHelpPageName;
    ShellOpen(helpFile.c_str());
}

void TfmMain::btnDebugClick()
{
    ShowTroubleshooting();
}

void TfmMain::btnPrevClick()
{
    SetPage(CurrentPage - 1);
}

void TfmMain::btnNextClick()
{
    SetPage(CurrentPage + 1);
}

void TfmMain::btnCancelClick()
{
    close();
}
