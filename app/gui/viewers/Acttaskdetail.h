#pragma once

#include "gui/viewers/ViewerCommon.h"

#include "ACT/CommMgr.h"

class CxACTTaskUtil;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

// One todo or opportunity in full: description, priority, due date, flags, notes and when it was
// created and edited. Shows only; nothing is ever read back.
class TfmACTTaskDetail : public viewers::TfmACTDetail
{
    Q_OBJECT
public:
    explicit TfmACTTaskDetail(QWidget* owner);

    void SetUtility(CxACTTaskUtil* utility);
    // Takes the entry's record (none without an entry) and fills the window from it.
    void SetEntry(CommTask* entry);
    // False, with nothing filled, without a record or a utility.
    bool FillFromRecord();

private:
    CommTask* m_entry = nullptr;
    TaskRecord* m_record = nullptr;
    CxACTTaskUtil* m_utility = nullptr;

    QTabWidget* pMain = nullptr;
    QWidget* tGeneral = nullptr;
    QWidget* tNote = nullptr;
    QWidget* tMisc = nullptr;
    QLineEdit* edtDesc = nullptr;
    QLineEdit* edtPriority = nullptr;
    QLineEdit* edtDueDate = nullptr;
    QCheckBox* cbCompleted = nullptr;
    QCheckBox* cbPrivate = nullptr;
    QPlainTextEdit* memNotes = nullptr;
    QTreeWidget* lvMisc = nullptr;
};
