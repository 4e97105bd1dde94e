#pragma once

#include "core/CleanupSession.h"

#include <QString>
#include <QWidget>

class QPushButton;
class HeaderBand;
class TfmACTSource;
class TfmACTData;
class TfmACTClean;

// The wizard's main window: three pages (source, review, cleaning), the buttons that move between them,
// and the cleanup session the pages work with. Created once per run; closing it destroys it, and its
// destruction saves the settings and releases everything.
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
    void ReleaseLoadedData();

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

    CleanupSession& GetSession() { return m_session; }
    LoadedData& GetLoadedData() { return m_session.Data(); }
    CxACTAddrUtil* GetAddrUtil() const { return m_session.Data().AddrUtil(); }
    CxACTDateUtil* GetDateUtil() const { return m_session.Data().DateUtil(); }
    CxACTTaskUtil* GetTaskUtil() const { return m_session.Data().TaskUtil(); }
    CxACTNoteUtil* GetNoteUtil() const { return m_session.Data().NoteUtil(); }
    CxList* GetAddrDupList() const { return m_session.Data().DupList(RecordKind::Contacts); }
    CxList* GetDateDupList() const { return m_session.Data().DupList(RecordKind::Calendar); }
    CxList* GetTaskDupList() const { return m_session.Data().DupList(RecordKind::Tasks); }
    CxList* GetNoteDupList() const { return m_session.Data().DupList(RecordKind::Notes); }

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

    CleanupSession m_session;

    int m_nWork = 0;
    bool m_bCloseWhenIdle = false;
};
