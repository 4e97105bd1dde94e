#include "core/DateText.h"

#include "misc/CxDateTime.h"
#include "misc/WinUtil.h"

#include <cstdio>

namespace {

// Room for the longest text: a number in "%.17g".
constexpr std::size_t kTextSize = 64;

} // namespace

std::string DateText(double date)
{
    char text[kTextSize];
    CxDateTime(date).FormatDate(text, sizeof text);
    return text;
}

std::string TimeText(double date)
{
    char text[kTextSize];
    CxDateTime(date).FormatTime(text, sizeof text);
    return text;
}

std::string DateTimeText(double date)
{
    char text[kTextSize];
    CxDateTime(date).FormatDateTime(text, sizeof text);
    return text;
}

std::string DateTextOrNA(double date)
{
    char text[kTextSize];
    FormatVariantDate(date, text, sizeof text);
    return text;
}

std::string TimeTextOrNA(double date)
{
    char text[kTextSize];
    FormatVariantTime(date, text, sizeof text);
    return text;
}

std::string IsoDateText(double date)
{
    if (date == 0)
        return std::string();
    SystemTime time;
    char text[kTextSize];
    if (!VariantTimeToSystemTime(date, &time)) {
        std::snprintf(text, sizeof text, "%.17g", date);
        return text;
    }
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond);
    return text;
}
