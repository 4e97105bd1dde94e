#include "ACT/CxACTAddr.h"

#include "ACT/CxACTRecordUtilImpl.h"
#include "misc/CxDebugUtil.h"

template class CxACTRecordUtil<ACTAddrKind>;

void ACTAddrKind::Log(ACTLogEvent event, [[maybe_unused]] const char* text, [[maybe_unused]] int number,
                      [[maybe_unused]] const char* detail)
{
    switch (event) {
    case ACTLogEvent::LoadStart:
        DEBUG_LOG(2, "Start loading ACT! Contacts.");
        break;
    case ACTLogEvent::LoadSuccess:
        DEBUG_LOG(2, "Load ACT! Contacts information successfully.");
        break;
    case ACTLogEvent::LoadFailure:
        DEBUG_LOG(0, "Failed to load ACT! Contacts information.");
        break;
    case ACTLogEvent::SubmitStart:
        DEBUG_LOG(2, "Start submitting changes to server.");
        break;
    case ACTLogEvent::SubmitNothingPending:
        DEBUG_LOG(2, "There is no new changes and no need to submit information to server.");
        break;
    case ACTLogEvent::SubmitWriteFailed:
        DEBUG_LOG(0, "Can not save information to temperary file.");
        break;
    case ACTLogEvent::ReadStart:
        DEBUG_LOG(2, "Start loading ACT! Contacts from temperary file: %s", text);
        break;
    case ACTLogEvent::ReadOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::ReadCount:
        DEBUG_LOG(2, "There are %d Contact records in total.", number);
        break;
    case ACTLogEvent::ReadDone:
        DEBUG_LOG(2, "Load ACT! Contacts information from file successfully.");
        break;
    case ACTLogEvent::ReadFailed:
        DEBUG_LOG(0, "Failed to read file: %s (%s)", text, detail);
        break;
    case ACTLogEvent::WriteStart:
        DEBUG_LOG(2, "Start saving ACT! Contacts information to file: %s", text);
        break;
    case ACTLogEvent::WriteOpenFailed:
        DEBUG_LOG(0, "Failed to open file: %s", text);
        break;
    case ACTLogEvent::WriteCount:
        DEBUG_LOG(2, "There are %d Contact records in total.", number);
        break;
    case ACTLogEvent::WriteDone:
        DEBUG_LOG(2, "Save ACT! Contacts information to file successfully.");
        break;
    case ACTLogEvent::WriteFailed:
        DEBUG_LOG(0, "Failed to write file: %s", text);
        break;
    }
}
