#include "misc/CxDateTime.h"

#include "platform/Platform.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr long long kSecondsPerDay = 86400;
// Day 0 of an OLE date, 1899-12-30, counted from 1970-01-01.
constexpr long long kOleEpochFromUnix = -25569;
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;
// The days before it stand for no date, never for a day of the calendar.
constexpr int kFirstShownYear = 1900;

// Proleptic Gregorian calendar on whole days since 1970-01-01 (H. Hinnant's algorithms).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<long long>(yoe) + era * 400 + (m <= 2);
}

// 0 = Sunday.
unsigned WeekdayFromDays(long long z)
{
    return static_cast<unsigned>(z >= -4 ? (z + 4) % 7 : (z + 5) % 7 + 6);
}

bool IsLeapYear(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

} // namespace

bool VariantTimeToSystemTime(double date, SystemTime* time)
{
    if (!time || !std::isfinite(date))
        return false;
    // Keeps the integer conversions below in range; the year test decides the exact bounds.
    if (date < -700000.0 || date > 3000000.0)
        return false;

    // The whole days count back for a negative value, but the fraction always runs forward from
    // midnight. Taking the whole part off a double is exact, so only the multiplication rounds.
    const double whole = std::trunc(date);
    const double fraction = std::fabs(date - whole);
    const long long seconds = std::llround(fraction * static_cast<double>(kSecondsPerDay));

    // A time that rounds up to 24:00:00 is midnight of the next day.
    const long long day = static_cast<long long>(whole) + seconds / kSecondsPerDay;
    const long long secondOfDay = seconds % kSecondsPerDay;

    long long year = 0;
    unsigned month = 0;
    unsigned dayOfMonth = 0;
    const long long unixDay = day + kOleEpochFromUnix;
    CivilFromDays(unixDay, year, month, dayOfMonth);
    if (year < kMinYear || year > kMaxYear)
        return false;

    time->wYear = static_cast<std::uint16_t>(year);
    time->wMonth = static_cast<std::uint16_t>(month);
    time->wDayOfWeek = static_cast<std::uint16_t>(WeekdayFromDays(unixDay));
    time->wDay = static_cast<std::uint16_t>(dayOfMonth);
    time->wHour = static_cast<std::uint16_t>(secondOfDay / 3600);
    time->wMinute = static_cast<std::uint16_t>(secondOfDay / 60 % 60);
    time->wSecond = static_cast<std::uint16_t>(secondOfDay % 60);
    time->wMilliseconds = 0;
    return true;
}

bool SystemTimeToVariantTime(const SystemTime& time, double* date)
{
    if (!date)
        return false;
    const int y = time.wYear;
    const int m = time.wMonth;
    if (y < kMinYear || y > kMaxYear || m < 1 || m > 12 || time.wDay < 1 || time.wDay > DaysInMonth(y, m) ||
        time.wHour > 23 || time.wMinute > 59 || time.wSecond > 59)
        return false;

    // Milliseconds are dropped, as Win32 does.
    const long long day = DaysFromCivil(y, static_cast<unsigned>(m), time.wDay) - kOleEpochFromUnix;
    const double fraction =
        static_cast<double>(time.wHour * 3600 + time.wMinute * 60 + time.wSecond) / static_cast<double>(kSecondsPerDay);
    *date = day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
    return true;
}

CxDateTime::CxDateTime()
{
    const platform::LocalTime now = platform::localTime();
    m_time.wYear = static_cast<std::uint16_t>(now.year);
    m_time.wMonth = static_cast<std::uint16_t>(now.month);
    m_time.wDayOfWeek = static_cast<std::uint16_t>(now.dayOfWeek);
    m_time.wDay = static_cast<std::uint16_t>(now.day);
    m_time.wHour = static_cast<std::uint16_t>(now.hour);
    m_time.wMinute = static_cast<std::uint16_t>(now.minute);
    m_time.wSecond = static_cast<std::uint16_t>(now.second);
    m_time.wMilliseconds = static_cast<std::uint16_t>(now.milliseconds);
    m_valid = SystemTimeToVariantTime(m_time, &m_date);
}

CxDateTime::CxDateTime(const double& date)
{
    SetVariantTime(date);
}

CxDateTime::~CxDateTime() = default;

void CxDateTime::SetVariantTime(double date)
{
    m_date = date;
    m_valid = VariantTimeToSystemTime(date, &m_time);
    if (!m_valid)
        m_time = SystemTime();
}

// A value that could not be converted has no calendar fields to show: every text of it is empty.

void CxDateTime::FormatDate(char* buffer, std::size_t size) const
{
    if (!buffer || size == 0)
        return;
    if (!m_valid || m_time.wYear < kFirstShownYear) {
        buffer[0] = '\0';
        return;
    }
    std::snprintf(buffer, size, "%02d/%02d/%04d", m_time.wMonth, m_time.wDay, m_time.wYear);
}

void CxDateTime::FormatTime(char* buffer, std::size_t size) const
{
    if (!buffer || size == 0)
        return;
    if (!m_valid) {
        buffer[0] = '\0';
        return;
    }
    std::snprintf(buffer, size, "%02d:%02d:%02d", m_time.wHour, m_time.wMinute, m_time.wSecond);
}

void CxDateTime::FormatDateTime(char* buffer, std::size_t size) const
{
    if (!buffer || size == 0)
        return;
    if (!m_valid) {
        buffer[0] = '\0';
        return;
    }
    char date[32];
    char time[32];
    FormatDate(date, sizeof date);
    FormatTime(time, sizeof time);
    std::snprintf(buffer, size, "%s %s", date, time);
}
