#pragma once

#include "core/Apputil.h"

#include <cstddef>
#include <cstdint>

struct ContactRecord;
struct CalendarRecord;
struct TaskRecord;
struct NoteRecord;
enum class FieldType;

// When two records of a kind are duplicates: every field group whose flag is on in the settings the
// caller passes holds equal values in both. Texts compare byte for byte, folding only the ASCII letters
// when CaseSensitive is off; dates and integers compare exactly. Nothing allocates. The rules never read
// the program's global settings: what a pass finds depends on the settings its caller hands it and on
// nothing a window may change meanwhile.
//
// The "Also count as equal" options of the settings widen what equal texts are: each compared text is read
// in a canonical form (punctuation dropped, then blanks trimmed and collapsed, then phone digits kept,
// then e-mail case folded), and two texts are equal when their canonical forms are equal under the case
// rule. Which options reach a field is part of its rule. With every option off, texts compare as above.

// The options as bits.
enum NearMatch : unsigned
{
    NEAR_BLANKS = 1, // MatchBlanks: leading and trailing blanks ignored, inner runs count as one space
    NEAR_PUNCT = 2,  // MatchPunct: . , ' and - ignored in names and company
    NEAR_PHONE = 4,  // MatchPhone: phone fields compare by their ASCII digits
    NEAR_EMAIL = 8,  // MatchEmail: e-mail addresses compare without regard to ASCII case
};

// The options switched on in the settings.
inline unsigned NearMatchOptions(const AppSettingsData& s)
{
    return (s.MatchBlanks ? NEAR_BLANKS : 0u) | (s.MatchPunct ? NEAR_PUNCT : 0u) | (s.MatchPhone ? NEAR_PHONE : 0u) |
           (s.MatchEmail ? NEAR_EMAIL : 0u);
}

// 0 when equal under the case rule of the settings; otherwise the sign of the first difference.
std::int32_t CompareText(const char* a, const char* b, const AppSettingsData& settings);

// The same for texts read in their canonical form under `options` (those that reach the field); with
// none, CompareText. E-mail case folds whatever the case rule says.
std::int32_t CompareTextAs(const char* a, const char* b, unsigned options, const AppSettingsData& settings);

bool ContactsEqual(const ContactRecord* a, const ContactRecord* b, const AppSettingsData& settings);
bool EventsEqual(const CalendarRecord* a, const CalendarRecord* b, const AppSettingsData& settings);
bool TasksEqual(const TaskRecord* a, const TaskRecord* b, const AppSettingsData& settings);
bool NotesEqual(const NoteRecord* a, const NoteRecord* b, const AppSettingsData& settings);

// The rules of a kind as data: field groups in the order they are tested, each switched by a flag of
// the settings (none: always compared). The predicates above and the grouping pass's hash share them, so
// the two can never disagree on which fields count.
struct RuleField
{
    FieldType type;
    std::size_t offset;
    unsigned reachedBy; // the NearMatch options that reach the field
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

// A kind's rules under one set of settings: which groups are compared, the case rule and the options,
// read from the settings once. A pass over a large load binds once and compares and hashes with the
// result, so its inner loops read nothing of the settings; the result is a plain value and stays valid
// whatever happens to the settings it was made from.
struct BoundRules
{
    const RuleTable* table;
    std::uint32_t groupsOn; // bit g set: table->groups[g] is compared
    bool caseSensitive;
    unsigned options; // NearMatch

    bool GroupOn(std::size_t g) const { return (groupsOn >> g) & 1u; }
};

BoundRules BindRules(const RuleTable& rules, const AppSettingsData& settings);

bool RecordsEqual(const BoundRules& rules, const void* a, const void* b);
bool RecordsEqual(const RuleTable& rules, const void* a, const void* b, const AppSettingsData& settings);

// One field of two records, compared as the rules compare it under the case rule of the settings, with
// `options` of NearMatch (those that do not reach the field are left aside).
bool RuleFieldEqual(const RuleField& field, const void* a, const void* b, unsigned options,
                    const AppSettingsData& settings);

// A hash of the fields the rules compare, read in the form they are compared in, so that records equal
// under the rules hash alike. False when the record can equal no record at all (a compared date that is
// not a number).
bool HashRecord(const BoundRules& rules, const void* record, std::uint64_t* hash);
bool HashRecord(const RuleTable& rules, const void* record, std::uint64_t* hash, const AppSettingsData& settings);
