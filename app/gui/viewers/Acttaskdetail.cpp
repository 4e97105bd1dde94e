#include "gui/viewers/Acttaskdetail.h"

#include "gui/viewers/Viewers.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTTask.h"
#include "core/DateText.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace viewers;

TfmACTTaskDetail::TfmACTTaskDetail(QWidget* owner)
    : TfmACTRecordDetail(owner, "fmACTTaskDetail", "ACT! Todo Record Details",
                         "View detail information of the ACT! Todo record.")
{
    pMain = MakePageControl("pMain", this);
    tGeneral = AddPage(pMain, "tGeneral", "General");
    tNote = AddPage(pMain, "tNote", "Notes");
    tMisc = AddPage(pMain, "tMisc", "Misc Fields");
    Body()->addWidget(pMain, 1);

    auto* grid = new QGridLayout(tGeneral);
    grid->setContentsMargins(14, 14, 14, 14);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    edtDesc = AddEditRow(grid, 0, 0, "Description:", "edtDesc", tGeneral, 3);
    edtPriority = AddEditRow(grid, 1, 0, "Priority:", "edtPriority", tGeneral);
    edtDueDate = AddEditRow(grid, 1, 2, "Due Date:", "edtDueDate", tGeneral);
    cbCompleted = MakeCheckBox("cbCompleted", "Completed", tGeneral);
    cbPrivate = MakeCheckBox("cbPrivate", "Private", tGeneral);
    grid->addWidget(cbCompleted, 2, 1);
    grid->addWidget(cbPrivate, 3, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(4, 1);

    memNotes = MakeMemo("memNotes", tNote);
    (new QVBoxLayout(tNote))->addWidget(memNotes);

    lvMisc = MakeList("lvMisc", {{"Field Name", 180}, {"Field Content", 300}}, tMisc);
    (new QVBoxLayout(tMisc))->addWidget(lvMisc);

    pMain->setCurrentWidget(tGeneral);
}

void TfmACTTaskDetail::FillControls(const TaskRecord& r)
{
    pMain->setCurrentWidget(tGeneral);
    SetEditText(edtDesc, FieldText(r.Regarding));
    cbPrivate->setChecked(r.IsPrivate);
    cbCompleted->setChecked(r.IsCompleted);
    SetEditText(edtPriority, QString::asprintf("%d", r.Priority));
    SetEditText(edtDueDate, r.DueDate > 0 ? QString::fromStdString(DateText(r.DueDate)) : QString());
    memNotes->setPlainText(MultiLineText(FieldText(r.Details)));

    // Unlike contacts and notes, a negative date gives no row here.
    ListRows rows;
    if (r.CreateTime > 0)
        rows.push_back({QStringLiteral("Create Time"), QString::fromStdString(DateTimeText(r.CreateTime))});
    if (r.EditDate > 0)
        rows.push_back({QStringLiteral("Edit Date"), QString::fromStdString(DateTimeText(r.EditDate))});
    FillList(lvMisc, rows);
}

void ShowTaskDetail(QWidget* owner, CommTask* entry, CxACTTaskUtil* util)
{
    OpenViewer<TfmACTTaskDetail>(owner, entry, util);
}
