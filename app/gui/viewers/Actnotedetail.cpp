#include "gui/viewers/Actnotedetail.h"

#include "gui/viewers/Viewers.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTNote.h"
#include "core/DateText.h"

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace viewers;

TfmACTNoteDetail::TfmACTNoteDetail(QWidget* owner)
    : TfmACTRecordDetail(owner, "fmACTNoteDetail", "ACT! Note Record Details",
                         "View detail information of the ACT! Note record.")
{
    pMain = MakePageControl("pMain", this);
    tNote = AddPage(pMain, "tNote", "Notes");
    tMisc = AddPage(pMain, "tMisc", "Misc Fields");
    Body()->addWidget(pMain, 1);

    memNotes = MakeMemo("memNotes", tNote);
    (new QVBoxLayout(tNote))->addWidget(memNotes);

    lvMisc = MakeList("lvMisc", {{"Field Name", 180}, {"Field Content", 300}}, tMisc);
    (new QVBoxLayout(tMisc))->addWidget(lvMisc);

    pMain->setCurrentWidget(tNote);
}

void TfmACTNoteDetail::FillControls(const NoteRecord& r)
{
    pMain->setCurrentWidget(tNote);
    memNotes->setPlainText(MultiLineText(FieldText(r.NoteText)));

    ListRows rows;
    AddTextRow(rows, "Create User Name", r.CreateUserName);
    AddTextRow(rows, "Edit User Name", r.EditUserName);
    AddTextRow(rows, "Manage User Name", r.ManageUserName);
    rows.push_back({QStringLiteral("Private"), r.Private ? QStringLiteral("Yes") : QStringLiteral("No")});
    // Any date but 0 is listed, a negative one too.
    if (r.CreateTime != 0.0)
        rows.push_back({QStringLiteral("Create Time"), QString::fromStdString(DateTimeText(r.CreateTime))});
    if (r.EditTime != 0.0)
        rows.push_back({QStringLiteral("Edit Time"), QString::fromStdString(DateTimeText(r.EditTime))});
    FillList(lvMisc, rows);
}

void ShowNoteDetail(QWidget* owner, CommNote* entry, CxACTNoteUtil* util)
{
    OpenViewer<TfmACTNoteDetail>(owner, entry, util);
}
