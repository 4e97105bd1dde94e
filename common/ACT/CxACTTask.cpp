#include "ACT/CxACTTask.h"

#include "ACT/CxACTParamParser.h"
#include "ACT/CxACTRecordUtilImpl.h"
#include "misc/CxDebugUtil.h"

template class CxACTRecordUtil<ACTTaskKind>;

void ACTTaskKind::Log(ACTLogEvent event, [[maybe_unused]] const char* text, [[maybe_unused]] int number,
                      [[maybe_unused]] const char* detail)
{
    switch (event) {
    case ACTLogEvent::LoadStart:
        DEBUG_LOG(2, "Start loading ACT! Todos and Opportunities.");
        break;
    case ACTLogEvent::LoadSuccess:
        DEBUG_LOG(2, "Load ACT! Todos and Opportunities information successfully.");
        break;
    case ACTLogEvent::LoadFailure:
        DEBUG_LOG(0, "Failed to load ACT! Todos and Opportunities information.");
        break;
    case ACTLogEvent::SubmitWriteFailed:
        DEBUG_LOG(0, "Can not save information to temperary file.");
        break;
    case ACTLogEvent::ReadStart:
        DEBUG_LOG(2, "Start loading ACT! Todos and Opportunities information from temperary file: %s", text);
        break;
    case ACTLogEvent::ReadOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::ReadCount:
        DEBUG_LOG(2, "There are %d records in total.", number);
        break;
    case ACTLogEvent::ReadFailed:
        DEBUG_LOG(0, "Failed to read file: %s (%s)", text, detail);
        break;
    case ACTLogEvent::WriteStart:
        DEBUG_LOG(2, "Start saving ACT! Todos and Opportunities information to file: %s", text);
        break;
    case ACTLogEvent::WriteOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::WriteCount:
        DEBUG_LOG(2, "There are %d records in total.", number);
        break;
    case ACTLogEvent::WriteDone:
        DEBUG_LOG(2, "Save ACT! Todos and Opportunities information to file successfully.");
        break;
    case ACTLogEvent::WriteFailed:
        DEBUG_LOG(0, "Failed to write file: %s", text);
        break;
    case ACTLogEvent::SubmitStart:
    case ACTLogEvent::SubmitNothingPending:
    case ACTLogEvent::ReadDone:
        break;
    }
}

void CxACTTaskUtil::SetKindParams(CxACTParamParser& parser)
{
    parser.SetParam(PARAM_OPP, PARAM_TYPE_TEXT, Opp ? "1" : "0");
    parser.SetParam(PARAM_OPP_NOTES, PARAM_TYPE_TEXT, OppNotes ? "1" : "0");
}
