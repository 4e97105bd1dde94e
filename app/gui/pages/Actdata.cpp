#include "gui/pages/Actdata.h"

#include "gui/pages/ComparePane.h"
#include "gui/pages/DupListModel.h"
#include "gui/pages/RecordText.h"
#include "gui/services/FieldText.h"
#include "gui/services/Seams.h"
#include "gui/viewers/Viewers.h"
#include "gui/services/Dupoption.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/Apputil.h"
#include "core/DateText.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"
#include "core/LoadedData.h"
#include "misc/CxList.h"
#include "platform/Platform.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

constexpr int kClientWidth = 792;
constexpr int kClientHeight = 366;

const char* const kSelectAllQuestion =
    "You are selecting all Contacts, Calendar, Tasks or Notes information, including "
    "non-duplicate records. Are you sure to continue?";

template <class Record> const Record* As(const void* record)
{
    return static_cast<const Record*>(record);
}

std::string_view Bytes(const char* field)
{
    return field;
}

// A built text for the filter, kept in the row's scratch so that the view outlives the string.
std::string_view ScratchBytes(const std::string& text, char* scratch)
{
    const std::size_t size = std::min(text.size(), DupListModel::kScratchSize);
    std::memcpy(scratch, text.data(), size);
    return std::string_view(scratch, size);
}

const DupListModel::Column kAddrColumns[] = {
    {"Display Name", 120, [](const void* r) { return FieldText(As<ContactRecord>(r)->FullName); },
     [](const void* r, char*) { return Bytes(As<ContactRecord>(r)->FullName); }},
    {"Email", 120, [](const void* r) { return FieldText(As<ContactRecord>(r)->BusinessEmail); },
     [](const void* r, char*) { return Bytes(As<ContactRecord>(r)->BusinessEmail); }},
    {"Primary Phone", 100, [](const void* r) { return FieldText(As<ContactRecord>(r)->BusinessPhone); },
     [](const void* r, char*) { return Bytes(As<ContactRecord>(r)->BusinessPhone); }},
    {"Company", 100, [](const void* r) { return FieldText(As<ContactRecord>(r)->Company); },
     [](const void* r, char*) { return Bytes(As<ContactRecord>(r)->Company); }},
    {"Title", 100, [](const void* r) { return FieldText(As<ContactRecord>(r)->Title); },
     [](const void* r, char*) { return Bytes(As<ContactRecord>(r)->Title); }},
};

const DupListModel::Column kDateColumns[] = {
    {"Subject", 200, [](const void* r) { return FieldText(As<CalendarRecord>(r)->Regarding); },
     [](const void* r, char*) { return Bytes(As<CalendarRecord>(r)->Regarding); }},
    {"Start Time", 80,
     [](const void* r) { return QString::fromStdString(TimeTextOrNA(As<CalendarRecord>(r)->StartTime)); },
     [](const void* r, char* scratch) {
         return ScratchBytes(TimeTextOrNA(As<CalendarRecord>(r)->StartTime), scratch);
     }},
    {"End Time", 80, [](const void* r) { return QString::fromStdString(TimeTextOrNA(As<CalendarRecord>(r)->EndTime)); },
     [](const void* r, char* scratch) { return ScratchBytes(TimeTextOrNA(As<CalendarRecord>(r)->EndTime), scratch); }},
    {"All Day Event", 100,
     [](const void* r) { return QString::fromLatin1(pagetext::YesNo(As<CalendarRecord>(r)->IsTimeless)); },
     [](const void* r, char*) { return std::string_view(pagetext::YesNo(As<CalendarRecord>(r)->IsTimeless)); }},
    {"Location", 150, [](const void* r) { return FieldText(As<CalendarRecord>(r)->Location); },
     [](const void* r, char*) { return Bytes(As<CalendarRecord>(r)->Location); }},
};

const DupListModel::Column kTaskColumns[] = {
    {"Subject", 200, [](const void* r) { return FieldText(As<TaskRecord>(r)->Regarding); },
     [](const void* r, char*) { return Bytes(As<TaskRecord>(r)->Regarding); }},
    {"Importance", 80,
     [](const void* r) { return QString::fromLatin1(pagetext::Priority(As<TaskRecord>(r)->Priority)); },
     [](const void* r, char*) { return std::string_view(pagetext::Priority(As<TaskRecord>(r)->Priority)); }},
    {"Due Date", 80, [](const void* r) { return QString::fromStdString(DateTextOrNA(As<TaskRecord>(r)->DueDate)); },
     [](const void* r, char* scratch) { return ScratchBytes(DateTextOrNA(As<TaskRecord>(r)->DueDate), scratch); }},
    {"Body", 240, [](const void* r) { return FieldText(As<TaskRecord>(r)->Details); },
     [](const void* r, char*) { return Bytes(As<TaskRecord>(r)->Details); }},
};

const DupListModel::Column kNoteColumns[] = {
    {"Notes", 600, [](const void* r) { return FieldText(As<NoteRecord>(r)->NoteText); },
     [](const void* r, char*) { return Bytes(As<NoteRecord>(r)->NoteText); }},
};

// How the page shows a kind.
struct KindView
{
    const char* sheetName;
    const char* designCaption;
    const char* listName;
    const char* allName;
    const char* allCaption;
    const char* countName;
    const char* tabPlural;
    const char* tabSingular;
    const char* countFormat;
    const char* noun;
    const char* nouns;
    const DupListModel::Column* columns;
    int columnCount;
    bool rowSelect;
};

const KindView kKindViews[TfmACTData::kKindCount] = {
    {"tAddr", "Contacts", "lvAddr", "cbAddrAll", "Load All Contacts Data", "lblAddrCount", "Contacts (%d Dups)",
     "Contacts (%d Dup)", "%d Contact records in total", "contact", "contacts", kAddrColumns,
     static_cast<int>(std::size(kAddrColumns)), true},
    {"tDate", "Calendar", "lvDate", "cbDateAll", "Load All Calendar Data", "lblDateCount", "Calendar (%d Dups)",
     "Calendar (%d Dup)", "%d Calendar records in total", "calendar event", "calendar events", kDateColumns,
     static_cast<int>(std::size(kDateColumns)), true},
    {"tTask", "Task", "lvTask", "cbTaskAll", "Load All Todos and Opportunities Data", "lblTaskCount", "Tasks (%d Dups)",
     "Tasks (%d Dup)", "%d Task records in total", "todo or opportunity", "todos and opportunities", kTaskColumns,
     static_cast<int>(std::size(kTaskColumns)), false},
    {"tNote", "Notes", "lvNote", "cbNoteAll", "Load All Notes Data", "lblNoteCount", "Notes (%d Dups)",
     "Notes (%d Dup)", "%d Note records in total", "note", "notes", kNoteColumns,
     static_cast<int>(std::size(kNoteColumns)), false},
};

QPushButton* MakeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// Each item takes one line, as in a report list: a line break inside a text is drawn as a blank, so that
// the rows stay one line high and never overlap.
class SingleLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        // The base class has turned each line feed into a line separator by now.
        QString& text = option->text;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c != QLatin1Char('\r') && c != QLatin1Char('\n') && c != QChar::LineSeparator)
                continue;
            const bool pair = c == QLatin1Char('\r') && i + 1 < text.size() &&
                              (text.at(i + 1) == QLatin1Char('\n') || text.at(i + 1) == QChar::LineSeparator);
            text.replace(i, pair ? 2 : 1, QLatin1Char(' '));
        }
    }
};

template <class Util> auto* ManagerOf(Util* util)
{
    return util ? util->GetManager() : nullptr;
}

} // namespace

TfmACTData::TfmACTData(LoadedData* data, QWidget* parent) : QWidget(parent), m_pData(data)
{
    setObjectName(QStringLiteral("fmACTData"));
    resize(kClientWidth, kClientHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->setSpacing(6);

    auto* findRow = new QHBoxLayout;
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setClearButtonEnabled(true);
    edtFind->setPlaceholderText(QStringLiteral("Text in any column of the list"));
    auto* findLabel = new QLabel(QStringLiteral("&Find"), this);
    findLabel->setBuddy(edtFind);
    findRow->addWidget(findLabel);
    findRow->addWidget(edtFind, 1);
    layout->addLayout(findRow);

    pSplit = new QSplitter(Qt::Vertical, this);
    pSplit->setObjectName(QStringLiteral("pSplit"));
    pSplit->setChildrenCollapsible(false);
    pData = new QTabWidget(pSplit);
    pData->setObjectName(QStringLiteral("pData"));
    for (int i = 0; i < kKindCount; ++i) {
        const KindView& info = kKindViews[i];
        KindControls& kind = m_kinds[i];

        kind.sheet = new QWidget(pData);
        kind.sheet->setObjectName(QString::fromLatin1(info.sheetName));
        auto* sheetLayout = new QVBoxLayout(kind.sheet);
        sheetLayout->setContentsMargins(6, 6, 6, 4);
        sheetLayout->setSpacing(4);

        kind.model = new DupListModel(info.columns, info.columnCount, this);
        kind.list = new QTreeView(kind.sheet);
        kind.list->setObjectName(QString::fromLatin1(info.listName));
        kind.list->setRootIsDecorated(false);
        kind.list->setItemsExpandable(false);
        // Rows are all one line high; without this the view would measure every row of a large list.
        kind.list->setUniformRowHeights(true);
        kind.list->setSelectionMode(QAbstractItemView::SingleSelection);
        kind.list->setSelectionBehavior(info.rowSelect ? QAbstractItemView::SelectRows
                                                       : QAbstractItemView::SelectItems);
        kind.list->setAllColumnsShowFocus(info.rowSelect);
        // The lists show the records as loaded; an edit could reach neither the record nor the CRM.
        kind.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        kind.list->setItemDelegate(new SingleLineDelegate(kind.list));
        kind.list->setModel(kind.model);
        // The user may widen any column; the last one takes the room that is left.
        kind.list->header()->setStretchLastSection(true);
        kind.list->header()->setSectionsMovable(false);
        kind.list->installEventFilter(this);
        for (int c = 0; c < info.columnCount; ++c)
            kind.list->header()->resizeSection(c, info.columns[c].width);
        sheetLayout->addWidget(kind.list, 1);

        auto* row = new QHBoxLayout;
        kind.allBox = new QCheckBox(QString::fromLatin1(info.allCaption), kind.sheet);
        kind.allBox->setObjectName(QString::fromLatin1(info.allName));
        kind.countLabel = new QLabel(kind.sheet);
        kind.countLabel->setObjectName(QString::fromLatin1(info.countName));
        kind.countLabel->setStyleSheet(QStringLiteral("color: #0000ff;"));
        row->addWidget(kind.allBox);
        row->addStretch(1);
        row->addWidget(kind.countLabel);
        sheetLayout->addLayout(row);

        pData->addTab(kind.sheet, QString::fromLatin1(info.designCaption));
    }
    pCompare = new ComparePane(pSplit);
    pSplit->addWidget(pData);
    pSplit->addWidget(pCompare);
    pSplit->setStretchFactor(0, 3);
    pSplit->setStretchFactor(1, 2);
    layout->addWidget(pSplit, 1);

    auto* buttons = new QHBoxLayout;
    cbCase = new QCheckBox(QStringLiteral("Case sensitive when checking duplicate items."), this);
    cbCase->setObjectName(QStringLiteral("cbCase"));
    btnKeep = MakeButton("btnKeep", "&Keep This One", this);
    btnKeep->setToolTip(QStringLiteral("The current record stays; the one that stayed until now is ticked for "
                                       "deletion in its place."));
    btnOption = MakeButton("btnOption", "&Options", this);
    btnRefresh = MakeButton("btnRefresh", "&Refresh", this);
    btnSelAll = MakeButton("btnSelAll", "Select All Dups", this);
    btnClear = MakeButton("btnClear", "Clear Selection", this);
    buttons->addWidget(cbCase);
    buttons->addStretch(1);
    buttons->addWidget(btnKeep);
    buttons->addWidget(btnOption);
    buttons->addWidget(btnRefresh);
    buttons->addWidget(btnSelAll);
    buttons->addWidget(btnClear);
    layout->addLayout(buttons);

    // clicked, not toggled: only the user's click acts, never a tick set by the page itself.
    connect(m_kinds[KindIndex(kAddr)].allBox, &QCheckBox::clicked, this, &TfmACTData::cbAddrAllClick);
    connect(m_kinds[KindIndex(kDate)].allBox, &QCheckBox::clicked, this, &TfmACTData::cbDateAllClick);
    connect(m_kinds[KindIndex(kTask)].allBox, &QCheckBox::clicked, this, &TfmACTData::cbTaskAllClick);
    connect(m_kinds[KindIndex(kNote)].allBox, &QCheckBox::clicked, this, &TfmACTData::cbNoteAllClick);
    connect(cbCase, &QCheckBox::clicked, this, &TfmACTData::cbCaseClick);
    connect(btnOption, &QPushButton::clicked, this, &TfmACTData::btnOptionClick);
    connect(btnRefresh, &QPushButton::clicked, this, &TfmACTData::btnRefreshClick);
    connect(btnSelAll, &QPushButton::clicked, this, &TfmACTData::btnSelAllClick);
    connect(btnClear, &QPushButton::clicked, this, &TfmACTData::btnClearClick);
    connect(btnKeep, &QPushButton::clicked, this, &TfmACTData::btnKeepClick);
    connect(edtFind, &QLineEdit::textChanged, this, [this](const QString& text) { ApplyFilter(CurrentKind(), text); });
    auto* findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        edtFind->setFocus(Qt::ShortcutFocusReason);
        edtFind->selectAll();
    });
    connect(pData, &QTabWidget::currentChanged, this, [this] {
        ApplyFilter(CurrentKind(), edtFind->text());
        UpdateCurrentRow();
    });
    for (KindControls& kind : m_kinds) {
        connect(kind.list->selectionModel(), &QItemSelectionModel::currentChanged, this,
                &TfmACTData::UpdateCurrentRow);
        connect(kind.model, &QAbstractItemModel::modelReset, this, &TfmACTData::UpdateCurrentRow);
    }
    connect(m_kinds[KindIndex(kAddr)].list, &QAbstractItemView::doubleClicked, this, &TfmACTData::lvAddrDblClick);
    connect(m_kinds[KindIndex(kDate)].list, &QAbstractItemView::doubleClicked, this, &TfmACTData::lvDateDblClick);
    connect(m_kinds[KindIndex(kTask)].list, &QAbstractItemView::doubleClicked, this, &TfmACTData::lvTaskDblClick);
    connect(m_kinds[KindIndex(kNote)].list, &QAbstractItemView::doubleClicked, this, &TfmACTData::lvNoteDblClick);
}

bool TfmACTData::Exchange(bool save)
{
    if (save) {
        if (!ConfirmDeletion())
            return false;
        CommitChecks();
        return true;
    }
    for (const RecordKind kind : kAllRecordKinds)
        pData->setTabVisible(KindIndex(kind), IsChosen(kind, AppSettings.AppFlag));
    if (!pData->isTabVisible(pData->currentIndex())) {
        for (int i = 0; i < kKindCount; ++i) {
            if (pData->isTabVisible(i)) {
                pData->setCurrentIndex(i);
                break;
            }
        }
    }
    edtFind->clear();
    // The box shows the rule the groups are made by; setChecked sends no click, so nothing regroups twice.
    cbCase->setChecked(AppSettings.CaseSensitive);
    RefreshGroups();
    FillLists(true);
    // The first tab's first row is current and the list has the keyboard, so the review can start at once.
    for (int i = 0; i < kKindCount; ++i) {
        if (pData->isTabVisible(i)) {
            pData->setCurrentIndex(i);
            MakeFirstRowCurrent(static_cast<DataKind>(i));
            m_kinds[i].list->setFocus();
            break;
        }
    }
    return true;
}

bool TfmACTData::IsKindShown(DataKind kind) const
{
    return pData->isTabVisible(KindIndex(kind));
}

TfmACTData::DataKind TfmACTData::CurrentKind() const
{
    const int index = pData->currentIndex();
    return index >= 0 && index < kKindCount ? static_cast<DataKind>(index) : kAddr;
}

void TfmACTData::RefreshGroups()
{
    for (const RecordKind kind : kAllRecordKinds)
        if (IsKindShown(kind))
            m_pData->Regroup(kind, AppSettings);
}

bool TfmACTData::ConfirmDeletion()
{
    QStringList counts;
    int ticked = 0;
    int lastOfGroup = 0;
    int withoutCopies = 0;
    bool contacts = false;
    for (int i = 0; i < kKindCount; ++i) {
        if (!IsKindShown(static_cast<DataKind>(i)))
            continue;
        const DupListModel* model = m_kinds[i].model;
        std::unordered_set<const void*> tickedRecords;
        for (int index = 0; index < model->RecordCount(); ++index)
            if (model->IsRecordChecked(index) && model->Record(index))
                tickedRecords.insert(model->Record(index));
        if (tickedRecords.empty())
            continue;
        ticked += static_cast<int>(tickedRecords.size());
        contacts = contacts || static_cast<DataKind>(i) == kAddr;
        const KindView& info = kKindViews[i];
        counts.append(QStringLiteral("    %1 %2").arg(tickedRecords.size())
                          .arg(QLatin1String(tickedRecords.size() == 1 ? info.noun : info.nouns)));

        const DupGroups& groups = m_pData->Groups(static_cast<DataKind>(i));
        for (const void* record : tickedRecords)
            if (groups.GroupOf(record).empty())
                ++withoutCopies;
        for (std::size_t g = 0; g < groups.GroupCount(); ++g) {
            const auto group = groups.Group(g);
            if (std::all_of(group.begin(), group.end(), [&](const void* r) { return tickedRecords.count(r) > 0; }))
                ++lastOfGroup;
        }
    }
    if (ticked == 0)
        return true;

    QString text = QStringLiteral("Delete these records from the ACT! database?\n\n") + counts.join(QLatin1Char('\n'));
    std::string documents;
    if (platform::documentsFolder(documents))
        text += QStringLiteral("\n\nBefore anything is deleted, a copy of each of them is saved in a new folder, "
                               "named after the date and time, in:\n") +
                QString::fromStdString(BackupRootFolder(documents));
    else
        text += QStringLiteral("\n\nNo documents folder was found for the backup of these records: without a "
                               "backup nothing will be deleted.");
    // What the CRM keeps under a contact never reaches our data, so no copy of it can be made.
    if (contacts)
        text += QStringLiteral("\nThe copy does not hold the notes and history that ACT! keeps under a deleted "
                               "contact.");
    if (lastOfGroup == 1)
        text += QStringLiteral("\n\nWARNING: 1 ticked record is the last of its group: every record of that group is "
                               "ticked, so none of them would remain.");
    else if (lastOfGroup > 1)
        text += QStringLiteral("\n\nWARNING: %1 ticked records are the last of their groups: every record of those "
                               "groups is ticked, so none of them would remain.")
                    .arg(lastOfGroup);
    if (withoutCopies == 1)
        text += QStringLiteral("\n\nWARNING: 1 ticked record is not a duplicate at all: no other record is equal to it.");
    else if (withoutCopies > 1)
        text += QStringLiteral("\n\nWARNING: %1 ticked records are not duplicates at all: no other record is equal to "
                               "them.")
                    .arg(withoutCopies);
    const bool warned = lastOfGroup > 0 || withoutCopies > 0;
    return seams::ShowMessage(this, warned ? QMessageBox::Warning : QMessageBox::Question,
                              QStringLiteral("Confirmation"), text, QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) == QMessageBox::Yes;
}

void TfmACTData::FillLists(bool dupsOnly)
{
    if (IsKindShown(kAddr))
        FillAddrList(dupsOnly);
    if (IsKindShown(kDate))
        FillDateList(dupsOnly);
    if (IsKindShown(kTask))
        FillTaskList(dupsOnly);
    if (IsKindShown(kNote))
        FillNoteList(dupsOnly);
    if (dupsOnly)
        for (KindControls& kind : m_kinds)
            kind.allBox->setChecked(false);
}

void TfmACTData::FillAddrList(bool dupsOnly)
{
    FillKindList<ContactRecord>(kAddr, m_pData->AddrUtil(), m_pData->DupList(kAddr), dupsOnly);
}

void TfmACTData::FillDateList(bool dupsOnly)
{
    FillKindList<CalendarRecord>(kDate, m_pData->DateUtil(), m_pData->DupList(kDate), dupsOnly);
}

void TfmACTData::FillTaskList(bool dupsOnly)
{
    FillKindList<TaskRecord>(kTask, m_pData->TaskUtil(), m_pData->DupList(kTask), dupsOnly);
}

void TfmACTData::FillNoteList(bool dupsOnly)
{
    FillKindList<NoteRecord>(kNote, m_pData->NoteUtil(), m_pData->DupList(kNote), dupsOnly);
}

template <class Record, class Util>
void TfmACTData::FillKindList(DataKind kind, Util* util, CxList* dupList, bool dupsOnly)
{
    KindControls& controls = m_kinds[KindIndex(kind)];
    if (!dupList) {
        // Never keep rows that point into data that is gone.
        controls.model->Clear();
        return;
    }
    auto* manager = ManagerOf(util);

    std::vector<void*> records;
    if (dupsOnly) {
        records.reserve(dupList->GetCount());
        // The copies as the groups hold them now: a record made the one that stays has left them, and the
        // one that stayed before has taken its place. The list itself changes only when the ticks are
        // committed.
        const DupGroups& groups = m_pData->Groups(kind);
        for (std::size_t g = 0; g < groups.GroupCount(); ++g) {
            const auto group = groups.Group(g);
            for (std::size_t m = 1; m < group.size(); ++m)
                records.push_back(const_cast<void*>(group[m]));
        }
        // Anything listed beyond the grouped copies (ticked in the full view and committed) too.
        std::size_t index = 0;
        for (void* record = dupList->GetFirst(); record; record = dupList->GetNext(), ++index)
            if (index >= records.size())
                records.push_back(record);
    } else {
        records.reserve(manager ? manager->GetEntryCount() : 0);
        for (Record* record = FirstRecord<Record>(manager); record; record = NextRecord<Record>(manager))
            records.push_back(record);
    }
    controls.model->SetRecords(std::move(records), dupsOnly);

    const KindView& info = kKindViews[KindIndex(kind)];
    const int dups = static_cast<int>(dupList->GetCount());
    pData->setTabText(KindIndex(kind), QString::asprintf(dups > 1 ? info.tabPlural : info.tabSingular, dups));
    const int total = manager ? static_cast<int>(manager->GetEntryCount()) : 0;
    controls.countLabel->setText(QString::asprintf(info.countFormat, total));
}

void TfmACTData::CommitChecks()
{
    if (IsKindShown(kAddr))
        CommitKind<ContactRecord>(kAddr, m_pData->DupList(kAddr));
    if (IsKindShown(kDate))
        CommitKind<CalendarRecord>(kDate, m_pData->DupList(kDate));
    if (IsKindShown(kTask))
        CommitKind<TaskRecord>(kTask, m_pData->DupList(kTask));
    if (IsKindShown(kNote))
        CommitKind<NoteRecord>(kNote, m_pData->DupList(kNote));
}

template <class Record> void TfmACTData::CommitKind(DataKind kind, CxList* dupList)
{
    if (!dupList)
        return;
    // What the list held before, sorted, so that each ticked record is looked up without walking the
    // list. No record has two rows, so what is appended here need not be looked up again.
    std::vector<void*> listed;
    listed.reserve(dupList->GetCount());
    for (void* record = dupList->GetFirst(); record; record = dupList->GetNext())
        listed.push_back(record);
    std::sort(listed.begin(), listed.end(), std::less<void*>());

    // A record that left the list (made the one that stays) must not keep an older mark.
    for (void* record : listed)
        static_cast<Record*>(record)->DupFlags &= ~DUP_SELECTED;

    const DupListModel* model = m_kinds[KindIndex(kind)].model;
    const int count = model->RecordCount();
    for (int index = 0; index < count; ++index) {
        auto* record = static_cast<Record*>(model->Record(index));
        if (!record)
            continue;
        if (model->IsRecordChecked(index)) {
            record->DupFlags |= DUP_SELECTED;
            if (!std::binary_search(listed.begin(), listed.end(), static_cast<void*>(record), std::less<void*>()))
                dupList->Add(record);
        } else {
            record->DupFlags &= ~DUP_SELECTED;
        }
    }
}

void TfmACTData::CheckAllItems(DataKind kind, bool tick)
{
    if (IsKindShown(kind))
        m_kinds[KindIndex(kind)].model->SetAllChecked(tick);
}

void TfmACTData::CheckAllKinds(bool tick)
{
    for (const RecordKind kind : kAllRecordKinds)
        if (IsKindShown(kind))
            CheckAllItems(kind, tick);
}

void TfmACTData::cbAddrAllClick()
{
    FillAddrList(!m_kinds[KindIndex(kAddr)].allBox->isChecked());
}

void TfmACTData::cbDateAllClick()
{
    FillDateList(!m_kinds[KindIndex(kDate)].allBox->isChecked());
}

void TfmACTData::cbTaskAllClick()
{
    FillTaskList(!m_kinds[KindIndex(kTask)].allBox->isChecked());
}

void TfmACTData::cbNoteAllClick()
{
    FillNoteList(!m_kinds[KindIndex(kNote)].allBox->isChecked());
}

void TfmACTData::btnSelAllClick()
{
    bool anyAll = false;
    for (const KindControls& kind : m_kinds)
        anyAll = anyAll || kind.allBox->isChecked();
    if (anyAll) {
        const auto answer = seams::ShowMessage(this, QMessageBox::Question, QStringLiteral("Confirmation"),
                                               QString::fromLatin1(kSelectAllQuestion),
                                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer != QMessageBox::Yes)
            return;
    }
    CheckAllKinds(true);
}

void TfmACTData::btnClearClick()
{
    CheckAllKinds(false);
}

void TfmACTData::cbCaseClick()
{
    AppSettings.CaseSensitive = cbCase->isChecked();
    RefreshGroups();
    FillLists(true);
}

void TfmACTData::btnRefreshClick()
{
    RefreshGroups();
    FillLists(true);
}

void TfmACTData::btnOptionClick()
{
    auto* dialog = new TfmDupOption(this);
    dialog->Exchange(false);
    const int result = seams::ExecDialog(dialog);
    delete dialog;
    if (result == QDialog::Accepted) {
        RefreshGroups();
        FillLists(true);
    }
}

void* TfmACTData::SelectedRecord(DataKind kind) const
{
    const QTreeView* list = m_kinds[KindIndex(kind)].list;
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return nullptr;
    return m_kinds[KindIndex(kind)].model->RecordAt(selected.first().row());
}

void* TfmACTData::CurrentRecord(DataKind kind) const
{
    const QModelIndex current = m_kinds[KindIndex(kind)].list->currentIndex();
    return current.isValid() ? m_kinds[KindIndex(kind)].model->RecordAt(current.row()) : nullptr;
}

void TfmACTData::OpenRecord(DataKind kind, void* record)
{
    if (!record)
        return;
    switch (kind) {
    case kAddr:
        ShowContactDetail(this, static_cast<ContactRecord*>(record)->pEntry, m_pData->AddrUtil());
        break;
    case kDate:
        ShowCalendarDetail(this, static_cast<CalendarRecord*>(record)->pEntry, m_pData->DateUtil());
        break;
    case kTask:
        ShowTaskDetail(this, static_cast<TaskRecord*>(record)->pEntry, m_pData->TaskUtil());
        break;
    default:
        ShowNoteDetail(this, static_cast<NoteRecord*>(record)->pEntry, m_pData->NoteUtil());
        break;
    }
}

void TfmACTData::lvAddrDblClick()
{
    OpenRecord(kAddr, SelectedRecord(kAddr));
}

void TfmACTData::lvDateDblClick()
{
    OpenRecord(kDate, SelectedRecord(kDate));
}

void TfmACTData::lvTaskDblClick()
{
    OpenRecord(kTask, SelectedRecord(kTask));
}

void TfmACTData::lvNoteDblClick()
{
    OpenRecord(kNote, SelectedRecord(kNote));
}

void TfmACTData::btnKeepClick()
{
    const DataKind kind = CurrentKind();
    if (!IsKindShown(kind))
        return;
    void* record = CurrentRecord(kind);
    const QModelIndex current = m_kinds[KindIndex(kind)].list->currentIndex();
    const void* previous = m_pData->Groups(kind).KeepInstead(record);
    if (!previous)
        return;
    DupListModel* model = m_kinds[KindIndex(kind)].model;
    if (m_kinds[KindIndex(kind)].allBox->isChecked()) {
        // Both are listed: the tick moves from one to the other.
        model->SetChecked(current.row(), false);
        model->SetRecordChecked(previous, true);
    } else {
        // The list holds copies only: the record that stayed until now is one of them now, in its place.
        model->ReplaceRecord(current.row(), const_cast<void*>(previous), true);
    }
    UpdateCurrentRow();
}

void TfmACTData::ToggleCurrentTick(DataKind kind)
{
    const QModelIndex current = m_kinds[KindIndex(kind)].list->currentIndex();
    if (current.isValid())
        m_kinds[KindIndex(kind)].model->SetChecked(current.row(), !m_kinds[KindIndex(kind)].model->IsChecked(current.row()));
}

void TfmACTData::MakeFirstRowCurrent(DataKind kind)
{
    QTreeView* list = m_kinds[KindIndex(kind)].list;
    if (m_kinds[KindIndex(kind)].model->rowCount() > 0)
        list->setCurrentIndex(m_kinds[KindIndex(kind)].model->index(0, 0));
}

void TfmACTData::UpdateCurrentRow()
{
    const DataKind kind = CurrentKind();
    void* record = IsKindShown(kind) ? CurrentRecord(kind) : nullptr;
    const void* kept = record ? m_pData->Groups(kind).KeptOf(record) : nullptr;
    pCompare->ShowRecords(KindIndex(kind), record, kept == record ? nullptr : kept, AppSettings);
    btnKeep->setEnabled(kept && kept != record);
}

void TfmACTData::ApplyFilter(DataKind kind, const QString& text)
{
    // One list is narrowed at a time: the one in view.
    if (m_filteredKind != kind)
        m_kinds[KindIndex(m_filteredKind)].model->SetFilter(QString());
    m_filteredKind = kind;
    DupListModel* model = m_kinds[KindIndex(kind)].model;
    if (model->Filter() == text)
        return;
    const int current = model->IndexAt(m_kinds[KindIndex(kind)].list->currentIndex().row());
    model->SetFilter(text);
    // The current record stays current when it is still shown.
    const int row = model->RowOfIndex(current);
    if (row >= 0)
        m_kinds[KindIndex(kind)].list->setCurrentIndex(model->index(row, 0));
    else
        MakeFirstRowCurrent(kind);
}

bool TfmACTData::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        for (int i = 0; i < kKindCount; ++i) {
            if (watched != m_kinds[i].list)
                continue;
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() & ~Qt::KeypadModifier)
                return false;
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                OpenRecord(static_cast<DataKind>(i), CurrentRecord(static_cast<DataKind>(i)));
                return true;
            case Qt::Key_Space:
                ToggleCurrentTick(static_cast<DataKind>(i));
                return true;
            default:
                return false;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TfmACTData::hideEvent(QHideEvent* event)
{
    // Leaving the page (not a minimised window): the next load frees the records the rows point at, and
    // the ticks are committed or given up by then anyway.
    if (isHidden()) {
        for (KindControls& kind : m_kinds)
            kind.model->Clear();
        pCompare->ShowRecords(KindIndex(kAddr), nullptr, nullptr, AppSettings);
    }
    QWidget::hideEvent(event);
}
