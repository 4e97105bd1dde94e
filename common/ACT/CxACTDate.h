#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTDateKind
{
    using Record = CalendarRecord;
    static constexpr ACTKindInfo kInfo{ACTKind::Date,       "Corvane.ACTDateUtil", "ACTDate.dat", "ACTDateErr.dat",
                                       "ACTDateStatus.dat", "ACTDateParam.dat",    "ACTDate.ini"};
    static constexpr bool kLogBeforeClear = true;
    static constexpr bool kWriteCountBeforeLog = true;
    static void Log(ACTLogEvent event, const char* text = nullptr, int number = 0, const char* detail = nullptr);
};

extern template class CxACTRecordUtil<ACTDateKind>;

class CxACTDateUtil : public CxACTRecordUtil<ACTDateKind>
{
public:
    CxACTDateUtil() = default;
};
