#pragma once

#include "core/CleanupSession.h"

#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CxList;
class LinkLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
struct CalendarRecord;
struct ContactRecord;
struct NoteRecord;
struct TaskRecord;

// Page 2 of the wizard: about a second after it is entered it collects every ticked record of the
// deletion lists and has the cleanup session delete them under the wait window (backup, marks, each
// kind's submit), then logs every record with its outcome: deleted, not deleted or unknown, as the session
// found it. Without a complete backup nothing is submitted.
class TfmACTClean : public QWidget
{
    Q_OBJECT
public:
    // Field lines are built in a buffer of this size; longer lines are cut to fit.
    static constexpr std::size_t kFieldLineSize = 256;

    TfmACTClean(CleanupSession* session, QWidget* parent);

    // false: clear the log and start a run at the next tick of tmStart. Always true.
    bool Exchange(bool save);

    void tmStartTimer();
    void lblBackClick();
    void RunCleaning();
    void DeleteAddrDups();
    void DeleteDateDups();
    void DeleteTaskDups();
    void DeleteNoteDups();
    // Each puts one ticked record into the plan of the run; null or unticked records are passed over.
    void DeleteContact(ContactRecord* record);
    void DeleteEvent(CalendarRecord* record);
    void DeleteTask(TaskRecord* record);
    void DeleteNote(NoteRecord* record);
    // The log block of one record: its header and field lines.
    void LogContact(const ContactRecord* record);
    void LogEvent(const CalendarRecord* record);
    void LogTask(const TaskRecord* record);
    void LogNote(const NoteRecord* record);
    // A line of the CRM's texts (a record's fields), in the local encoding the CRM keeps them in.
    void AddLogLine(const char* text);
    // A line of the program's own words (a reason, a path), in UTF-8.
    void AddMessageLine(const std::string& text);
    void AddLine(QString line);
    // "%s%s: %s" of `indent` tabs, the label and the value ("<empty>" for none), cut to `size`. False,
    // with nothing written, without a label.
    static bool FormatFieldLine(char* out, std::size_t size, int indent, const char* label, const char* value);

    // True from the entry until the run has ended.
    bool IsRunning() const { return m_bRunning; }
    // The backup folder of the last run (ending in the separator); empty when it made none.
    const std::string& GetBackupFolder() const { return m_outcome.backupFolder; }
    std::int32_t GetAddrDeleted() const { return m_nAddrDeleted; }
    std::int32_t GetDateDeleted() const { return m_nDateDeleted; }
    std::int32_t GetTaskDeleted() const { return m_nTaskDeleted; }
    std::int32_t GetNoteDeleted() const { return m_nNoteDeleted; }

signals:
    // "Back to First Step", once the run is over.
    void backRequested();
    // Around the run: the data it deletes from must not go meanwhile.
    void workStarted();
    void workEnded();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    template <class Record> void DeleteKindDups(CxList* dupList, void (TfmACTClean::*deleter)(Record*));
    template <class Record> void PlanRecord(RecordKind kind, Record* record);
    void LogRecordsAndSummary();
    void SetProgress(int percent);
    void FieldLine(const char* label, const char* value);
    // The record's outcome, and why when it is not "deleted".
    void EndRecord(DeletionResult result, std::string_view reason, std::int32_t& counter);
    // Hands the lines added since the last flush to memLog.
    void FlushLog();

    CleanupSession* m_pSession;

    QPlainTextEdit* memLog = nullptr;
    QProgressBar* pbDel = nullptr;
    QTimer* tmStart = nullptr;
    LinkLabel* lblBack = nullptr;

    std::int32_t m_nAddrDeleted = 0;
    std::int32_t m_nDateDeleted = 0;
    std::int32_t m_nTaskDeleted = 0;
    std::int32_t m_nNoteDeleted = 0;
    std::int64_t m_nTotal = 0;
    std::int64_t m_nProcessed = 0;

    DeletionPlan m_plan;
    DeletionOutcome m_outcome;

    bool m_bRunning = false;
    QString m_pendingLog;
    // The whole log of the run in UTF-8, for the copy beside the backup.
    std::string m_logText;
};
