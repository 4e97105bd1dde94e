#include "gui/pages/Actclean.h"

#include "gui/pages/RecordText.h"
#include "gui/services/Diagnostics.h"
#include "gui/services/LinkLabel.h"
#include "gui/services/Seams.h"
#include "gui/services/WaitWindow.h"
#include "gui/services/Worker.h"
#include "gui/wizard/WizardHost.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/DateText.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"
#include "core/LoadedData.h"
#include "misc/CxDebugUtil.h"
#include "misc/CxList.h"
#include "platform/Platform.h"

#include <QHBoxLayout>
#include <QHideEvent>
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
#include <unordered_set>
#include <vector>

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 366;
constexpr int kStartDelayMs = 1000;
constexpr auto kPauseBeforeSubmit = std::chrono::milliseconds(200);

const char* const kSeparator = "================================================================================";
const char* const kLineBreak = "\r\n";
const char* const kSubmitText = "Submitting deletion information to ACT! database...";
const char* const kBackupText = "Saving a backup of the records to delete...";

// Shares of the bar: marking, the backup, the submits (by their records), the log of the records.
constexpr int kMarkedPercent = 10;
constexpr int kBackedUpPercent = 20;
constexpr int kSubmittedPercent = 95;

struct CleanKind
{
    std::int32_t flag;
    const char* item;     // in the log lines: "contact" items
    const char* kindWord; // in the backup: contacts.csv, and the kind column of deletions.csv
    const char* statusFile;
    const FieldTable& (*fields)();
};

// In the order every run visits the kinds.
const CleanKind kCleanKinds[] = {
    {KIND_ADDR, "contact", "contacts", "ACTAddrStatus.dat", ContactFields},
    {KIND_DATE, "calendar", "calendar", "ACTDateStatus.dat", CalendarFields},
    {KIND_TASK, "task", "tasks", "ACTTaskStatus.dat", TaskFields},
    {KIND_NOTE, "note", "notes", "ACTNoteStatus.dat", NoteFields},
};

std::function<void(CxACTBaseUtil&)>& BeforeSubmitHook()
{
    static std::function<void(CxACTBaseUtil&)> hook;
    return hook;
}

} // namespace

void TfmACTClean::SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook)
{
    BeforeSubmitHook() = std::move(hook);
}

TfmACTClean::TfmACTClean(WizardHost* host, LoadedData* data, QWidget* parent)
    : QWidget(parent), m_pHost(host), m_pData(data)
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
    const WorkScope work(m_pHost);
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
        ShowBugReport(window());
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
    for (KindRun& run : m_run)
        run = KindRun();
    m_backupFolder.clear();
    m_backupFailure.clear();

    const std::int32_t flags = AppSettings.AppFlag;
    for (int i = 0; i < 4; ++i)
        if ((flags & kCleanKinds[i].flag) && m_pData->DupList(i))
            m_nTotal += m_pData->DupList(i)->GetCount();

    if (flags & KIND_ADDR)
        DeleteAddrDups();
    if (flags & KIND_DATE)
        DeleteDateDups();
    if (flags & KIND_TASK)
        DeleteTaskDups();
    if (flags & KIND_NOTE)
        DeleteNoteDups();
    SetProgress(kMarkedPercent);

    std::exception_ptr error;
    const bool anyMarked = std::any_of(std::begin(m_run), std::end(m_run), [](const KindRun& r) { return r.marks > 0; });
    DeletionBackup backup;
    if (anyMarked && PrepareBackup(backup)) {
        StartWaitWindow(parentWidget());
        m_bWaitWindowUp = true;
        SetWaitWindowText(kBackupText);
        try {
            // The helpers run for minutes on large databases: off the GUI thread, so the windows stay drawn.
            RunOnWorker([this, &backup] { BackUpAndSubmit(backup); });
        } catch (...) {
            error = std::current_exception();
            FailKinds("The run ended with an unexpected error.");
        }
        StopWaitWindow();
        m_bWaitWindowUp = false;
    }

    LogRecordsAndSummary();
    SetProgress(100);
    if (!m_backupFolder.empty()) {
        std::string logError;
        if (!backup.WriteLog(memLog->toPlainText().toStdString(), logError)) {
            AddLogLine(logError.c_str());
            FlushLog();
        }
    }
    if (error)
        std::rethrow_exception(error);

    if (!m_backupFailure.empty()) {
        seams::ShowMessage(this, QMessageBox::Critical, QStringLiteral("Error"),
                           QStringLiteral("Nothing was deleted: the backup of the records to delete could not be "
                                          "written.\n\n") +
                               QString::fromLocal8Bit(m_backupFailure.c_str()),
                           QMessageBox::Ok);
    } else if (std::any_of(std::begin(m_run), std::end(m_run), [](const KindRun& r) { return !r.failure.empty(); })) {
        seams::ShowMessage(this, QMessageBox::Warning, QStringLiteral("Warning"),
                           QStringLiteral("Not every ticked record could be deleted. The end of the log on this page "
                                          "says which kinds failed and why; a copy of the log is in\n") +
                               QString::fromLocal8Bit((m_backupFolder + "log.txt").c_str()),
                           QMessageBox::Ok);
    }
}

bool TfmACTClean::PrepareBackup(DeletionBackup& backup)
{
    std::string documents;
    std::string error = "No documents folder was found.";
    if (platform::documentsFolder(documents) && backup.Create(BackupRootFolder(documents), error)) {
        m_backupFolder = backup.Folder();
        AddLogLine(("Backup of the records to delete: " + m_backupFolder).c_str());
        AddLogLine(kLineBreak);
        FlushLog();
        return true;
    }
    DEBUG_LOG(0, "No backup folder, nothing is deleted: %s", error.c_str());
    m_backupFailure = error;
    FailKinds("No backup of its records could be written, so nothing was deleted: " + error);
    return false;
}

void TfmACTClean::BackUpAndSubmit(const DeletionBackup& backup)
{
    std::vector<BackupKind> kinds;
    int allMarks = 0;
    for (int i = 0; i < 4; ++i) {
        const KindRun& run = m_run[i];
        if (run.marks == 0)
            continue;
        allMarks += run.marks;
        std::unordered_set<const void*> leaving;
        for (const KindRun::Item& item : run.items)
            if (item.marked)
                leaving.insert(item.record);
        // What stays of a group is its first member that is not deleted: a group's first record may be
        // ticked too (in the full view), and then one of its copies stays in its place.
        const DupGroups& groups = m_pData->Groups(i);
        BackupKind kind{kCleanKinds[i].kindWord, &kCleanKinds[i].fields(), {}};
        kind.records.reserve(static_cast<std::size_t>(run.marks));
        for (const KindRun::Item& item : run.items) {
            if (!item.marked)
                continue;
            const void* staying = nullptr;
            const auto group = groups.GroupOf(item.record);
            const auto at =
                std::find_if(group.begin(), group.end(), [&](const void* member) { return leaving.count(member) == 0; });
            if (at != group.end())
                staying = *at;
            kind.records.push_back({item.record, staying});
        }
        kinds.push_back(std::move(kind));
    }
    std::string error;
    if (!backup.WriteRecords(kinds, error)) {
        DEBUG_LOG(0, "The backup could not be written, nothing is deleted: %s", error.c_str());
        m_backupFailure = error;
        FailKinds("No backup of its records could be written, so nothing was deleted: " + error);
        return;
    }
    Report(std::string(), kBackedUpPercent);

    SetWaitWindowText(kSubmitText);
    std::this_thread::sleep_for(kPauseBeforeSubmit);
    char folder[260] = "";
    const bool haveFolder = GetDataFolder(folder);
    int submittedMarks = 0;
    for (int i = 0; i < 4; ++i) {
        KindRun& run = m_run[i];
        CxACTBaseUtil* util = m_pData->Util(i);
        if (run.marks == 0 || !util)
            continue;
        Report("Submitting " + std::to_string(run.marks) + " " + kCleanKinds[i].item +
                   " items to the ACT! database ...",
               -1);
        if (haveFolder)
            SetWaitWindowFile((std::string(folder) + kCleanKinds[i].statusFile).c_str());
        if (BeforeSubmitHook())
            BeforeSubmitHook()(*util);
        run.done = util->Submit();
        if (!run.done) {
            run.failure = util->GetFailureText();
            if (run.failure.empty())
                run.failure = "The helper gave no reason; the debug log may know more.";
            DEBUG_LOG(0, "Deleting %s items failed: %s", kCleanKinds[i].item, run.failure.c_str());
        }
        submittedMarks += run.marks;
        Report(std::string(), kBackedUpPercent + (kSubmittedPercent - kBackedUpPercent) * submittedMarks / allMarks);
    }
}

void TfmACTClean::LogRecordsAndSummary()
{
    std::int32_t* const counters[] = {&m_nAddrDeleted, &m_nDateDeleted, &m_nTaskDeleted, &m_nNoteDeleted};
    for (int i = 0; i < 4; ++i) {
        const KindRun& run = m_run[i];
        for (const KindRun::Item& item : run.items) {
            switch (i) {
            case 0:
                LogContact(static_cast<const ContactRecord*>(item.record));
                break;
            case 1:
                LogEvent(static_cast<const CalendarRecord*>(item.record));
                break;
            case 2:
                LogTask(static_cast<const TaskRecord*>(item.record));
                break;
            default:
                LogNote(static_cast<const NoteRecord*>(item.record));
                break;
            }
            EndRecord(item.marked && run.done, *counters[i]);
        }
    }

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
    for (int i = 0; i < 4; ++i)
        if (!m_run[i].failure.empty())
            AddLogLine(
                (std::string("Deleting ") + kCleanKinds[i].item + " items failed: " + m_run[i].failure).c_str());
    AddLogLine(kLineBreak);
    FlushLog();
}

void TfmACTClean::FailKinds(const std::string& reason)
{
    for (KindRun& run : m_run)
        if (run.marks > 0 && !run.done && run.failure.empty())
            run.failure = reason;
}

void TfmACTClean::SetProgress(int percent)
{
    if (percent >= 0 && percent != pbDel->value())
        pbDel->setValue(percent);
}

void TfmACTClean::Report(std::string line, int percent)
{
    QMetaObject::invokeMethod(
        this,
        [this, line = std::move(line), percent] {
            if (!line.empty()) {
                AddLogLine(line.c_str());
                FlushLog();
            }
            SetProgress(percent);
        },
        Qt::QueuedConnection);
}

template <class Record> void TfmACTClean::DeleteKindDups(CxList* dupList, void (TfmACTClean::*deleter)(Record*))
{
    if (!dupList)
        return;
    for (void* record = dupList->GetFirst(); record; record = dupList->GetNext()) {
        (this->*deleter)(static_cast<Record*>(record));
        ++m_nProcessed;
        if (m_nTotal > 0)
            SetProgress(static_cast<int>(m_nProcessed * kMarkedPercent / m_nTotal));
    }
}

void TfmACTClean::DeleteAddrDups()
{
    DeleteKindDups(m_pData->DupList(0), &TfmACTClean::DeleteContact);
}

void TfmACTClean::DeleteDateDups()
{
    DeleteKindDups(m_pData->DupList(1), &TfmACTClean::DeleteEvent);
}

void TfmACTClean::DeleteTaskDups()
{
    DeleteKindDups(m_pData->DupList(2), &TfmACTClean::DeleteTask);
}

void TfmACTClean::DeleteNoteDups()
{
    DeleteKindDups(m_pData->DupList(3), &TfmACTClean::DeleteNote);
}

template <class Record, class Util> void TfmACTClean::MarkRecord(int kind, Util* util, Record* record)
{
    if (!record || !(record->DupFlags & DUP_SELECTED))
        return;
    const bool marked = util && util->MarkForDeletion(record->pEntry);
    m_run[kind].items.push_back({record, marked});
    if (marked)
        ++m_run[kind].marks;
}

void TfmACTClean::DeleteContact(ContactRecord* record)
{
    MarkRecord(0, m_pData->AddrUtil(), record);
}

void TfmACTClean::DeleteEvent(CalendarRecord* record)
{
    MarkRecord(1, m_pData->DateUtil(), record);
}

void TfmACTClean::DeleteTask(TaskRecord* record)
{
    MarkRecord(2, m_pData->TaskUtil(), record);
}

void TfmACTClean::DeleteNote(NoteRecord* record)
{
    MarkRecord(3, m_pData->NoteUtil(), record);
}

void TfmACTClean::LogContact(const ContactRecord* record)
{
    AddLogLine("Deleting contact item ...");
    FieldLine("Display Name", record->FullName);
    FieldLine("Company", record->Company);
    FieldLine("Title", record->Title);
    FieldLine("Email", record->BusinessEmail);
    FieldLine("Phone", record->BusinessPhone);
}

void TfmACTClean::LogEvent(const CalendarRecord* record)
{
    AddLogLine("Deleting calendar item ...");
    FieldLine("Subject", record->Regarding);
    FieldLine("Location", record->Location);
    FieldLine("Start Time", TimeTextOrNA(record->StartTime).c_str());
    FieldLine("End Time", TimeTextOrNA(record->EndTime).c_str());
    FieldLine("All Day Event", pagetext::YesNo(record->IsTimeless));
}

void TfmACTClean::LogTask(const TaskRecord* record)
{
    AddLogLine("Deleting todo or opportunity item ...");
    FieldLine("Subject", record->Regarding);
    FieldLine("Priority", pagetext::Priority(record->Priority));
    FieldLine("Due Date", DateTextOrNA(record->DueDate).c_str());
}

void TfmACTClean::LogNote(const NoteRecord* record)
{
    AddLogLine("Deleting note item ...");
    char text[64];
    std::snprintf(text, sizeof text, "%s", record->NoteText);
    FieldLine("Note Text", text);
}

void TfmACTClean::FieldLine(const char* label, const char* value)
{
    char line[kFieldLineSize];
    if (FormatFieldLine(line, sizeof line, 1, label, value))
        AddLogLine(line);
}

void TfmACTClean::EndRecord(bool deleted, std::int32_t& counter)
{
    if (deleted) {
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
