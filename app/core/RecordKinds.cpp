#include "core/RecordKinds.h"

#include "ACT/ACTRecords.h"
#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "core/DupRules.h"

namespace {

const RecordKindInfo kKinds[kRecordKindCount] = {
    {RecordKind::Contacts, KIND_ADDR, ACTAddrKind::kInfo, "Contacts", "contacts", "contact",
     "Loading ACT! Contacts...", ContactRules, ContactFields},
    {RecordKind::Calendar, KIND_DATE, ACTDateKind::kInfo, "Calendar", "calendar", "calendar",
     "Loading ACT! Calendar...", EventRules, CalendarFields},
    {RecordKind::Tasks, KIND_TASK, ACTTaskKind::kInfo, "Todos and Opportunities", "tasks", "task",
     "Loading ACT! Tasks...", TaskRules, TaskFields},
    {RecordKind::Notes, KIND_NOTE, ACTNoteKind::kInfo, "Notes", "notes", "note", "Loading ACT! Notes...", NoteRules,
     NoteFields},
};

} // namespace

const RecordKindInfo& KindInfo(RecordKind kind)
{
    return kKinds[KindIndex(kind)];
}

std::optional<RecordKind> KindOfWord(std::string_view word)
{
    for (const RecordKindInfo& info : kKinds)
        if (word == info.word)
            return info.kind;
    return std::nullopt;
}
