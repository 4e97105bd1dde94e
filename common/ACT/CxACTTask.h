#pragma once

#include "ACT/CxACTRecordUtil.h"

struct ACTTaskKind
{
    using Record = TaskRecord;
    static constexpr ACTKindInfo kInfo{
        .kind = ACTKind::Task,
        .helperName = "Corvane.ACTTaskUtil",
        .dataFile = "ACTTask.dat",
        .errorFile = "ACTTaskErr.dat",
        .statusFile = "ACTTaskStatus.dat",
        .paramFile = "ACTTaskParam.dat",
        .runStateFile = "ACTTask.ini",
    };
    static constexpr bool kLogBeforeClear = false;
    static constexpr bool kWriteCountBeforeLog = false;
    static void Log(ACTLogEvent event, const char* text = nullptr, int number = 0, const char* detail = nullptr);
};

extern template class CxACTRecordUtil<ACTTaskKind>;

class CxACTTaskUtil : public CxACTRecordUtil<ACTTaskKind>
{
public:
    CxACTTaskUtil() = default;

    // Whether the helper also delivers opportunities, and their notes.
    void SetOpp(bool on) { Opp = on; }
    void SetOppNotes(bool on) { OppNotes = on; }
    bool GetOpp() const { return Opp; }
    bool GetOppNotes() const { return OppNotes; }

protected:
    void SetKindParams(CxACTParamParser& parser) override;

private:
    bool Opp = false;
    bool OppNotes = false;
};
