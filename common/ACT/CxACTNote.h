#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTNoteKind
{
    using Record = NoteRecord;
    static constexpr ACTKindInfo kInfo{ACTKind::Note,       "Corvane.ACTNoteUtil", "ACTNote.dat", "ACTNoteErr.dat",
                                       "ACTNoteStatus.dat", "ACTNoteParam.dat",    "ACTNote.ini"};
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
