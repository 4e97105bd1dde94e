#include "WaitWindow.h"

#include "CxCommWaitWindow.h"
#include "ServicesInternal.h"

#include "misc/CxFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>

namespace {

constexpr std::size_t kMessageLength = 1023;
constexpr std::size_t kPathLength = 259;
const QColor kBlockColour(0, 128, 192);
const QColor kBorderColour(96, 96, 96);

// Everything the callers' threads and the GUI thread share. A "session" runs from a start to the end
// of its window (or to its stop, when the window never came up); only the latest one counts.
struct SharedState
{
    std::mutex lock;
    unsigned session = 0;
    bool active = false;
    bool stopRequested = false;
    CxCommWaitWindow* window = nullptr;
    std::string message;
    std::string progressFile;
};

SharedState& State()
{
    static SharedState state;
    return state;
}

bool OnGuiThread()
{
    return qApp && QThread::currentThread() == qApp->thread();
}

void RunOnGuiThread(std::function<void()> call)
{
    if (OnGuiThread())
        call();
    else if (qApp)
        QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
}

void BringToFront(QWidget* owner)
{
    if (!owner)
        return;
    QWidget* top = owner->window();
    top->raise();
    top->activateWindow();
}

// GUI thread.
void CreateWindow(unsigned session, QWidget* owner)
{
    SharedState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.active || state.session != session)
            return;
        if (state.stopRequested) {
            // Stopped before it was up: there is nothing to show any more.
            state.active = false;
            return;
        }
    }

    auto* window = new CxCommWaitWindow(session, owner);
    CxCommWaitWindow* previous = nullptr;
    bool stopped = false;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.session != session || state.stopRequested) {
            stopped = true;
            if (state.session == session)
                state.active = false;
        } else {
            // A window whose stop has not been handled yet gives way: one window at a time.
            previous = state.window;
            state.window = window;
        }
    }
    delete previous;
    if (stopped) {
        delete window;
        return;
    }
    window->show();
}

// GUI thread.
void FinishWindow(unsigned session)
{
    SharedState& state = State();
    CxCommWaitWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.window && state.window->session() == session) {
            window = state.window;
            state.window = nullptr;
        }
        if (state.session == session)
            state.active = false;
    }
    if (!window)
        return;
    QPointer<QWidget> owner = window->owner();
    delete window;
    BringToFront(owner);
}

} // namespace

CxCommWaitWindow::CxCommWaitWindow(unsigned session, QWidget* owner)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::FramelessWindowHint), m_session(session), m_owner(owner)
{
    setObjectName("CxCommWaitWindow");
    setWindowTitle("Velloran");
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kWidth, kHeight);

    CentreOnScreen(this, owner);

    m_boldFont.setFamilies({"Verdana", "DejaVu Sans"});
    m_boldFont.setStyleHint(QFont::SansSerif);
    m_boldFont.setPixelSize(11);
    m_normalFont = m_boldFont;
    m_boldFont.setWeight(QFont::Bold);
    m_normalFont.setWeight(QFont::Normal);

    connect(&m_timer, &QTimer::timeout, this, &CxCommWaitWindow::tick);
    m_timer.start(kTickMs);
}

CxCommWaitWindow::~CxCommWaitWindow()
{
    // Also reached when the owner's window takes this one down with it.
    SharedState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.window == this) {
        state.window = nullptr;
        if (state.session == m_session)
            state.active = false;
    }
}

QString CxCommWaitWindow::message() const
{
    SharedState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return QString::fromLocal8Bit(state.message);
}

QString CxCommWaitWindow::elapsedText() const
{
    return QString::asprintf("%d seconds", static_cast<int>(m_elapsed / 1000));
}

int CxCommWaitWindow::blockSlots() const
{
    // The drawn border takes one pixel on each side, as the frame of a bordered window would.
    const int clientWidth = width() - 2;
    return clientWidth >= 40 ? (clientWidth - 40) / 25 + 1 : 1;
}

int CxCommWaitWindow::blockCount() const
{
    return static_cast<int>(m_tickCount % static_cast<unsigned>(blockSlots()));
}

void CxCommWaitWindow::tick()
{
    SharedState& state = State();
    std::string path;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        path = state.progressFile;
    }
    if (!path.empty()) {
        std::string line = CxFile::ReadFirstLine(path.c_str(), kMessageLength);
        if (!line.empty()) {
            std::lock_guard<std::mutex> guard(state.lock);
            state.message = std::move(line);
        }
    }
    m_elapsed += kTickMs;
    ++m_tickCount;
    repaint();
}

void CxCommWaitWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(kBorderColour);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    painter.translate(1, 1);
    const int clientWidth = width() - 2;
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setPen(Qt::black);

    painter.setFont(m_boldFont);
    QRect line(20, 0, clientWidth - 20, 50);
    // A progress line may be far wider than the window.
    painter.drawText(line, flags, painter.fontMetrics().elidedText(message(), Qt::ElideRight, line.width() - 10));

    line.translate(0, 30);
    painter.drawText(line, flags, "Time Elapsed:");

    painter.setFont(m_normalFont);
    line.setLeft(140);
    painter.drawText(line, flags, elapsedText());

    const int blocks = blockCount();
    for (int i = 0; i < blocks; ++i)
        painter.fillRect(20 + 25 * i, 100, 20, 12, kBlockColour);
}

void CxCommWaitWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

CxCommWaitWindow* CurrentWaitWindow()
{
    SharedState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.window;
}

bool StartWaitWindow(QWidget* owner)
{
    if (!qApp)
        return false;
    SharedState& state = State();
    unsigned session = 0;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.active && !state.stopRequested)
            return false;
        session = ++state.session;
        state.active = true;
        state.stopRequested = false;
        state.message.clear();
        state.progressFile.clear();
    }
    RunOnGuiThread([session, owner] { CreateWindow(session, owner); });
    return true;
}

void SetWaitWindowText(const char* text)
{
    if (!text)
        return;
    SharedState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.active || state.stopRequested)
        return;
    state.message.assign(text, strnlen(text, kMessageLength));
}

void SetWaitWindowFile(const char* path)
{
    if (!path)
        return;
    SharedState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.active || state.stopRequested)
        return;
    if (!*path) {
        state.progressFile.clear();
        return;
    }
    // A line left over from an earlier run must not show; a missing file is fine.
    std::remove(path);
    state.progressFile.assign(path, strnlen(path, kPathLength));
}

void StopWaitWindow()
{
    SharedState& state = State();
    unsigned session = 0;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.active || state.stopRequested)
            return;
        state.stopRequested = true;
        session = state.session;
    }
    RunOnGuiThread([session] { FinishWindow(session); });
}
