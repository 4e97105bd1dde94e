#include "gui/pages/Actclean.h"

#include "gui/pages/RecordText.h"
#include "gui/services/Diagnostics.h"
#include "gui/services/WaitWindow.h"
#include "gui/services/Worker.h"
#include "gui/wizard/Main.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxList.h"
#include "misc/WinUtil.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 366;
constexpr int kStartDelayMs = 1000;
constexpr auto kPauseBeforeSubmit = std::chrono::milliseconds(200);

const char* const kSeparator = "================================================================================";
const char* const kLineBreak = "\r\n";
const char* const kSubmitText = "Submitting deletion information to ACT! database...";

std::function<void(CxACTBaseUtil&)>& BeforeSubmitHook()
{
    static std::function<void(CxACTBaseUtil&)> hook;
    return hook;
}

// A text field copied with its terminator, even when the field has none of its own.
template <std::size_t N> struct FieldCopy
{
    explicit FieldCopy(const char (&field)[N])
    {
        const std::size_t length = strnlen(field, N);
        std::memcpy(text, field, length);
        text[length] = '\0';
    }
    char text[N + 1];
};

} // namespace

void TfmACTClean::SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook)
{
    BeforeSubmitHook() = std::move(hook);
}

TfmACTClean::TfmACTClean(TfmMain* mainWindow, QWidget* parent) : QWidget(parent), m_pMain(mainWindow)
{
    setObjectName(QStringLiteral("fmACTClean"));
    resize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);

    memLog = new QPlainTextEdit(this);
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setLineWrapMode(QPlainTextEdit::NoWrap);
    memLog->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab stops every eight characters, as in a plain edit control.
    memLog->setTabStopDistance(8 * memLog->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    layout->addWidget(memLog, 1);

    pbDel = new QProgressBar(this);
    pbDel->setObjectName(QStringLiteral("pbDel"));
    pbDel->setRange(0, 100);
    pbDel->setValue(0);
    pbDel->setTextVisible(true);
    layout->addWidget(pbDel);

    auto* row = new QHBoxLayout;
    lblBack = new QLabel(QStringLiteral("Back to First Step"), this);
    lblBack->setObjectName(QStringLiteral("lblBack"));
    lblBack->setStyleSheet(QStringLiteral("QLabel { color: #0000ff; } QLabel:disabled { color: #8080c0; }"));
    QFont linkFont = lblBack->font();
    linkFont.setUnderline(true);
    lblBack->setFont(linkFont);
    lblBack->setCursor(Qt::PointingHandCursor);
    lblBack->installEventFilter(this);
    row->addWidget(lblBack);
    row->addStretch(1);
    layout->addLayout(row);

    tmStart = new QTimer(this);
    tmStart->setObjectName(QStringLiteral("tmStart"));
    tmStart->setInterval(kStartDelayMs);
    connect(tmStart, &QTimer::timeout, this, &TfmACTClean::tmStartTimer);
}

bool TfmACTClean::Exchange(bool save)
{
    if (save)
        return true;
    memLog->clear();
    m_pendingLog.clear();
    AddLogLine("Start deleting duplicate records ...");
    AddLogLine(kSeparator);
    AddLogLine(kLineBreak);
    FlushLog();
    m_nAddrDeleted = m_nDateDeleted = m_nTaskDeleted = m_nNoteDeleted = 0;
    // Going back while the run is pending or under way would let the next load free the records it
    // works on; the link waits for the end of the run.
    m_bRunning = true;
    lblBack->setEnabled(false);
    tmStart->start();
    pbDel->setValue(0);
    return true;
}

void TfmACTClean::tmStartTimer()
{
    tmStart->stop();
    bool failed = false;
    try {
        RunCleaning();
    } catch (const std::exception& error) {
        DEBUG_LOG(0, "Deleting the duplicate items failed with an exception: %s", error.what());
        failed = true;
    } catch (...) {
        DEBUG_LOG(0, "Deleting the duplicate items failed with an unknown exception.");
        failed = true;
    }
    if (failed) {
        if (m_bWaitWindowUp)
            StopWaitWindow();
        m_bWaitWindowUp = false;
        FlushLog();
    }
    m_bRunning = false;
    lblBack->setEnabled(true);
    if (failed)
        ShowBugReport(m_pMain);
}

void TfmACTClean::lblBackClick()
{
    if (m_bRunning)
        return;
    m_pMain->SetPage(0);
}

void TfmACTClean::RunCleaning()
{
    m_nTotal = 0;
    m_nProcessed = 0;
    const std::int32_t flags = AppSettings.AppFlag;
    CxList* const lists[] = {m_pMain->GetAddrDupList(), m_pMain->GetDateDupList(), m_pMain->GetTaskDupList(),
                             m_pMain->GetNoteDupList()};
    const std::int32_t kinds[] = {KIND_ADDR, KIND_DATE, KIND_TASK, KIND_NOTE};
    for (int i = 0; i < 4; ++i)
        if ((flags & kinds[i]) && lists[i])
            m_nTotal += lists[i]->GetCount();

    if (flags & KIND_ADDR)
        DeleteAddrDups();
    if (flags & KIND_DATE)
        DeleteDateDups();
    if (flags & KIND_TASK)
        DeleteTaskDups();
    if (flags & KIND_NOTE)
        DeleteNoteDups();

    AddLogLine(kSeparator);
    AddLogLine("Deleting duplicates finished:");
    char line[64];
    std::snprintf(line, sizeof line, "\t%d duplicate contact items deleted.", m_nAddrDeleted);
    AddLogLine(line);
    std::snprintf(line, sizeof line, "\t%d duplicate calendar items deleted.", m_nDateDeleted);
    AddLogLine(line);
    std::snprintf(line, sizeof line, "\t%d duplicate task items deleted.", m_nTaskDeleted);
    AddLogLine(line);
    std::snprintf(line, sizeof line, "\t%d duplicate note items deleted.", m_nNoteDeleted);
    AddLogLine(line);
    AddLogLine(kLineBreak);
    FlushLog();

    SubmitMarkedKinds();
    pbDel->setValue(100);
}

void TfmACTClean::SubmitMarkedKinds()
{
    StartWaitWindow(parentWidget());
    m_bWaitWindowUp = true;
    SetWaitWindowText(kSubmitText);

    struct Submission
    {
        CxACTBaseUtil* util;
        std::string statusFile;
    };
    char folder[260] = "";
    const bool haveFolder = GetDataFolder(folder);
    const std::int32_t flags = AppSettings.AppFlag;
    const struct
    {
        std::int32_t flag;
        std::int32_t deleted;
        CxACTBaseUtil* util;
        const char* statusFile;
    } kinds[] = {
        {KIND_ADDR, m_nAddrDeleted, m_pMain->GetAddrUtil(), "ACTAddrStatus.dat"},
        {KIND_DATE, m_nDateDeleted, m_pMain->GetDateUtil(), "ACTDateStatus.dat"},
        {KIND_TASK, m_nTaskDeleted, m_pMain->GetTaskUtil(), "ACTTaskStatus.dat"},
        {KIND_NOTE, m_nNoteDeleted, m_pMain->GetNoteUtil(), "ACTNoteStatus.dat"},
    };
    std::vector<Submission> submissions;
    for (const auto& kind : kinds)
        if ((flags & kind.flag) && kind.deleted > 0 && kind.util)
            submissions.push_back({kind.util, haveFolder ? std::string(folder) + kind.statusFile : std::string()});

    // The helpers run for minutes on large databases: off the GUI thread, so the windows stay drawn.
    RunOnWorker([&submissions] {
        std::this_thread::sleep_for(kPauseBeforeSubmit);
        for (const Submission& submission : submissions) {
            if (!submission.statusFile.empty())
                SetWaitWindowFile(submission.statusFile.c_str());
            if (BeforeSubmitHook())
                BeforeSubmitHook()(*submission.util);
            submission.util->Submit();
        }
    });

    StopWaitWindow();
    m_bWaitWindowUp = false;
}

template <class Record> void TfmACTClean::DeleteKindDups(CxList* dupList, void (TfmACTClean::*logger)(Record*))
{
    if (!dupList)
        return;
    for (void* record = dupList->GetFirst(); record; record = dupList->GetNext()) {
        (this->*logger)(static_cast<Record*>(record));
        ++m_nProcessed;
        if (m_nTotal > 0)
            pbDel->setValue(static_cast<int>(m_nProcessed * 100 / m_nTotal));
    }
}

void TfmACTClean::DeleteAddrDups()
{
    DeleteKindDups(m_pMain->GetAddrDupList(), &TfmACTClean::DeleteContact);
}

void TfmACTClean::DeleteDateDups()
{
    DeleteKindDups(m_pMain->GetDateDupList(), &TfmACTClean::DeleteEvent);
}

void TfmACTClean::DeleteTaskDups()
{
    DeleteKindDups(m_pMain->GetTaskDupList(), &TfmACTClean::DeleteTask);
}

void TfmACTClean::DeleteNoteDups()
{
    DeleteKindDups(m_pMain->GetNoteDupList(), &TfmACTClean::DeleteNote);
}

void TfmACTClean::DeleteContact(ContactRecord* record)
{
    if (!record || !(record->DupFlags & DUP_SELECTED))
        return;
    AddLogLine("Deleting contact item ...");
    FieldLine("Display Name", FieldCopy(record->FullName).text);
    FieldLine("Company", FieldCopy(record->Company).text);
    FieldLine("Title", FieldCopy(record->Title).text);
    FieldLine("Email", FieldCopy(record->BusinessEmail).text);
    FieldLine("Phone", FieldCopy(record->BusinessPhone).text);
    CxACTAddrUtil* util = m_pMain->GetAddrUtil();
    EndRecord(util && util->MarkForDeletion(record->pEntry), m_nAddrDeleted);
}

void TfmACTClean::DeleteEvent(CalendarRecord* record)
{
    if (!record || !(record->DupFlags & DUP_SELECTED))
        return;
    AddLogLine("Deleting calendar item ...");
    FieldLine("Subject", FieldCopy(record->Regarding).text);
    FieldLine("Location", FieldCopy(record->Location).text);
    char time[32] = "";
    FormatVariantTime(record->StartTime, time, sizeof time);
    FieldLine("Start Time", time);
    FormatVariantTime(record->EndTime, time, sizeof time);
    FieldLine("End Time", time);
    FieldLine("All Day Event", pagetext::YesNo(record->IsTimeless));
    CxACTDateUtil* util = m_pMain->GetDateUtil();
    EndRecord(util && util->MarkForDeletion(record->pEntry), m_nDateDeleted);
}

void TfmACTClean::DeleteTask(TaskRecord* record)
{
    if (!record || !(record->DupFlags & DUP_SELECTED))
        return;
    AddLogLine("Deleting todo or opportunity item ...");
    FieldLine("Subject", FieldCopy(record->Regarding).text);
    FieldLine("Priority", pagetext::Priority(record->Priority));
    char date[32] = "";
    FormatVariantDate(record->DueDate, date, sizeof date);
    FieldLine("Due Date", date);
    CxACTTaskUtil* util = m_pMain->GetTaskUtil();
    EndRecord(util && util->MarkForDeletion(record->pEntry), m_nTaskDeleted);
}

void TfmACTClean::DeleteNote(NoteRecord* record)
{
    if (!record || !(record->DupFlags & DUP_SELECTED))
        return;
    AddLogLine("Deleting note item ...");
    char text[64];
    std::snprintf(text, sizeof text, "%.*s", static_cast<int>(strnlen(record->NoteText, sizeof record->NoteText)),
                  record->NoteText);
    FieldLine("Note Text", text);
    CxACTNoteUtil* util = m_pMain->GetNoteUtil();
    EndRecord(util && util->MarkForDeletion(record->pEntry), m_nNoteDeleted);
}

void TfmACTClean::FieldLine(const char* label, const char* value)
{
    char line[kFieldLineSize];
    if (FormatFieldLine(line, sizeof line, 1, label, value))
        AddLogLine(line);
}

void TfmACTClean::EndRecord(bool marked, std::int32_t& counter)
{
    if (marked) {
        AddLogLine("Deletion succeeded.");
        ++counter;
    } else {
        AddLogLine("Deletion failed.");
    }
    AddLogLine(kLineBreak);
}

bool TfmACTClean::FormatFieldLine(char* out, std::size_t size, int indent, const char* label, const char* value)
{
    if (!out || size == 0 || !label || !*label)
        return false;
    char prefix[16] = "";
    const std::size_t tabs =
        indent > 0 ? std::min<std::size_t>(static_cast<std::size_t>(indent), sizeof prefix - 1) : 0;
    std::memset(prefix, '\t', tabs);
    prefix[tabs] = '\0';
    if (!value || !*value)
        value = "<empty>";
    // A line longer than the buffer is cut at its end, never written past it.
    std::snprintf(out, size, "%s%s: %s", prefix, label, value);
    return true;
}

void TfmACTClean::AddLogLine(const char* text)
{
    QString line = QString::fromLocal8Bit(text ? text : "");
    line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    m_pendingLog += line;
    m_pendingLog += QLatin1Char('\n');
}

void TfmACTClean::FlushLog()
{
    if (m_pendingLog.isEmpty())
        return;
    // One insertion per flush: appending a million short lines one by one would take minutes.
    QTextCursor cursor(memLog->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(m_pendingLog);
    m_pendingLog.clear();
    // The newest lines in sight, as each appended line scrolls a memo.
    memLog->moveCursor(QTextCursor::End);
    memLog->ensureCursorVisible();
}

void TfmACTClean::hideEvent(QHideEvent* event)
{
    // The page was left before its run began: nothing was logged or marked, and nothing may be, since
    // a load that follows frees the records while its wait runs the timers.
    if (isHidden() && tmStart->isActive()) {
        tmStart->stop();
        m_bRunning = false;
        lblBack->setEnabled(true);
    }
    QWidget::hideEvent(event);
}

bool TfmACTClean::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblBack && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblBackClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
