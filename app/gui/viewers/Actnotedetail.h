#pragma once

#include "gui/viewers/ViewerCommon.h"

#include "ACT/CommMgr.h"

class CxACTNoteUtil;
class QPlainTextEdit;
class QTabWidget;
class QTreeWidget;

// One note in full: its text, who created, edited and manages it, whether it is private and when it
// was created and edited. Shows only; nothing is ever read back.
class TfmACTNoteDetail : public viewers::TfmACTDetail
{
    Q_OBJECT
public:
    explicit TfmACTNoteDetail(QWidget* owner);

    void SetUtility(CxACTNoteUtil* utility);
    // Takes the entry's record (none without an entry) and fills the window from it.
    void SetEntry(CommNote* entry);
    // False, with nothing filled, without a record or a utility.
    bool FillFromRecord();

private:
    CommNote* m_entry = nullptr;
    NoteRecord* m_record = nullptr;
    CxACTNoteUtil* m_utility = nullptr;

    QTabWidget* pMain = nullptr;
    QWidget* tNote = nullptr;
    QWidget* tMisc = nullptr;
    QPlainTextEdit* memNotes = nullptr;
    QTreeWidget* lvMisc = nullptr;
};
