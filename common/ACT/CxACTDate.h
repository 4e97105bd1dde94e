#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTDateKind
{
    using Record = CalendarRecord;
    static constexpr ACTKindInfo kInfo{
        .kind = ACTKind::Date,
        .helperName = "Corvane.ACTDateUtil",
        .dataFile = "ACTDate.dat",
        .errorFile = "ACTDateErr.dat",
        .statusFile = "ACTDateStatus.dat",
        .paramFile = "ACTDateParam.dat",
        .runStateFile = "ACTDate.ini",
    };
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
