#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CxACTBaseUtil;
class CxList;
class DeletionBackup;
class LinkLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class LoadedData;
class WizardHost;
struct CalendarRecord;
struct ContactRecord;
struct NoteRecord;
struct TaskRecord;

// Page 2 of the wizard: about a second after it is entered it marks every ticked record of the deletion
// lists, saves a backup of them, has each kind with marks submit its deletions to the CRM under the wait
// window, and then logs every record with the outcome of its kind's submit. Nothing counts as deleted
// unless its kind's submit succeeded; without a complete backup nothing is submitted.
class TfmACTClean : public QWidget
{
    Q_OBJECT
public:
    // Field lines are built in a buffer of this size; longer lines are cut to fit.
    static constexpr std::size_t kFieldLineSize = 256;

    TfmACTClean(WizardHost* host, LoadedData* data, QWidget* parent);

    // false: clear the log and start a run at the next tick of tmStart. Always true.
    bool Exchange(bool save);

    void tmStartTimer();
    void lblBackClick();
    void RunCleaning();
    void DeleteAddrDups();
    void DeleteDateDups();
    void DeleteTaskDups();
    void DeleteNoteDups();
    // Each marks one ticked record for deletion in its kind's utility and remembers it for the log;
    // null or unticked records are passed over.
    void DeleteContact(ContactRecord* record);
    void DeleteEvent(CalendarRecord* record);
    void DeleteTask(TaskRecord* record);
    void DeleteNote(NoteRecord* record);
    // The log block of one record: its header and field lines.
    void LogContact(const ContactRecord* record);
    void LogEvent(const CalendarRecord* record);
    void LogTask(const TaskRecord* record);
    void LogNote(const NoteRecord* record);
    void AddLogLine(const char* text);
    // "%s%s: %s" of `indent` tabs, the label and the value ("<empty>" for none), cut to `size`. False,
    // with nothing written, without a label.
    static bool FormatFieldLine(char* out, std::size_t size, int indent, const char* label, const char* value);

    // True from the entry until the run has ended.
    bool IsRunning() const { return m_bRunning; }
    // The backup folder of the last run (ending in the separator); empty when it made none.
    const std::string& GetBackupFolder() const { return m_backupFolder; }
    std::int32_t GetAddrDeleted() const { return m_nAddrDeleted; }
    std::int32_t GetDateDeleted() const { return m_nDateDeleted; }
    std::int32_t GetTaskDeleted() const { return m_nTaskDeleted; }
    std::int32_t GetNoteDeleted() const { return m_nNoteDeleted; }

signals:
    // "Back to First Step", once the run is over.
    void backRequested();

public:
    // For tests: called on the submitting thread with each kind's utility right before its Submit.
    static void SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    // What one kind of a run went through.
    struct KindRun
    {
        struct Item
        {
            void* record;
            bool marked;
        };
        std::vector<Item> items; // the ticked records, in list order
        int marks = 0;
        bool done = false; // its submit ran and succeeded
        std::string failure;
    };

    template <class Record> void DeleteKindDups(CxList* dupList, void (TfmACTClean::*deleter)(Record*));
    template <class Record, class Util> void MarkRecord(int kind, Util* util, Record* record);
    // Creates the backup folder and logs it; false, with every kind failed, when there is none.
    bool PrepareBackup(DeletionBackup& backup);
    // On the worker: the backup's files, then each kind's submit.
    void BackUpAndSubmit(const DeletionBackup& backup);
    void LogRecordsAndSummary();
    void FailKinds(const std::string& reason);
    void SetProgress(int percent);
    // From the worker: a line for the log and the bar, handed to the GUI thread.
    void Report(std::string line, int percent);
    void FieldLine(const char* label, const char* value);
    void EndRecord(bool deleted, std::int32_t& counter);
    // Hands the lines added since the last flush to memLog.
    void FlushLog();

    WizardHost* m_pHost;
    LoadedData* m_pData;

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

    KindRun m_run[4];
    std::string m_backupFolder;
    std::string m_backupFailure;

    bool m_bRunning = false;
    bool m_bWaitWindowUp = false;
    QString m_pendingLog;
};
