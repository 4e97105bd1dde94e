#include "misc/WinUtil.h"

#include "misc/CxDateTime.h"

#include <cstdio>

namespace {

// Below this an OLE date is taken as "no date": 0 is the empty date, and negative values are not shown.
constexpr double kFirstShownDate = 0.001;

} // namespace

bool FormatVariantDate(double date, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return false;
    if (date < kFirstShownDate)
        std::snprintf(buffer, size, "N/A");
    else
        CxDateTime(date).FormatDate(buffer, size);
    return true;
}

bool FormatVariantTime(double date, char* buffer, std::size_t size)
{
    if (!buffer || size == 0)
        return false;
    if (date < kFirstShownDate)
        std::snprintf(buffer, size, "N/A");
    else
        CxDateTime(date).FormatTime(buffer, size);
    return true;
}
