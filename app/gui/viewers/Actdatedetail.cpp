#include "gui/viewers/Actdatedetail.h"

#include "gui/viewers/Viewers.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTDate.h"
#include "core/DateText.h"
#include "core/RecordWords.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace viewers;

namespace {

using namespace recordwords;

// By the weekday bits: bit 0 Sunday to bit 6 Saturday.
constexpr struct
{
    const char* name;
    const char* caption;
} kDays[7] = {
    {"cbSunday", "Sunday"},     {"cbMonday", "Monday"}, {"cbTuesday", "Tuesday"},   {"cbWednesday", "Wednesday"},
    {"cbThursday", "Thursday"}, {"cbFriday", "Friday"}, {"cbSaturday", "Saturday"},
};

// Anything without a word of its own is an appointment.
int EventTypeIndex(std::int32_t type)
{
    return EventType(type) ? type : 0;
}

constexpr int kDateBoxWidth = 110;

QLabel* MakeLabel(const char* text, QWidget* parent)
{
    return new QLabel(QString::fromLatin1(text), parent);
}

} // namespace

TfmACTDateDetail::TfmACTDateDetail(QWidget* owner)
    : TfmACTRecordDetail(owner, "fmACTDateDetail", "ACT! Calendar Record Details",
                         "View detail information of the ACT! Calendar record.")
{
    pDate = MakePageControl("pDate", this);
    tGen = AddPage(pDate, "tGen", "General");
    tRecur = AddPage(pDate, "tRecur", "Recurrence");
    tNotes = AddPage(pDate, "tNotes", "Notes");
    tMisc = AddPage(pDate, "tMisc", "Misc Fields");
    Body()->addWidget(pDate, 1);

    MakeGeneralPage();
    MakeRecurrencePage();

    memNotes = MakeMemo("memNotes", tNotes);
    (new QVBoxLayout(tNotes))->addWidget(memNotes);

    lvMisc = MakeList("lvMisc", {{"Field Name", 180}, {"Field Content", 300}}, tMisc);
    (new QVBoxLayout(tMisc))->addWidget(lvMisc);

    pDate->setCurrentWidget(tGen);
}

void TfmACTDateDetail::MakeGeneralPage()
{
    auto* grid = new QGridLayout(tGen);
    grid->setContentsMargins(14, 14, 14, 14);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(10);
    edtDesc = AddEditRow(grid, 0, 0, "Description:", "edtDesc", tGen, 5);
    edtDate = AddEditRow(grid, 1, 0, "Date:", "edtDate", tGen);
    edtStartTime = AddEditRow(grid, 1, 2, "Start time:", "edtStartTime", tGen);
    edtEndTime = AddEditRow(grid, 1, 4, "End time:", "edtEndTime", tGen);
    edtLocation = AddEditRow(grid, 2, 0, "Location:", "edtLocation", tGen, 5);
    grid->addWidget(MakeLabel("Event Type:", tGen), 3, 0);
    cbType = MakeDropDown("cbType", tGen);
    grid->addWidget(cbType, 3, 1);
    cbAllday = MakeCheckBox("cbAllday", "All day event", tGen);
    cbPrivate = MakeCheckBox("cbPrivate", "Is Private", tGen);
    grid->addWidget(cbAllday, 4, 1);
    grid->addWidget(cbPrivate, 5, 1);
    for (int column : {1, 3, 5})
        grid->setColumnStretch(column, 1);
    grid->setRowStretch(6, 1);
}

QLineEdit* TfmACTDateDetail::AddEveryRow(QGridLayout* grid, const char* name, const char* unit, QWidget* page)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(MakeLabel("Every", page));
    QLineEdit* edit = MakeEdit(name, page);
    edit->setFixedWidth(60);
    row->addWidget(edit);
    row->addWidget(MakeLabel(unit, page));
    row->addStretch(1);
    grid->addLayout(row, 0, 0, 1, -1);
    return edit;
}

void TfmACTDateDetail::MakeRecurrencePage()
{
    auto* layout = new QVBoxLayout(tRecur);
    pRecur = MakePageControl("pRecur", tRecur);
    tDaily = AddPage(pRecur, "tDaily", "Daily");
    tWeekly = AddPage(pRecur, "tWeekly", "Weekly");
    tMonthly = AddPage(pRecur, "tMonthly", "Monthly");
    tYearly = AddPage(pRecur, "tYearly", "Yearly");
    layout->addWidget(pRecur, 1);

    auto* daily = new QGridLayout(tDaily);
    edtRecurDays = AddEveryRow(daily, "edtRecurDays", "days.", tDaily);
    daily->setRowStretch(1, 1);

    auto* weekly = new QGridLayout(tWeekly);
    weekly->setVerticalSpacing(8);
    edtRecurWeeks = AddEveryRow(weekly, "edtRecurWeeks", "weeks on:", tWeekly);
    // Laid out Monday first, as a week reads.
    for (int i = 0; i < 7; ++i) {
        const int day = (i + 1) % 7;
        m_days[day] = MakeCheckBox(kDays[day].name, kDays[day].caption, tWeekly);
        weekly->addWidget(m_days[day], 1 + i / 4, i % 4);
    }
    weekly->setRowStretch(3, 1);

    auto* monthly = new QGridLayout(tMonthly);
    edtRecurMonths = AddEveryRow(monthly, "edtRecurMonths", "months", tMonthly);
    monthly->addWidget(MakeLabel("By:", tMonthly), 1, 0);
    rbtnDate = MakeRadioButton("rbtnDate", "Date", tMonthly);
    rbtnDay = MakeRadioButton("rbtnDay", "Day", tMonthly);
    monthly->addWidget(rbtnDate, 1, 1);
    monthly->addWidget(rbtnDay, 1, 2);
    monthly->setColumnStretch(3, 1);
    monthly->setRowStretch(2, 1);

    auto* yearly = new QGridLayout(tYearly);
    edtRecurYears = AddEveryRow(yearly, "edtRecurYears", "years", tYearly);
    yearly->addWidget(MakeLabel("By:", tYearly), 1, 0);
    rbtnYearDate = MakeRadioButton("rbtnYearDate", "Date", tYearly);
    rbtnYearDay = MakeRadioButton("rbtnYearDay", "Day", tYearly);
    yearly->addWidget(rbtnYearDate, 1, 1);
    yearly->addWidget(rbtnYearDay, 1, 2);
    yearly->setColumnStretch(3, 1);
    yearly->setRowStretch(2, 1);

    auto* range = new QGroupBox(QStringLiteral(" Recurrence Range "), tRecur);
    range->setObjectName(QStringLiteral("gbRecurRange"));
    auto* rangeGrid = new QGridLayout(range);
    rangeGrid->setHorizontalSpacing(8);
    edtRecurStart = AddEditRow(rangeGrid, 0, 0, "Start:", "edtRecurStart", range);
    rbtnNoEnd = MakeRadioButton("rbtnNoEnd", "No end date", range);
    rbtnEndBy = MakeRadioButton("rbtnEndBy", "End by", range);
    edtRecurEnd = MakeEdit("edtRecurEnd", range);
    rangeGrid->setColumnMinimumWidth(2, 24);
    rangeGrid->addWidget(rbtnNoEnd, 0, 3);
    rangeGrid->addWidget(rbtnEndBy, 1, 3);
    rangeGrid->addWidget(edtRecurEnd, 1, 4);
    for (QLineEdit* date : {edtRecurStart, edtRecurEnd})
        date->setFixedWidth(kDateBoxWidth);
    rangeGrid->setColumnStretch(5, 1);
    layout->addWidget(range);
}

void TfmACTDateDetail::FillControls(const CalendarRecord& r)
{
    pDate->setCurrentWidget(tGen);
    FillGeneral(r);
    FillRecurrence(r);
    memNotes->setPlainText(MultiLineText(FieldText(r.Details)));
    FillMisc(r);
}

void TfmACTDateDetail::FillGeneral(const CalendarRecord& r)
{
    SetEditText(edtDesc, FieldText(r.Regarding));
    // Always formatted: an empty start shows no date and the time 00:00:00.
    SetEditText(edtDate, QString::fromStdString(DateText(r.StartTime)));
    SetEditText(edtStartTime, QString::fromStdString(TimeText(r.StartTime)));
    SetEditText(edtEndTime, QString::fromStdString(TimeText(r.EndTime)));
    SetEditText(edtLocation, FieldText(r.Location));
    cbAllday->setChecked(r.IsTimeless);
    cbPrivate->setChecked(r.IsPrivate);
    cbType->clear();
    for (std::int32_t type = 0; EventType(type); ++type)
        cbType->addItem(QString::fromLatin1(EventType(type)));
    cbType->setCurrentIndex(EventTypeIndex(r.EventType));
}

void TfmACTDateDetail::FillRecurrence(const CalendarRecord& r)
{
    const std::int32_t type = r.RecurType;
    const bool recurs = type >= RecurDaily && type <= RecurYearly;
    SetPageVisible(pDate, tRecur, recurs);
    if (!recurs)
        return;

    SetPageVisible(pRecur, tDaily, type == RecurDaily);
    SetPageVisible(pRecur, tWeekly, type == RecurWeekly);
    SetPageVisible(pRecur, tMonthly, type == RecurMonthly);
    SetPageVisible(pRecur, tYearly, type == RecurYearly);
    const QString interval = QString::asprintf("%d", r.RecurInterval);
    switch (type) {
    case RecurDaily:
        pRecur->setCurrentWidget(tDaily);
        SetEditText(edtRecurDays, interval);
        break;
    case RecurWeekly:
        pRecur->setCurrentWidget(tWeekly);
        SetEditText(edtRecurWeeks, interval);
        for (int day = 0; day < 7; ++day)
            m_days[day]->setChecked((r.RecurDays >> day) & 1);
        break;
    case RecurMonthly:
        pRecur->setCurrentWidget(tMonthly);
        SetEditText(edtRecurMonths, interval);
        (r.RecurByDate == kRecurByDate ? rbtnDate : rbtnDay)->setChecked(true);
        break;
    case RecurYearly:
        pRecur->setCurrentWidget(tYearly);
        SetEditText(edtRecurYears, interval);
        (r.RecurByDate == kRecurByDate ? rbtnYearDate : rbtnYearDay)->setChecked(true);
        break;
    }

    // The range: from the event's first day, to the recurrence's end when it has one.
    SetEditText(edtRecurStart, QString::fromStdString(DateText(r.StartTime)));
    const bool ends = r.RecurEndDate > kNoRecurEnd;
    (ends ? rbtnEndBy : rbtnNoEnd)->setChecked(true);
    SetEditText(edtRecurEnd, ends ? QString::fromStdString(DateText(r.RecurEndDate)) : QString());
}

void TfmACTDateDetail::FillMisc(const CalendarRecord& r)
{
    ListRows rows;
    // Unlike contacts and notes, a negative date gives no row here.
    if (r.CreateTime > 0)
        rows.push_back({QStringLiteral("Create Time"), QString::fromStdString(DateTimeText(r.CreateTime))});
    if (r.EditDate > 0)
        rows.push_back({QStringLiteral("Edit Date"), QString::fromStdString(DateTimeText(r.EditDate))});
    FillList(lvMisc, rows);
}

void ShowCalendarDetail(QWidget* owner, CommDate* entry, CxACTDateUtil* util)
{
    OpenViewer<TfmACTDateDetail>(owner, entry, util);
}
