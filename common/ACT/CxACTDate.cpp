#include "ACT/CxACTDate.h"

#include "ACT/CxACTRecordUtilImpl.h"
#include "misc/CxDebugUtil.h"

template class CxACTRecordUtil<ACTDateKind>;

void ACTDateKind::Log(ACTLogEvent event, [[maybe_unused]] const char* text, [[maybe_unused]] int number,
                      [[maybe_unused]] const char* detail)
{
    switch (event) {
    case ACTLogEvent::LoadStart:
        DEBUG_LOG(2, "Start loading ACT! Calendar Events.");
        break;
    case ACTLogEvent::LoadSuccess:
        DEBUG_LOG(2, "Load ACT! Calendar events information successfully.");
        break;
    case ACTLogEvent::LoadFailure:
        DEBUG_LOG(0, "Failed to load ACT! Calendar events information.");
        break;
    case ACTLogEvent::SubmitWriteFailed:
        DEBUG_LOG(0, "Can not save information to temperary file.");
        break;
    case ACTLogEvent::ReadStart:
        DEBUG_LOG(2, "Start loading ACT! Calendar events information from temperary file: %s", text);
        break;
    case ACTLogEvent::ReadOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::ReadCount:
        DEBUG_LOG(2, "There are %d Calendar event records in total.", number);
        break;
    case ACTLogEvent::ReadDone:
        DEBUG_LOG(2, "Load ACT! Calendar event information from file successfully.");
        break;
    case ACTLogEvent::ReadFailed:
        DEBUG_LOG(0, "Failed to read file: %s (%s)", text, detail);
        break;
    case ACTLogEvent::WriteStart:
        DEBUG_LOG(2, "Start saving ACT! Calendar events information to file: %s", text);
        break;
    case ACTLogEvent::WriteOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::WriteCount:
        DEBUG_LOG(2, "There are %d Calendar event records in total.", number);
        break;
    case ACTLogEvent::WriteDone:
        DEBUG_LOG(2, "Save ACT! Calendar event information to file successfully.");
        break;
    case ACTLogEvent::WriteFailed:
        DEBUG_LOG(0, "Failed to write file: %s", text);
        break;
    case ACTLogEvent::SubmitStart:
    case ACTLogEvent::SubmitNothingPending:
        break;
    }
}
