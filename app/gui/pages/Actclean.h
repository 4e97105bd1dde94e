#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <functional>

class CxACTBaseUtil;
class CxList;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;
class TfmMain;
struct CalendarRecord;
struct ContactRecord;
struct NoteRecord;
struct TaskRecord;

// Page 2 of the wizard: about a second after it is entered it logs and marks every ticked record of the
// deletion lists, then has each kind with marks submit its deletions to the CRM under the wait window.
class TfmACTClean : public QWidget
{
    Q_OBJECT
public:
    // Field lines are built in a buffer of this size; longer lines are cut to fit.
    static constexpr std::size_t kFieldLineSize = 256;

    TfmACTClean(TfmMain* mainWindow, QWidget* parent);

    // false: clear the log and start a run at the next tick of tmStart. Always true.
    bool Exchange(bool save);

    void tmStartTimer();
    void lblBackClick();
    void RunCleaning();
    void DeleteAddrDups();
    void DeleteDateDups();
    void DeleteTaskDups();
    void DeleteNoteDups();
    void DeleteContact(ContactRecord* record);
    void DeleteEvent(CalendarRecord* record);
    void DeleteTask(TaskRecord* record);
    void DeleteNote(NoteRecord* record);
    void AddLogLine(const char* text);
    // "%s%s: %s" of `indent` tabs, the label and the value ("<empty>" for none), cut to `size`. False,
    // with nothing written, without a label.
    static bool FormatFieldLine(char* out, std::size_t size, int indent, const char* label, const char* value);

    // True from the entry until the run has ended.
    bool IsRunning() const { return m_bRunning; }
    std::int32_t GetAddrDeleted() const { return m_nAddrDeleted; }
    std::int32_t GetDateDeleted() const { return m_nDateDeleted; }
    std::int32_t GetTaskDeleted() const { return m_nTaskDeleted; }
    std::int32_t GetNoteDeleted() const { return m_nNoteDeleted; }

    // For tests: called on the submitting thread with each kind's utility right before its Submit.
    static void SetBeforeSubmitHook(std::function<void(CxACTBaseUtil&)> hook);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    template <class Record> void DeleteKindDups(CxList* dupList, void (TfmACTClean::*logger)(Record*));
    void FieldLine(const char* label, const char* value);
    void EndRecord(bool marked, std::int32_t& counter);
    // Hands the lines added since the last flush to memLog.
    void FlushLog();
    void SubmitMarkedKinds();

    TfmMain* m_pMain;

    QPlainTextEdit* memLog = nullptr;
    QProgressBar* pbDel = nullptr;
    QTimer* tmStart = nullptr;
    QLabel* lblBack = nullptr;

    std::int32_t m_nAddrDeleted = 0;
    std::int32_t m_nDateDeleted = 0;
    std::int32_t m_nTaskDeleted = 0;
    std::int32_t m_nNoteDeleted = 0;
    std::int64_t m_nTotal = 0;
    std::int64_t m_nProcessed = 0;

    bool m_bRunning = false;
    bool m_bWaitWindowUp = false;
    QString m_pendingLog;
};
