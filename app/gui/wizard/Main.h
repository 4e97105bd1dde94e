#pragma once

#include "core/LoadedData.h"
#include "gui/wizard/WizardHost.h"

#include <QString>
#include <QWidget>

#include <functional>

class QPushButton;
class HeaderBand;
class TfmACTSource;
class TfmACTData;
class TfmACTClean;

// The wizard's main window: three pages (source, review, cleaning), the buttons that move between them,
// and the data of the last load, which it hands to the pages. Created once per run; closing it destroys
// it, and its destruction saves the settings and releases everything.
class TfmMain : public QWidget, public WizardHost
{
    Q_OBJECT
public:
    explicit TfmMain(QWidget* parent = nullptr);
    ~TfmMain() override;

    void CreatePages();
    void DestroyPages();
    void SetPage(int target) override;
    void UpdateButtons() override;
    void SetStepText(const QString& text) override;
    // Loads every kind ticked in AppFlag through fresh data utilities. True only when each of them
    // loaded; otherwise GetLoadFailure says why. Touches no widget, so it may run on the worker thread.
    bool LoadSelectedKinds() override;
    void ReleaseLoadedData();
    // Why the last load failed, one line per reason with the kinds it hit; empty after a success.
    const QString& GetLoadFailure() const override { return m_loadFailure; }

    // While a load or a deletion is under way (between BeginWork and the matching EndWork) the window
    // refuses to close, since closing frees the data the work is using; a close asked for meanwhile
    // happens once the work is over.
    void BeginWork() override;
    void EndWork() override;
    bool IsWorking() const { return m_nWork > 0; }

    int GetCurrentPage() const { return CurrentPage; }
    QWidget* GetClientPanel() const override { return pClient; }
    TfmACTSource* GetSourcePage() const { return m_pSource; }
    TfmACTData* GetDataPage() const { return m_pData; }
    TfmACTClean* GetCleanPage() const { return m_pClean; }

    LoadedData& GetLoadedData() { return m_data; }
    CxACTAddrUtil* GetAddrUtil() const { return m_data.AddrUtil(); }
    CxACTDateUtil* GetDateUtil() const { return m_data.DateUtil(); }
    CxACTTaskUtil* GetTaskUtil() const { return m_data.TaskUtil(); }
    CxACTNoteUtil* GetNoteUtil() const { return m_data.NoteUtil(); }
    CxList* GetAddrDupList() const { return m_data.DupList(0); }
    CxList* GetDateDupList() const { return m_data.DupList(1); }
    CxList* GetTaskDupList() const { return m_data.DupList(2); }
    CxList* GetNoteDupList() const { return m_data.DupList(3); }

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

    LoadedData m_data;

    QString m_loadFailure;
    int m_nWork = 0;
    bool m_bCloseWhenIdle = false;
};
