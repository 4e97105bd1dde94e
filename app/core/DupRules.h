#pragma once

#include "core/Apputil.h"

#include <cstddef>
#include <cstdint>

struct ContactRecord;
struct CalendarRecord;
struct TaskRecord;
struct NoteRecord;
enum class FieldType;

// When two records of a kind are duplicates: every field group whose flag in AppSettings is on holds
// equal values in both. The flags are read at each call. Texts compare byte for byte, folding only the
// ASCII letters when CaseSensitive is off; dates and integers compare exactly. Nothing allocates.

// 0 when equal under the case rule; otherwise the sign of the first difference.
std::int32_t CompareText(const char* a, const char* b);

bool ContactsEqual(const ContactRecord* a, const ContactRecord* b);
bool EventsEqual(const CalendarRecord* a, const CalendarRecord* b);
bool TasksEqual(const TaskRecord* a, const TaskRecord* b);
bool NotesEqual(const NoteRecord* a, const NoteRecord* b);

// The rules of a kind as data: field groups in the order they are tested, each switched by a flag of
// AppSettings (none: always compared). The predicates above and the grouping pass's hash share them, so
// the two can never disagree on which fields count.
struct RuleField
{
    FieldType type;
    std::size_t offset;
};

struct RuleGroup
{
    bool AppSettingsData::*flag;
    const RuleField* fields;
    std::size_t count;
};

struct RuleTable
{
    const RuleGroup* groups;
    std::size_t count;
};

const RuleTable& ContactRules();
const RuleTable& EventRules();
const RuleTable& TaskRules();
const RuleTable& NoteRules();

bool RecordsEqual(const RuleTable& rules, const void* a, const void* b);

// A hash of the fields the rules compare, folded like CompareText, so that records equal under the rules
// hash alike. False when the record can equal no record at all (a compared date that is not a number).
bool HashRecord(const RuleTable& rules, const void* record, std::uint64_t* hash);
