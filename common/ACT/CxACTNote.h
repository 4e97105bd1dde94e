#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTNoteKind
{
    using Record = NoteRecord;
    static constexpr ACTKindInfo kInfo{
        .kind = ACTKind::Note,
        .helperName = "Corvane.ACTNoteUtil",
        .dataFile = "ACTNote.dat",
        .errorFile = "ACTNoteErr.dat",
        .statusFile = "ACTNoteStatus.dat",
        .paramFile = "ACTNoteParam.dat",
        .runStateFile = "ACTNote.ini",
    };
    static constexpr bool kLogBeforeClear = false;
    static constexpr bool kWriteCountBeforeLog = false;
    static void Log(ACTLogEvent event, const char* text = nullptr, int number = 0, const char* detail = nullptr);
};

extern template class CxACTRecordUtil<ACTNoteKind>;

class CxACTNoteUtil : public CxACTRecordUtil<ACTNoteKind>
{
public:
    CxACTNoteUtil() = default;
};
