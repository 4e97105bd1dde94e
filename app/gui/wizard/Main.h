#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPushButton;
class HeaderBand;
class CxList;
class CxACTBaseUtil;
class CxACTAddrUtil;
class CxACTDateUtil;
class CxACTTaskUtil;
class CxACTNoteUtil;
class TfmACTSource;
class TfmACTData;
class TfmACTClean;

// The wizard's main window: three pages (source, review, cleaning), the buttons that move between them,
// and the data of the last load, which the later pages reach through here. Created once per run; closing
// it destroys it, and its destruction saves the settings and releases everything.
class TfmMain : public QWidget
{
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    void CreatePages();
    void DestroyPages();
    void SetPage(int target);
    void UpdateButtons();
    void SetStepText(const QString& text);
    // Loads every kind ticked in AppFlag through fresh data utilities. True only when each of them
    // loaded; otherwise GetLoadFailure says why. Touches no widget, so it may run on the worker thread.
    bool LoadSelectedKinds();
    void ReleaseLoadedData();
    // Why the last load failed, one line per reason with the kinds it hit; empty after a success.
    const QString& GetLoadFailure() const { return m_loadFailure; }

    // While a load or a deletion is under way (between BeginWork and the matching EndWork) the window
    // refuses to close, since closing frees the data the work is using; a close asked for meanwhile
    // happens once the work is over.
    void BeginWork();
    void EndWork();
    bool IsWorking() const { return m_nWork > 0; }

    int GetCurrentPage() const { return CurrentPage; }
    QWidget* GetClientPanel() const { return pClient; }
    TfmACTSource* GetSourcePage() const { return m_pSource; }
    TfmACTData* GetDataPage() const { return m_pData; }
    TfmACTClean* GetCleanPage() const { return m_pClean; }

    CxACTAddrUtil* GetAddrUtil() const { return AddrUtil.get(); }
    CxACTDateUtil* GetDateUtil() const { return DateUtil.get(); }
    CxACTTaskUtil* GetTaskUtil() const { return TaskUtil.get(); }
    CxACTNoteUtil* GetNoteUtil() const { return NoteUtil.get(); }
    CxList* GetAddrDupList() const { return AddrDupList.get(); }
    CxList* GetDateDupList() const { return DateDupList.get(); }
    CxList* GetTaskDupList() const { return TaskDupList.get(); }
    CxList* GetNoteDupList() const { return NoteDupList.get(); }
    // For each kind (contacts, calendar, tasks, notes) and each record of its deletion list that the
    // last grouping pass listed, in list order, the record that stays in its group.
    std::vector<const void*>& GetKeptRecords(int kind) { return m_kept[kind]; }

    // For tests: called with each chosen kind's utility right before its Load, on the loading thread.
    static void SetBeforeLoadHook(std::function<void(CxACTBaseUtil&)> hook);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void btnHelpClick();
    void btnDebugClick();
    void btnPrevClick();
    void btnNextClick();
    void btnCancelClick();

    int CurrentPage = 0;

    HeaderBand* m_pHeader = nullptr;
    QWidget* pClient = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnDebug = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnCancel = nullptr;

    TfmACTSource* m_pSource = nullptr;
    TfmACTData* m_pData = nullptr;
    TfmACTClean* m_pClean = nullptr;

    std::unique_ptr<CxACTAddrUtil> AddrUtil;
    std::unique_ptr<CxACTDateUtil> DateUtil;
    std::unique_ptr<CxACTTaskUtil> TaskUtil;
    std::unique_ptr<CxACTNoteUtil> NoteUtil;
    std::unique_ptr<CxList> AddrDupList;
    std::unique_ptr<CxList> DateDupList;
    std::unique_ptr<CxList> TaskDupList;
    std::unique_ptr<CxList> NoteDupList;
    std::vector<const void*> m_kept[4];

    QString m_loadFailure;
    int m_nWork = 0;
    bool m_bCloseWhenIdle = false;
};

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
