#pragma once

#include "ACT/ACTRecords.h"
#include "ACT/CommMgr.h"
#include "misc/CxList.h"

#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

struct AppSettingsData;

// The grouping pass: in each kind, the first record of every set of equal records stays, and every later
// equal record is flagged DUP_GROUPED and listed in the kind's deletion list, in load order, group by
// group in the order of each group's first record. It works on the kind's manager (the records in load
// order) and a deletion list that the caller owns; a missing manager or list makes it do nothing. Records
// are equal under the rules of the settings the caller passes (see DupRules.h).

// Record access through the manager. A walk ends at the first entry without a record. Each record
// reached remembers its entry in pCursorEntry, so SeekRecord can put the cursor back on it.
template <class Record>
Record* FirstRecord(CommEntryMgr<CommEntry<Record>>* manager);
template <class Record>
Record* NextRecord(CommEntryMgr<CommEntry<Record>>* manager);
template <class Record>
void SeekRecord(CommEntryMgr<CommEntry<Record>>* manager, Record* record);

// Regroups the kind in time linear in the number of records. False when the manager or list is missing.
// When `kept` is given it receives, for each listed duplicate in list order, the record that stays (the
// kind comes from the manager alone, so a null `kept` needs no cast).
template <class Record>
bool FindDuplicates(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList,
                    std::type_identity_t<std::vector<Record*>>* kept, const AppSettingsData& settings);

// Flags and lists every later record equal to `record`. False for a null record or one already flagged.
template <class Record>
bool CollectDuplicatesOf(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList, Record* record,
                         const AppSettingsData& settings);

// The same result as FindDuplicates by comparing every pair; kept as the reference the fast pass is
// tested against.
template <class Record>
bool FindDuplicatesPairwise(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList, const AppSettingsData& settings);

// The kind's predicate.
template <class Record>
bool RecordsMatch(const Record* a, const Record* b, const AppSettingsData& settings);

// The groups of the last grouping pass, rebuilt from the deletion list and the records that stay (the
// `kept` of FindDuplicates, one per listed duplicate in list order): each group is the record that stays
// followed by its copies. Records listed after the grouped ones (ticked in the full view) add no group.
// Which member stays can be changed afterwards, at the cost of the group's size.
class DupGroups
{
public:
    DupGroups() = default;
    DupGroups(CxList* dupList, const std::vector<const void*>& kept);

    // The members of the record's group, the one that stays first; empty for a record in no group.
    std::span<const void* const> GroupOf(const void* record) const;
    // The record that stays in the record's group (the record itself when it stays); null when in none.
    const void* KeptOf(const void* record) const;
    // Makes `record` the one that stays in its group; the one that stayed until now takes its place
    // among the copies and is returned. Null, with nothing changed, for a record in no group or one that
    // stays already.
    const void* KeepInstead(const void* record);

    std::size_t GroupCount() const { return m_starts.empty() ? 0 : m_starts.size() - 1; }
    std::span<const void* const> Group(std::size_t index) const;

private:
    // The group of a record, or none.
    const std::uint32_t* FindGroup(const void* record) const;

    std::vector<const void*> m_members;  // group after group
    std::vector<std::uint32_t> m_starts; // where each group begins in m_members, then the end
    // Every member and its group, by address: sorted once, searched by halves. Cheaper to build than a
    // hash table for the hundreds of thousands of copies of a large load.
    std::vector<std::pair<const void*, std::uint32_t>> m_groupOf;
};
