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
class TfmACTTaskDetail : public viewers::TfmACTRecordDetail<TaskRecord, CxACTTaskUtil>
{
    Q_OBJECT
public:
    explicit TfmACTTaskDetail(QWidget* owner);

private:
    void FillControls(const TaskRecord& r) override;

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
