#pragma once

#include <QWidget>

class CxList;
class DupListModel;
class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;
class TfmMain;

// Page 1 of the wizard: the duplicates of each chosen kind, ticked, for the user to review. A kind's
// list can show all of its records instead; the ticks go into the records and the deletion lists when
// the wizard moves on.
class TfmACTData : public QWidget
{
    Q_OBJECT
public:
    // In the order of the tabs and of every loop over the kinds.
    enum DataKind
    {
        kAddr,
        kDate,
        kTask,
        kNote,
        kKindCount
    };

    TfmACTData(TfmMain* mainWindow, QWidget* parent);

    // false: show the chosen kinds' tabs, regroup and list the duplicates; true. true: when records are
    // ticked, asks whether to delete them; on Yes CommitChecks and true, on No false with every tick as
    // it was.
    bool Exchange(bool save);
    // The question before a deletion: the ticked records per kind, where their backup goes, and the
    // ticks that would leave nothing of a group or hit a record without copies. True to go on (also
    // when nothing is ticked: then nothing is asked).
    bool ConfirmDeletion();

    void RefreshGroups();
    void FillLists(bool dupsOnly);
    void FillAddrList(bool dupsOnly);
    void FillDateList(bool dupsOnly);
    void FillTaskList(bool dupsOnly);
    void FillNoteList(bool dupsOnly);
    // Writes each shown list's ticks into its records (DUP_SELECTED) and appends the ticked records
    // that are not in the kind's deletion list yet.
    void CommitChecks();
    void CheckAllItems(DataKind kind, bool tick);
    void CheckAllKinds(bool tick);

    void cbAddrAllClick();
    void cbDateAllClick();
    void cbTaskAllClick();
    void cbNoteAllClick();
    void btnSelAllClick();
    void btnClearClick();
    void cbCaseClick();
    void btnRefreshClick();
    void btnOptionClick();
    void lvAddrDblClick();
    void lvDateDblClick();
    void lvTaskDblClick();
    void lvNoteDblClick();

    bool IsKindShown(DataKind kind) const;
    DupListModel* GetListModel(DataKind kind) const { return m_kinds[kind].model; }

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct KindControls
    {
        QWidget* sheet = nullptr;
        QTreeView* list = nullptr;
        DupListModel* model = nullptr;
        QCheckBox* allBox = nullptr;
        QLabel* countLabel = nullptr;
    };

    template <class Record, class Util> void FillKindList(DataKind kind, Util* util, CxList* dupList, bool dupsOnly);
    template <class Record> void CommitKind(DataKind kind, CxList* dupList);
    template <class Record, class Util> void Regroup(DataKind kind, Util* util, CxList* dupList);
    // The record of the list's selected item, or null.
    void* SelectedRecord(DataKind kind) const;

    TfmMain* m_pMain;

    QTabWidget* pData = nullptr;
    KindControls m_kinds[kKindCount];
    QCheckBox* cbCase = nullptr;
    QPushButton* btnOption = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnSelAll = nullptr;
    QPushButton* btnClear = nullptr;
};
