#pragma once

#include <cstddef>
#include <cstdint>

// The calendar fields of a Win32 SYSTEMTIME.
struct SystemTime
{
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// OLE Automation dates (days since 1899-12-30, local calendar time as it stands; a negative value
// counts whole days back and its fraction forward), rounded to the second as Win32 does. False for a
// value outside the range Win32 accepts (years 100 to 9999).
bool VariantTimeToSystemTime(double date, SystemTime* time);
bool SystemTimeToVariantTime(const SystemTime& time, double* date);

// One moment as an OLE date and as calendar fields, formatted as the program shows it everywhere:
// dates "MM/DD/YYYY", times "HH:MM:SS". The date is empty before 1900: the CRM stores no date as 0
// (1899-12-30) and a recurrence without end as 1 (1899-12-31), and neither is a day to show.
class CxDateTime
{
public:
    // The current local time.
    CxDateTime();
    explicit CxDateTime(const double& date);
    virtual ~CxDateTime();

    void SetVariantTime(double date);
    double GetVariantTime() const { return m_date; }
    const SystemTime& GetSystemTime() const { return m_time; }
    bool IsValid() const { return m_valid; }

    // Each writes at most size - 1 characters and a terminator; nothing for a null buffer or size 0.
    void FormatDate(char* buffer, std::size_t size) const;
    void FormatTime(char* buffer, std::size_t size) const;
    void FormatDateTime(char* buffer, std::size_t size) const;

private:
    double m_date = 0.0;
    SystemTime m_time;
    bool m_valid = false;
};
