#pragma once

#include "core/RecordKinds.h"

#include <QWidget>

class ComparePane;
class CxList;
class DupListModel;
class LoadedData;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeView;

// Page 1 of the wizard: the duplicates of each chosen kind, ticked, for the user to review, with the
// current row's record beside the record that stays for its group. A kind's list can show all of its
// records instead, be narrowed by a search text, and any member of a group can be made the one that
// stays; the ticks go into the records and the deletion lists when the wizard moves on.
class TfmACTData : public QWidget
{
    Q_OBJECT
public:
    // The kinds in the order of the tabs.
    using DataKind = RecordKind;
    static constexpr DataKind kAddr = RecordKind::Contacts;
    static constexpr DataKind kDate = RecordKind::Calendar;
    static constexpr DataKind kTask = RecordKind::Tasks;
    static constexpr DataKind kNote = RecordKind::Notes;
    static constexpr int kKindCount = kRecordKindCount;

    TfmACTData(LoadedData* data, QWidget* parent);

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
    // The current row's record becomes the one that stays in its group; the one that stayed until now
    // is ticked in its place.
    void btnKeepClick();
    void lvAddrDblClick();
    void lvDateDblClick();
    void lvTaskDblClick();
    void lvNoteDblClick();

    bool IsKindShown(DataKind kind) const;
    DataKind CurrentKind() const;
    DupListModel* GetListModel(DataKind kind) const { return m_kinds[KindIndex(kind)].model; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    // The record of the list's selected item, or null.
    void* SelectedRecord(DataKind kind) const;
    void* CurrentRecord(DataKind kind) const;
    void OpenRecord(DataKind kind, void* record);
    void ToggleCurrentTick(DataKind kind);
    void MakeFirstRowCurrent(DataKind kind);
    // The comparison pane and the Keep button follow the current row of the current list.
    void UpdateCurrentRow();
    void ApplyFilter(DataKind kind, const QString& text);

    LoadedData* m_pData;

    QTabWidget* pData = nullptr;
    KindControls m_kinds[kKindCount];
    QLineEdit* edtFind = nullptr;
    QSplitter* pSplit = nullptr;
    ComparePane* pCompare = nullptr;
    QCheckBox* cbCase = nullptr;
    QPushButton* btnKeep = nullptr;
    QPushButton* btnOption = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnSelAll = nullptr;
    QPushButton* btnClear = nullptr;
    DataKind m_filteredKind = kAddr;
};
