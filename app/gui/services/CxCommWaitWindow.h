#pragma once

#include <QFont>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

// The "please wait" window behind WaitWindow.h. It lives on the GUI thread only; the free functions
// reach it from any thread through the lock-guarded state in WaitWindow.cpp.
class CxCommWaitWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 150;
    static constexpr int kTickMs = 100;

    // `session` is the start this window belongs to; `owner` gets the front back when the wait ends.
    CxCommWaitWindow(unsigned session, QWidget* owner);
    ~CxCommWaitWindow() override;

    unsigned session() const { return m_session; }
    QWidget* owner() const { return m_owner.data(); }
    unsigned tickCount() const { return m_tickCount; }
    unsigned elapsedMs() const { return m_elapsed; }
    // The line drawn at the top: the last text set or the last non-empty progress line.
    QString message() const;
    // "%d seconds" of the elapsed whole seconds.
    QString elapsedText() const;
    // Room for blocks in the row, and how many are drawn now.
    int blockSlots() const;
    int blockCount() const;
    void stopTicking() { m_timer.stop(); }

public slots:
    // One step of the 100 ms timer: progress line, elapsed time, blocks, repaint. Public so tests
    // can step it without waiting.
    void tick();

protected:
    void paintEvent(QPaintEvent* event) override;
    // The wait ends when its work does: a close asked for by the user (Alt+F4, a window manager's close
    // button) is refused.
    void closeEvent(QCloseEvent* event) override;

private:
    unsigned m_session;
    QPointer<QWidget> m_owner;
    QTimer m_timer;
    QFont m_boldFont;
    QFont m_normalFont;
    quint32 m_tickCount = 0;
    quint32 m_elapsed = 0;
};

// GUI thread only: the wait window that is up, or null.
CxCommWaitWindow* CurrentWaitWindow();
