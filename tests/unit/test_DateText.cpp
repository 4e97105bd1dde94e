// The date texts every caller takes from one place: each keeps its own form for no date and at the
// limits of the calendar, and must not pick up another caller's form. Every day from 1900 to the end of
// the calendar is shown; only the days that stand for no date are not.
#include "core/DateText.h"

#include <gtest/gtest.h>

namespace {

// OLE day numbers, counted from 1899-12-30.
constexpr double k18991231 = 1;
constexpr double k19000101 = 2;
constexpr double k19250517 = 9269;
constexpr double k20310101 = 47849;
constexpr double k20991231 = 73050;
constexpr double k01000101 = -657434;
constexpr double k99991231 = 2958465;
constexpr double kLastSecond = 86399.0 / 86400.0;

TEST(DateText, EachFormForNoDateAndTheLimits)
{
    struct Case
    {
        const char* what;
        double date;
        // viewers and comparison pane
        const char* date_text;
        const char* time_text;
        const char* date_time_text;
        // review lists, cleaning log, velloran-scan
        const char* date_or_na;
        const char* time_or_na;
        // backup
        const char* iso;
    };
    const Case cases[] = {
        {"no date", 0.0, "", "00:00:00", " 00:00:00", "N/A", "N/A", ""},
        {"below the threshold", 0.0005, "", "00:00:43", " 00:00:43", "N/A", "N/A", "1899-12-30T00:00:43"},
        {"negative", -1.25, "", "06:00:00", " 06:00:00", "N/A", "N/A", "1899-12-29T06:00:00"},
        // The day a recurrence without end is stored as, and the first day a window shows.
        {"no end", k18991231, "", "00:00:00", " 00:00:00", "", "00:00:00", "1899-12-31T00:00:00"},
        {"first shown day", k19000101, "01/01/1900", "00:00:00", "01/01/1900 00:00:00", "01/01/1900", "00:00:00",
         "1900-01-01T00:00:00"},
        // A birthday long past and due dates years ahead show like any other day.
        {"1925 birthday", k19250517, "05/17/1925", "00:00:00", "05/17/1925 00:00:00", "05/17/1925", "00:00:00",
         "1925-05-17T00:00:00"},
        {"first day of 2031", k20310101 + 0.375, "01/01/2031", "09:00:00", "01/01/2031 09:00:00", "01/01/2031",
         "09:00:00", "2031-01-01T09:00:00"},
        {"last second of 2099", k20991231 + kLastSecond, "12/31/2099", "23:59:59", "12/31/2099 23:59:59", "12/31/2099",
         "23:59:59", "2099-12-31T23:59:59"},
        {"first day of the calendar", k01000101, "", "00:00:00", " 00:00:00", "N/A", "N/A", "0100-01-01T00:00:00"},
        {"before the calendar", k01000101 - 1, "", "", "", "N/A", "N/A", "-657435"},
        {"last second of the calendar", k99991231 + kLastSecond, "12/31/9999", "23:59:59", "12/31/9999 23:59:59",
         "12/31/9999", "23:59:59", "9999-12-31T23:59:59"},
        {"after the calendar", k99991231 + 1, "", "", "", "", "", "2958466"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DateText(c.date), c.date_text);
        EXPECT_EQ(TimeText(c.date), c.time_text);
        EXPECT_EQ(DateTimeText(c.date), c.date_time_text);
        EXPECT_EQ(DateTextOrNA(c.date), c.date_or_na);
        EXPECT_EQ(TimeTextOrNA(c.date), c.time_or_na);
        EXPECT_EQ(IsoDateText(c.date), c.iso);
    }
}

} // namespace
