#pragma once

#include "gui/viewers/ViewerCommon.h"

#include "ACT/CommMgr.h"

class CxACTNoteUtil;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

// One note in full: its text, who created, edited and manages it, whether it is private and when it
// was created and edited. Shows only; nothing is ever read back.
class TfmACTNoteDetail : public viewers::TfmACTRecordDetail<NoteRecord, CxACTNoteUtil>
{
    Q_OBJECT
public:
    explicit TfmACTNoteDetail(QWidget* owner);

private:
    void FillControls(const NoteRecord& r) override;

    QTabWidget* pMain = nullptr;
    QWidget* tNote = nullptr;
    QWidget* tMisc = nullptr;
    QPlainTextEdit* memNotes = nullptr;
    QTreeWidget* lvMisc = nullptr;
};
