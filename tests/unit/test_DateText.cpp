// The date texts every caller takes from one place: each keeps its own form for no date and at the
// limits of the calendar, and must not pick up another caller's form.
#include "core/DateText.h"

#include <gtest/gtest.h>

namespace {

// OLE day numbers, counted from 1899-12-30.
constexpr double k19301231 = 11323;
constexpr double k19310101 = 11324;
constexpr double k20301231 = 47848;
constexpr double k20310101 = 47849;
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
        {"day before the shown years", k19301231, "", "00:00:00", " 00:00:00", "", "00:00:00", "1930-12-31T00:00:00"},
        {"first shown day", k19310101, "01/01/1931", "00:00:00", "01/01/1931 00:00:00", "01/01/1931", "00:00:00",
         "1931-01-01T00:00:00"},
        {"last shown second", k20301231 + kLastSecond, "12/31/2030", "23:59:59", "12/31/2030 23:59:59", "12/31/2030",
         "23:59:59", "2030-12-31T23:59:59"},
        {"day after the shown years", k20310101, "", "00:00:00", " 00:00:00", "", "00:00:00", "2031-01-01T00:00:00"},
        {"first day of the calendar", k01000101, "", "00:00:00", " 00:00:00", "N/A", "N/A", "0100-01-01T00:00:00"},
        {"before the calendar", k01000101 - 1, "", "", "", "N/A", "N/A", "-657435"},
        {"last second of the calendar", k99991231 + kLastSecond, "", "23:59:59", " 23:59:59", "", "23:59:59",
         "9999-12-31T23:59:59"},
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
