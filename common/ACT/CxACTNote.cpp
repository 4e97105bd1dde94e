#include "ACT/CxACTNote.h"

#include "ACT/CxACTRecordUtilImpl.h"
#include "misc/CxDebugUtil.h"

template class CxACTRecordUtil<ACTNoteKind>;

void ACTNoteKind::Log(ACTLogEvent event, [[maybe_unused]] const char* text, [[maybe_unused]] int number,
                      [[maybe_unused]] const char* detail)
{
    switch (event) {
    case ACTLogEvent::LoadStart:
        DEBUG_LOG(2, "Start loading ACT! Notes.");
        break;
    case ACTLogEvent::LoadSuccess:
        DEBUG_LOG(2, "Load ACT! Notes information successfully.");
        break;
    case ACTLogEvent::LoadFailure:
        DEBUG_LOG(0, "Failed to load ACT! Notes information.");
        break;
    case ACTLogEvent::SubmitWriteFailed:
        DEBUG_LOG(0, "Can not save information to temperary file.");
        break;
    case ACTLogEvent::ReadStart:
        DEBUG_LOG(2, "Start loading ACT! Notes information from temperary file: %s", text);
        break;
    case ACTLogEvent::ReadOpenFailed:
        DEBUG_LOG(0, "Cannot load ACT! Notes records from temperary file: %s", text);
        break;
    case ACTLogEvent::ReadFailed:
        DEBUG_LOG(0, "Cannot load ACT! Notes records from temperary file: %s (%s)", text, detail);
        break;
    case ACTLogEvent::WriteOpenFailed:
        DEBUG_LOG(0, "Cannot save ACT! Notes records to temperary file: %s", text);
        break;
    case ACTLogEvent::WriteFailed:
        DEBUG_LOG(0, "Cannot save ACT! Notes records to temperary file: %s", text);
        break;
    case ACTLogEvent::SubmitStart:
    case ACTLogEvent::SubmitNothingPending:
    case ACTLogEvent::ReadCount:
    case ACTLogEvent::ReadDone:
    case ACTLogEvent::WriteStart:
    case ACTLogEvent::WriteCount:
    case ACTLogEvent::WriteDone:
        break;
    }
}
