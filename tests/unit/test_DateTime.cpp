#include "misc/CxDateTime.h"
#include "misc/WinUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

// OLE day numbers, counted from 1899-12-30.
constexpr double k19310101 = 11324;
constexpr double k19301231 = 11323;
constexpr double k20301231 = 47848;
constexpr double k20310101 = 47849;
constexpr double k20080305 = 39512;
constexpr double k20081231 = 39813;

double At(double day, int h, int m, double s)
{
    return day + (h * 3600 + m * 60 + s) / 86400.0;
}

std::string DateText(double date)
{
    char text[64];
    CxDateTime(date).FormatDate(text, sizeof text);
    return text;
}

std::string TimeText(double date)
{
    char text[64];
    CxDateTime(date).FormatTime(text, sizeof text);
    return text;
}

std::string DateTimeText(double date)
{
    char text[64];
    CxDateTime(date).FormatDateTime(text, sizeof text);
    return text;
}

std::string VariantDate(double date)
{
    char text[64];
    EXPECT_TRUE(FormatVariantDate(date, text, sizeof text));
    return text;
}

std::string VariantTime(double date)
{
    char text[64];
    EXPECT_TRUE(FormatVariantTime(date, text, sizeof text));
    return text;
}

TEST(DateTexts, Table)
{
    struct Case
    {
        const char* what;
        double date;
        const char* date_text;
        const char* time_text;
        const char* date_time_text;
        const char* variant_date;
        const char* variant_time;
    };
    const Case cases[] = {
        {"empty date", 0.0, "", "00:00:00", " 00:00:00", "N/A", "N/A"},
        {"below the threshold", 0.0005, "", "00:00:43", " 00:00:43", "N/A", "N/A"},
        {"at the threshold, year 1899", 0.001, "", "00:01:26", " 00:01:26", "", "00:01:26"},
        {"negative", -1.25, "", "06:00:00", " 06:00:00", "N/A", "N/A"},
        {"1931", k19310101, "01/01/1931", "00:00:00", "01/01/1931 00:00:00", "01/01/1931", "00:00:00"},
        {"1930", k19301231, "12/31/1930", "00:00:00", "12/31/1930 00:00:00", "12/31/1930", "00:00:00"},
        {"2030", At(k20301231, 23, 59, 59), "12/31/2030", "23:59:59", "12/31/2030 23:59:59", "12/31/2030", "23:59:59"},
        {"2031", k20310101, "01/01/2031", "00:00:00", "01/01/2031 00:00:00", "01/01/2031", "00:00:00"},
        {"no end of a recurrence, 1899-12-31", 1.0, "", "00:00:00", " 00:00:00", "", "00:00:00"},
        {"afternoon", At(k20080305, 14, 7, 9), "03/05/2008", "14:07:09", "03/05/2008 14:07:09", "03/05/2008",
         "14:07:09"},
        // Values a conversion cannot take give empty texts rather than invented fields.
        {"beyond year 9999", 3e6, "", "", "", "", ""},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DateText(c.date), c.date_text) << c.what;
        EXPECT_EQ(TimeText(c.date), c.time_text) << c.what;
        EXPECT_EQ(DateTimeText(c.date), c.date_time_text) << c.what;
        EXPECT_EQ(VariantDate(c.date), c.variant_date) << c.what;
        EXPECT_EQ(VariantTime(c.date), c.variant_time) << c.what;
    }
}

TEST(DateTexts, WrappersRefuseNoRoom)
{
    char text[8] = "keep";
    EXPECT_FALSE(FormatVariantDate(k20080305, text, 0));
    EXPECT_FALSE(FormatVariantTime(k20080305, text, 0));
    EXPECT_FALSE(FormatVariantDate(0.0, text, 0));
    EXPECT_STREQ(text, "keep");
    EXPECT_FALSE(FormatVariantDate(k20080305, nullptr, 8));
    EXPECT_FALSE(FormatVariantTime(k20080305, nullptr, 8));
}

TEST(DateTexts, SmallBufferIsCutNotOverrun)
{
    struct Case
    {
        const char* what;
        std::size_t size;
        const char* expected;
    };
    const Case cases[] = {
        {"one byte", 1, ""},
        {"date cut", 6, "03/05"},
        {"date and part of the time", 15, "03/05/2008 14:"},
        {"exact fit", 20, "03/05/2008 14:07:09"},
    };
    const CxDateTime moment(At(k20080305, 14, 7, 9));
    for (const Case& c : cases) {
        char text[32];
        std::memset(text, '#', sizeof text);
        moment.FormatDateTime(text, c.size);
        EXPECT_STREQ(text, c.expected) << c.what;
        EXPECT_EQ(text[c.size], '#') << c.what << ": wrote past the size";
    }

    char text[8];
    std::memset(text, '#', sizeof text);
    EXPECT_TRUE(FormatVariantDate(k20080305, text, 4));
    EXPECT_STREQ(text, "03/");
    EXPECT_TRUE(FormatVariantTime(0.0, text, 2));
    EXPECT_STREQ(text, "N");
    EXPECT_EQ(text[4], '#');
}

TEST(VariantTime, ConvertsToCalendarFields)
{
    struct Case
    {
        const char* what;
        double date;
        SystemTime expected; // year, month, day of week, day, hour, minute, second, milliseconds
    };
    const Case cases[] = {
        {"day zero", 0.0, {1899, 12, 6, 30, 0, 0, 0, 0}},
        {"a day back, a quarter forward", -1.25, {1899, 12, 5, 29, 6, 0, 0, 0}},
        {"minus a half is noon of day zero", -0.5, {1899, 12, 6, 30, 12, 0, 0, 0}},
        {"1900 is no leap year", 61.0, {1900, 3, 4, 1, 0, 0, 0, 0}},
        {"2000 is one", 36585.0, {2000, 2, 2, 29, 0, 0, 0, 0}},
        {"afternoon", At(k20080305, 14, 7, 9), {2008, 3, 3, 5, 14, 7, 9, 0}},
        {"rounds up to the next second", At(k20080305, 14, 7, 8.6), {2008, 3, 3, 5, 14, 7, 9, 0}},
        {"rounds down", At(k20080305, 14, 7, 9.4), {2008, 3, 3, 5, 14, 7, 9, 0}},
        {"rounds across midnight", At(k20080305, 23, 59, 59.7), {2008, 3, 4, 6, 0, 0, 0, 0}},
        {"rounds into the new year", At(k20081231, 23, 59, 59.6), {2009, 1, 4, 1, 0, 0, 0, 0}},
        {"negative fraction rounds into the next day", -1.9999999, {1899, 12, 6, 30, 0, 0, 0, 0}},
        {"first day Win32 takes", -657434.0, {100, 1, 5, 1, 0, 0, 0, 0}},
        {"its fraction still runs forward", -657434.0001, {100, 1, 5, 1, 0, 0, 9, 0}},
        {"last second Win32 takes", 2958465.99999, {9999, 12, 5, 31, 23, 59, 59, 0}},
    };
    for (const Case& c : cases) {
        SystemTime t;
        t.wMilliseconds = 999;
        ASSERT_TRUE(VariantTimeToSystemTime(c.date, &t)) << c.what;
        const SystemTime& e = c.expected;
        EXPECT_EQ(t.wYear, e.wYear) << c.what;
        EXPECT_EQ(t.wMonth, e.wMonth) << c.what;
        EXPECT_EQ(t.wDay, e.wDay) << c.what;
        EXPECT_EQ(t.wDayOfWeek, e.wDayOfWeek) << c.what;
        EXPECT_EQ(t.wHour, e.wHour) << c.what;
        EXPECT_EQ(t.wMinute, e.wMinute) << c.what;
        EXPECT_EQ(t.wSecond, e.wSecond) << c.what;
        EXPECT_EQ(t.wMilliseconds, 0) << c.what;
    }
}

TEST(VariantTime, RejectsWhatWin32Rejects)
{
    const double cases[] = {
        -657435.0,      // 0099-12-31
        2958465.999995, // rounds up to the year 10000
        2958466.0,
        std::numeric_limits<double>::infinity(),
        -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN(),
        1e300,
    };
    for (double date : cases) {
        SystemTime t;
        EXPECT_FALSE(VariantTimeToSystemTime(date, &t)) << date;
    }
    EXPECT_FALSE(VariantTimeToSystemTime(0.0, nullptr));

    const SystemTime bad[] = {
        {99, 12, 0, 31, 0, 0, 0, 0},  {10000, 1, 0, 1, 0, 0, 0, 0}, {2008, 0, 0, 1, 0, 0, 0, 0},
        {2008, 13, 0, 1, 0, 0, 0, 0}, {2008, 2, 0, 30, 0, 0, 0, 0}, {1900, 2, 0, 29, 0, 0, 0, 0},
        {2008, 3, 0, 0, 0, 0, 0, 0},  {2008, 3, 0, 5, 24, 0, 0, 0}, {2008, 3, 0, 5, 0, 60, 0, 0},
        {2008, 3, 0, 5, 0, 0, 60, 0},
    };
    for (const SystemTime& t : bad) {
        double date = 7.0;
        EXPECT_FALSE(SystemTimeToVariantTime(t, &date)) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
        EXPECT_EQ(date, 7.0);
    }
}

TEST(VariantTime, FromCalendarFields)
{
    struct Case
    {
        SystemTime time;
        double expected;
    };
    const Case cases[] = {
        {{1899, 12, 0, 30, 0, 0, 0, 0}, 0.0},      {{1899, 12, 0, 29, 6, 0, 0, 0}, -1.25},
        {{1899, 12, 0, 29, 0, 0, 0, 0}, -1.0},     {{2008, 3, 0, 5, 12, 0, 0, 0}, 39512.5},
        {{2008, 3, 0, 5, 12, 0, 0, 999}, 39512.5}, // milliseconds are dropped
        {{100, 1, 0, 1, 0, 0, 0, 0}, -657434.0},   {{9999, 12, 0, 31, 0, 0, 0, 0}, 2958465.0},
    };
    for (const Case& c : cases) {
        double date = 0.0;
        ASSERT_TRUE(SystemTimeToVariantTime(c.time, &date));
        EXPECT_EQ(date, c.expected) << c.time.wYear << "-" << c.time.wMonth << "-" << c.time.wDay;
    }
}

TEST(VariantTime, RoundTripsEverySecondOfSampleDays)
{
    const double days[] = {-657434, -1, 0, 1, 59, 60, 61, k20080305, 2958465};
    for (double day : days) {
        for (int second = 0; second < 86400; second += 7) {
            SystemTime t;
            t.wYear = 0;
            ASSERT_TRUE(VariantTimeToSystemTime(day < 0 ? day - second / 86400.0 : day + second / 86400.0, &t));
            EXPECT_EQ(t.wHour * 3600 + t.wMinute * 60 + t.wSecond, second) << day;
            double back = 0.0;
            ASSERT_TRUE(SystemTimeToVariantTime(t, &back));
            SystemTime again;
            ASSERT_TRUE(VariantTimeToSystemTime(back, &again));
            EXPECT_TRUE(std::memcmp(&t, &again, sizeof t) == 0) << day << " " << second;
        }
    }
}

// Every day Win32 takes, against the standard library's calendar.
TEST(VariantTime, EveryDayMatchesTheStandardCalendar)
{
    using namespace std::chrono;
    const sys_days epoch = sys_days{year{1899} / December / 30};
    for (int n = -657434; n <= 2958465; ++n) {
        SystemTime t;
        ASSERT_TRUE(VariantTimeToSystemTime(n, &t)) << n;
        const sys_days when = epoch + days{n};
        const year_month_day ymd{when};
        const bool same = int(ymd.year()) == t.wYear && unsigned(ymd.month()) == t.wMonth &&
                          unsigned(ymd.day()) == t.wDay && weekday{when}.c_encoding() == t.wDayOfWeek;
        ASSERT_TRUE(same) << n << ": " << t.wYear << "-" << t.wMonth << "-" << t.wDay << " dow " << t.wDayOfWeek;
        double back = 0.0;
        ASSERT_TRUE(SystemTimeToVariantTime(t, &back));
        ASSERT_EQ(back, n);
    }
}

TEST(CxDateTimeNow, AgreesWithItsOwnFields)
{
    const CxDateTime now;
    ASSERT_TRUE(now.IsValid());
    EXPECT_GE(now.GetSystemTime().wYear, 2020);
    SystemTime back;
    ASSERT_TRUE(VariantTimeToSystemTime(now.GetVariantTime(), &back));
    const SystemTime& t = now.GetSystemTime();
    EXPECT_EQ(back.wYear, t.wYear);
    EXPECT_EQ(back.wMonth, t.wMonth);
    EXPECT_EQ(back.wDay, t.wDay);
    EXPECT_EQ(back.wDayOfWeek, t.wDayOfWeek);
    EXPECT_EQ(back.wHour * 3600 + back.wMinute * 60 + back.wSecond, t.wHour * 3600 + t.wMinute * 60 + t.wSecond);
}

TEST(CxDateTimeValue, SetVariantTimeReplacesTheValue)
{
    CxDateTime moment(At(k20080305, 14, 7, 9));
    moment.SetVariantTime(std::nan(""));
    EXPECT_FALSE(moment.IsValid());
    moment.SetVariantTime(k19310101);
    EXPECT_TRUE(moment.IsValid());
    EXPECT_EQ(moment.GetVariantTime(), k19310101);
    char text[32];
    moment.FormatDateTime(text, sizeof text);
    EXPECT_STREQ(text, "01/01/1931 00:00:00");
}

} // namespace
