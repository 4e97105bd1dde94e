#include "ViewerTestUtil.h"

#include "gui/viewers/Actdatedetail.h"

#include "ACT/CxACTDate.h"

#include <QComboBox>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using viewertest::Ole;
using viewertest::Put;
using viewertest::Shown;

namespace {

const char* const kAllDays = "cbSunday,cbMonday,cbTuesday,cbWednesday,cbThursday,cbFriday,cbSaturday";

struct DateCase
{
    const char* name;
    void (*setup)(CalendarRecord&);
    std::vector<std::pair<const char*, const char*>> shown;
};

const DateCase kCases[] = {
    // Start and end are formatted even when empty.
    {"EmptyEvent",
     [](CalendarRecord&) {},
     {{"pDate", "*General,Notes,Misc Fields"},
      {"edtDesc,edtDate,edtStartTime,edtEndTime,edtLocation", ",,00:00:00,00:00:00,"},
      {"cbType,cbAllday,cbPrivate", "Appointment,off,off"},
      {"memNotes", ""},
      {"lvMisc", ""}}},
    {"GeneralPage",
     [](CalendarRecord& r) {
         Put(r.Regarding, "Review");
         Put(r.Location, "Room 3");
         r.StartTime = Ole(2008, 3, 5, 14, 7, 9);
         r.EndTime = Ole(2008, 3, 5, 15, 30, 0);
         r.IsTimeless = true;
         r.EventType = 1;
     },
     {{"edtDesc,edtDate,edtStartTime,edtEndTime,edtLocation", "Review,03/05/2008,14:07:09,15:30:00,Room 3"},
      {"cbType,cbAllday,cbPrivate", "Meeting,on,off"}}},
    {"PrivateNotAllDay", [](CalendarRecord& r) { r.IsPrivate = true; }, {{"cbAllday,cbPrivate", "off,on"}}},
    {"EventTypeCall", [](CalendarRecord& r) { r.EventType = 2; }, {{"cbType", "Call"}}},
    {"EventTypeTodo", [](CalendarRecord& r) { r.EventType = 3; }, {{"cbType", "Todo"}}},
    {"EventTypeUnknownIsAppointment", [](CalendarRecord& r) { r.EventType = 7; }, {{"cbType", "Appointment"}}},
    {"EventTypeNegativeIsAppointment", [](CalendarRecord& r) { r.EventType = -1; }, {{"cbType", "Appointment"}}},
    {"StartIn1930",
     [](CalendarRecord& r) { r.StartTime = Ole(1930, 12, 31, 9, 0, 0); },
     {{"edtDate,edtStartTime", "12/31/1930,09:00:00"}}},
    {"StartIn2031",
     [](CalendarRecord& r) { r.StartTime = Ole(2031, 3, 14, 9, 0, 0); },
     {{"edtDate,edtStartTime", "03/14/2031,09:00:00"}}},
    // A time without a day (the day of the value 0) has no date.
    {"StartWithoutADayHasNoDate",
     [](CalendarRecord& r) { r.StartTime = 0.375; },
     {{"edtDate,edtStartTime", ",09:00:00"}}},
    {"NotesWithWindowsLineEnds",
     [](CalendarRecord& r) { Put(r.Details, "Agenda:\r\n1. Prices\r\n\r\nEnd"); },
     {{"memNotes", "Agenda:\n1. Prices\n\nEnd"}}},
    {"Daily",
     [](CalendarRecord& r) {
         r.RecurType = 1;
         r.RecurInterval = 3;
     },
     {{"pDate", "*General,Recurrence,Notes,Misc Fields"}, {"pRecur", "*Daily"}, {"edtRecurDays", "3"}}},
    {"WeeklyMondayAndFriday",
     [](CalendarRecord& r) {
         r.RecurType = 2;
         r.RecurInterval = 2;
         r.RecurDays = 34;
     },
     {{"pRecur", "*Weekly"}, {"edtRecurWeeks", "2"}, {kAllDays, "off,on,off,off,off,on,off"}}},
    {"WeeklySundayAndSaturday",
     [](CalendarRecord& r) {
         r.RecurType = 2;
         r.RecurDays = 65;
     },
     {{kAllDays, "on,off,off,off,off,off,on"}}},
    // Bits above Saturday belong to no day.
    {"WeeklyEveryDayAndMore",
     [](CalendarRecord& r) {
         r.RecurType = 2;
         r.RecurDays = -1;
     },
     {{kAllDays, "on,on,on,on,on,on,on"}}},
    {"MonthlyByDate",
     [](CalendarRecord& r) {
         r.RecurType = 3;
         r.RecurInterval = 1;
         r.RecurByDate = 1;
     },
     {{"pRecur", "*Monthly"}, {"edtRecurMonths", "1"}, {"rbtnDate,rbtnDay", "on,off"}}},
    {"MonthlyByDayWhenZero", [](CalendarRecord& r) { r.RecurType = 3; }, {{"rbtnDate,rbtnDay", "off,on"}}},
    {"MonthlyByDayWhenTwo",
     [](CalendarRecord& r) {
         r.RecurType = 3;
         r.RecurByDate = 2;
     },
     {{"rbtnDate,rbtnDay", "off,on"}}},
    {"YearlyByDate",
     [](CalendarRecord& r) {
         r.RecurType = 4;
         r.RecurInterval = 5;
         r.RecurByDate = 1;
     },
     {{"pRecur", "*Yearly"}, {"edtRecurYears", "5"}, {"rbtnYearDate,rbtnYearDay", "on,off"}}},
    {"YearlyByDay",
     [](CalendarRecord& r) {
         r.RecurType = 4;
         r.RecurByDate = 0;
     },
     {{"rbtnYearDate,rbtnYearDay", "off,on"}}},
    {"UnknownRecurrenceHidesThePage",
     [](CalendarRecord& r) {
         r.RecurType = 5;
         r.RecurInterval = 2;
     },
     {{"pDate", "*General,Notes,Misc Fields"}}},
    {"NegativeRecurrenceHidesThePage",
     [](CalendarRecord& r) { r.RecurType = -2; },
     {{"pDate", "*General,Notes,Misc Fields"}}},
    {"RangeWithEnd",
     [](CalendarRecord& r) {
         r.RecurType = 1;
         r.StartTime = Ole(2008, 3, 5, 14, 0, 0);
         r.RecurEndDate = Ole(2008, 12, 31);
     },
     {{"edtRecurStart,rbtnNoEnd,rbtnEndBy,edtRecurEnd", "03/05/2008,off,on,12/31/2008"}}},
    // An end of 1 or less is no end.
    {"RangeWithoutEnd",
     [](CalendarRecord& r) {
         r.RecurType = 1;
         r.StartTime = Ole(2008, 3, 5, 14, 0, 0);
         r.RecurEndDate = 1;
     },
     {{"edtRecurStart,rbtnNoEnd,rbtnEndBy,edtRecurEnd", "03/05/2008,on,off,"}}},
    {"MiscBothDates",
     [](CalendarRecord& r) {
         r.CreateTime = Ole(2008, 1, 10, 9, 12, 44);
         r.EditDate = Ole(2008, 3, 5, 14, 7, 9);
     },
     {{"lvMisc", "Create Time|01/10/2008 09:12:44\nEdit Date|03/05/2008 14:07:09"}}},
    // Unlike contacts and notes, a negative date is no date here.
    {"MiscNegativeEditDateGivesNoRow",
     [](CalendarRecord& r) {
         r.CreateTime = Ole(2008, 1, 10);
         r.EditDate = -3.25;
     },
     {{"lvMisc", "Create Time|01/10/2008 00:00:00"}}},
    {"MiscNegativeCreateTimeGivesNoRow", [](CalendarRecord& r) { r.CreateTime = -1.5; }, {{"lvMisc", ""}}},
};

class DateDetail : public ::testing::Test
{
protected:
    std::unique_ptr<CalendarRecord> record = std::make_unique<CalendarRecord>();
    CommDate entry{record.get(), 0};
    CxACTDateUtil utility;
};

TEST_F(DateDetail, ControlsOfEachRecord)
{
    for (const DateCase& c : kCases) {
        SCOPED_TRACE(c.name);
        *record = CalendarRecord{};
        c.setup(*record);
        TfmACTDateDetail viewer(nullptr);
        viewer.SetUtility(&utility);
        viewer.SetEntry(&entry);
        for (const auto& [control, text] : c.shown)
            EXPECT_EQ(Shown(&viewer, control), QString::fromUtf8(text)) << control;
    }
}

TEST_F(DateDetail, EventTypeListIsRefilledNotAppended)
{
    record->EventType = 2;
    TfmACTDateDetail viewer(nullptr);
    viewer.SetUtility(&utility);
    viewer.SetEntry(&entry);
    EXPECT_TRUE(viewer.FillFromRecord());
    auto* types = viewer.findChild<QComboBox*>("cbType");
    ASSERT_NE(types, nullptr);
    QStringList items;
    for (int i = 0; i < types->count(); ++i)
        items << types->itemText(i);
    EXPECT_EQ(items.join(','), "Appointment,Meeting,Call,Todo");
    EXPECT_EQ(types->currentText(), "Call");
}

} // namespace
