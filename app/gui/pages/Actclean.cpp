#include "gui/pages/Actclean.h"

#include "gui/pages/RecordText.h"
#include "gui/services/Diagnostics.h"
#include "gui/services/LinkLabel.h"
#include "gui/services/Seams.h"
#include "gui/services/Worker.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/DateText.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxList.h"

#include <QHBoxLayout>
#include <QHideEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStringList>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 366;
constexpr int kStartDelayMs = 1000;

const char* const kSeparator = "================================================================================";
const char* const kLineBreak = "\r\n";

// The share of the bar that collecting the ticked records takes; the session's work fills it up to the
// share it reports last, and the log of the records the rest.
constexpr int kPlannedPercent = 10;

// A date with its time, as the calendar's lists show them; "N/A" for no date.
std::string WhenText(double date)
{
    return date < 0.001 ? std::string("N/A") : DateTimeText(date);
}

// A note on one log line: each line break becomes a blank.
std::string OneLine(const char* text)
{
    std::string line;
    for (const char* at = text ? text : ""; *at; ++at) {
        if (*at == '\r' && at[1] == '\n')
            continue;
        line += *at == '\r' || *at == '\n' ? ' ' : *at;
    }
    return line;
}

// "Contacts: 3 deleted, 1 not deleted" per kind with ticked records, for the messages after a run.
QString OutcomeLines(const DeletionOutcome& outcome)
{
    QStringList lines;
    for (const RecordKind kind : kAllRecordKinds) {
        const KindDeletion& run = outcome.kinds[kind];
        if (run.items.empty())
            continue;
        QStringList parts;
        for (const DeletionResult result :
             {DeletionResult::Deleted, DeletionResult::NotDeleted, DeletionResult::Unknown}) {
            const int count = run.Count(result);
            if (count > 0 || result == DeletionResult::Deleted)
                parts.append(QStringLiteral("%1 %2").arg(count).arg(QLatin1String(DeletionResultWord(result))));
        }
        lines.append(QStringLiteral("    %1: %2").arg(QLatin1String(KindInfo(kind).title), parts.join(QStringLiteral(", "))));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TfmACTClean::TfmACTClean(CleanupSession* session, QWidget* parent) : QWidget(parent), m_pSession(session)
{
    setObjectName(QStringLiteral("fmACTClean"));
    resize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);

    memLog = new QPlainTextEdit(this);
    memLog->setObjectName(QStringLiteral("memLog"));
    memLog->setReadOnly(true);
    memLog->setTabChangesFocus(true);
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
    lblBack = new LinkLabel(QStringLiteral("Back to First Step"), QColor(0x00, 0x00, 0xFF), this);
    lblBack->setObjectName(QStringLiteral("lblBack"));
    connect(lblBack, &LinkLabel::activated, this, &TfmACTClean::lblBackClick);
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
    m_logText.clear();
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
    emit workStarted();
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
    if (failed)
        FlushLog();
    m_bRunning = false;
    lblBack->setEnabled(true);
    emit workEnded();
    if (failed) {
        // The report of the error says first what the user needs to know of the data.
        QString text = QStringLiteral("The deletion stopped with an unexpected error.");
        const QString outcomes = OutcomeLines(m_outcome);
        if (!outcomes.isEmpty())
            text += QStringLiteral("\n\nWhat became of the ticked records:\n") + outcomes;
        if (!m_outcome.backupFolder.empty())
            text += QStringLiteral("\n\nThe backup of the records to delete is in\n%1\ndeletions.csv there lists "
                                   "each record with what became of it.")
                        .arg(QString::fromStdString(m_outcome.backupFolder));
        else
            text += QStringLiteral("\n\nNo backup was made, and no record was handed to the helpers.");
        ShowBugReport(window(), text);
    }
}

void TfmACTClean::lblBackClick()
{
    if (m_bRunning)
        return;
    emit backRequested();
}

void TfmACTClean::RunCleaning()
{
    m_nTotal = 0;
    m_nProcessed = 0;
    m_plan = DeletionPlan();
    m_outcome = DeletionOutcome();

    const LoadedData& data = m_pSession->Data();
    const std::int32_t flags = AppSettings.AppFlag;
    for (const RecordKind kind : kAllRecordKinds)
        if (IsChosen(kind, flags) && data.DupList(kind))
            m_nTotal += data.DupList(kind)->GetCount();

    // A kind's pass, in the order of the kinds.
    void (TfmACTClean::*const passes[kRecordKindCount])() = {&TfmACTClean::DeleteAddrDups, &TfmACTClean::DeleteDateDups,
                                                            &TfmACTClean::DeleteTaskDups, &TfmACTClean::DeleteNoteDups};
    for (const RecordKind kind : kAllRecordKinds)
        if (IsChosen(kind, flags))
            (this->*passes[KindIndex(kind)])();
    SetProgress(kPlannedPercent);

    std::exception_ptr error;
    if (!m_plan.Empty()) {
        try {
            // The helpers run for minutes on large databases: off the GUI thread, so the windows stay drawn.
            RunWithWaitWindow(
                parentWidget(), [this](WorkProgress& progress) { m_pSession->Delete(m_plan, progress, m_outcome); },
                [this](const std::string& line, int percent) {
                    if (!line.empty()) {
                        AddLogLine(line.c_str());
                        FlushLog();
                    }
                    SetProgress(percent);
                });
        } catch (...) {
            error = std::current_exception();
            m_outcome.Fail("The run ended with an unexpected error.");
        }
    }

    LogRecordsAndSummary();
    SetProgress(100);
    std::string logError;
    if (!m_pSession->WriteLog(m_logText, logError)) {
        AddMessageLine(logError);
        FlushLog();
    }
    if (error)
        std::rethrow_exception(error);

    if (!m_outcome.backupFailure.empty()) {
        QString next;
        if (m_outcome.backupRoot.empty())
            next = QStringLiteral("The backup goes to a folder in your documents folder: make sure you have one and "
                                  "may write in it, then go back to the first step and try again.");
        else
            next = QStringLiteral("Free some space on the drive of this folder, or make sure you may create folders "
                                  "and files in it, then go back to the first step and try again:\n") +
                   QString::fromStdString(m_outcome.backupRoot);
        seams::ShowMessage(this, QMessageBox::Critical, QStringLiteral("Error"),
                           QStringLiteral("Nothing was deleted: the backup of the records to delete could not be "
                                          "written.\n\n") +
                               QString::fromStdString(m_outcome.backupFailure) + QStringLiteral("\n\n") + next,
                           QMessageBox::Ok);
    } else if (m_outcome.AnyNotDeleted()) {
        QString text = QStringLiteral("Not every ticked record is known to be deleted:\n") + OutcomeLines(m_outcome) +
                       QStringLiteral("\n\nThe log on this page says why for each record.");
        if (!m_outcome.backupFolder.empty())
            text += QStringLiteral(" deletions.csv in the backup folder lists what became of each record, and a copy "
                                   "of the log is in\n") +
                    QString::fromStdString(m_outcome.backupFolder + "log.txt");
        seams::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok);
    }
}

void TfmACTClean::LogRecordsAndSummary()
{
    // In the order of the kinds.
    const PerKind<std::int32_t*> counters{{&m_nAddrDeleted, &m_nDateDeleted, &m_nTaskDeleted, &m_nNoteDeleted}};
    using Logger = void (*)(TfmACTClean*, const void*);
    const PerKind<Logger> loggers{{
        [](TfmACTClean* page, const void* r) { page->LogContact(static_cast<const ContactRecord*>(r)); },
        [](TfmACTClean* page, const void* r) { page->LogEvent(static_cast<const CalendarRecord*>(r)); },
        [](TfmACTClean* page, const void* r) { page->LogTask(static_cast<const TaskRecord*>(r)); },
        [](TfmACTClean* page, const void* r) { page->LogNote(static_cast<const NoteRecord*>(r)); },
    }};
    for (const RecordKind kind : kAllRecordKinds) {
        const KindDeletion& run = m_outcome.kinds[kind];
        for (const KindDeletion::Item& item : run.items) {
            loggers[kind](this, item.record);
            EndRecord(item.result, run.Reason(item), *counters[kind]);
        }
    }

    AddLogLine(kSeparator);
    AddLogLine("Deleting duplicates finished:");
    for (const RecordKind kind : kAllRecordKinds) {
        char line[128];
        std::snprintf(line, sizeof line, "\t%d duplicate %s items deleted.", *counters[kind],
                      KindInfo(kind).item);
        AddLogLine(line);
        const KindDeletion& run = m_outcome.kinds[kind];
        if (const int notDeleted = run.Count(DeletionResult::NotDeleted)) {
            std::snprintf(line, sizeof line, "\t%d duplicate %s items not deleted.", notDeleted, KindInfo(kind).item);
            AddLogLine(line);
        }
        if (const int unknown = run.Count(DeletionResult::Unknown)) {
            std::snprintf(line, sizeof line, "\t%d duplicate %s items may or may not be deleted.", unknown,
                          KindInfo(kind).item);
            AddLogLine(line);
        }
    }
    for (const RecordKind kind : kAllRecordKinds) {
        const std::string& failure = m_outcome.kinds[kind].failure;
        if (!failure.empty())
            AddMessageLine(std::string("Deleting ") + KindInfo(kind).item + " items failed: " + failure);
    }
    AddLogLine(kLineBreak);
    FlushLog();
}

void TfmACTClean::SetProgress(int percent)
{
    if (percent >= 0 && percent != pbDel->value())
        pbDel->setValue(percent);
}

template <class Record> void TfmACTClean::DeleteKindDups(CxList* dupList, void (TfmACTClean::*deleter)(Record*))
{
    if (!dupList)
        return;
    for (void* record = dupList->GetFirst(); record; record = dupList->GetNext()) {
        (this->*deleter)(static_cast<Record*>(record));
        ++m_nProcessed;
        if (m_nTotal > 0)
            SetProgress(static_cast<int>(m_nProcessed * kPlannedPercent / m_nTotal));
    }
}

void TfmACTClean::DeleteAddrDups()
{
    DeleteKindDups(m_pSession->Data().DupList(RecordKind::Contacts), &TfmACTClean::DeleteContact);
}

void TfmACTClean::DeleteDateDups()
{
    DeleteKindDups(m_pSession->Data().DupList(RecordKind::Calendar), &TfmACTClean::DeleteEvent);
}

void TfmACTClean::DeleteTaskDups()
{
    DeleteKindDups(m_pSession->Data().DupList(RecordKind::Tasks), &TfmACTClean::DeleteTask);
}

void TfmACTClean::DeleteNoteDups()
{
    DeleteKindDups(m_pSession->Data().DupList(RecordKind::Notes), &TfmACTClean::DeleteNote);
}

template <class Record> void TfmACTClean::PlanRecord(RecordKind kind, Record* record)
{
    if (record && (record->DupFlags & DUP_SELECTED))
        m_plan.ticked[kind].push_back(record);
}

void TfmACTClean::DeleteContact(ContactRecord* record)
{
    PlanRecord(RecordKind::Contacts, record);
}

void TfmACTClean::DeleteEvent(CalendarRecord* record)
{
    PlanRecord(RecordKind::Calendar, record);
}

void TfmACTClean::DeleteTask(TaskRecord* record)
{
    PlanRecord(RecordKind::Tasks, record);
}

void TfmACTClean::DeleteNote(NoteRecord* record)
{
    PlanRecord(RecordKind::Notes, record);
}

void TfmACTClean::LogContact(const ContactRecord* record)
{
    AddLogLine("Deleting contact item ...");
    FieldLine("Record ID", record->RecordID);
    FieldLine("Display Name", record->FullName);
    FieldLine("Company", record->Company);
    FieldLine("Title", record->Title);
    FieldLine("Email", record->BusinessEmail);
    FieldLine("Phone", record->BusinessPhone);
}

void TfmACTClean::LogEvent(const CalendarRecord* record)
{
    AddLogLine("Deleting calendar item ...");
    FieldLine("Record ID", record->RecordID);
    FieldLine("Subject", record->Regarding);
    FieldLine("Location", record->Location);
    FieldLine("Start Time", WhenText(record->StartTime).c_str());
    FieldLine("End Time", WhenText(record->EndTime).c_str());
    FieldLine("All Day Event", pagetext::YesNo(record->IsTimeless));
}

void TfmACTClean::LogTask(const TaskRecord* record)
{
    AddLogLine("Deleting todo or opportunity item ...");
    FieldLine("Record ID", record->RecordID);
    FieldLine("Subject", record->Regarding);
    FieldLine("Priority", pagetext::Priority(record->Priority));
    FieldLine("Due Date", DateTextOrNA(record->DueDate).c_str());
}

void TfmACTClean::LogNote(const NoteRecord* record)
{
    AddLogLine("Deleting note item ...");
    FieldLine("Record ID", record->RecordID);
    // Whole, unlike the other field lines: a note is known by its text, and the log is what a restore
    // has to go by.
    const std::string text = OneLine(record->NoteText);
    AddLogLine(("\tNote Text: " + (text.empty() ? std::string("<empty>") : text)).c_str());
}

void TfmACTClean::FieldLine(const char* label, const char* value)
{
    char line[kFieldLineSize];
    if (FormatFieldLine(line, sizeof line, 1, label, value))
        AddLogLine(line);
}

void TfmACTClean::EndRecord(DeletionResult result, std::string_view reason, std::int32_t& counter)
{
    switch (result) {
    case DeletionResult::Deleted:
        AddLogLine("Deletion succeeded.");
        ++counter;
        break;
    case DeletionResult::NotDeleted:
        AddLogLine("Deletion failed.");
        break;
    case DeletionResult::Unknown:
        AddLogLine("Whether it was deleted is unknown.");
        break;
    }
    if (!reason.empty())
        AddMessageLine("\tReason: " + std::string(reason));
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
    AddLine(QString::fromLocal8Bit(text ? text : ""));
}

void TfmACTClean::AddMessageLine(const std::string& text)
{
    AddLine(QString::fromStdString(text));
}

void TfmACTClean::AddLine(QString line)
{
    line.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    line += QLatin1Char('\n');
    m_pendingLog += line;
    m_logText += line.toStdString();
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
