#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTAddrKind
{
    using Record = ContactRecord;
    static constexpr ACTKindInfo kInfo{
        .kind = ACTKind::Addr,
        .helperName = "Corvane.ACTAddrUtil",
        .dataFile = "ACTAddr.dat",
        .errorFile = "ACTAddrErr.dat",
        .statusFile = "ACTAddrStatus.dat",
        .paramFile = "ACTAddrParam.dat",
        .runStateFile = "ACTAddr.ini",
    };
    static constexpr bool kLogBeforeClear = true;
    static constexpr bool kWriteCountBeforeLog = false;
    static void Log(ACTLogEvent event, const char* text = nullptr, int number = 0, const char* detail = nullptr);
};

extern template class CxACTRecordUtil<ACTAddrKind>;

class CxACTAddrUtil : public CxACTRecordUtil<ACTAddrKind>
{
public:
    CxACTAddrUtil() = default;
};
