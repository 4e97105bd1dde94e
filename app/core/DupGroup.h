#pragma once

#include "ACT/ACTRecords.h"
#include "core/CommMgr.h"
#include "misc/CxList.h"

#include <unordered_map>
#include <vector>

// The grouping pass: in each kind, the first record of every set of equal records stays, and every later
// equal record is flagged DUP_GROUPED and listed in the kind's deletion list, in load order, group by
// group in the order of each group's first record. It works on the kind's manager (the records in load
// order) and a deletion list that the caller owns; a missing manager or list makes it do nothing.

// Record access through the manager. A walk ends at the first entry without a record. Each record
// reached remembers its entry in pCursorEntry, so SeekRecord can put the cursor back on it.
template <class Record>
Record* FirstRecord(CommEntryMgr<CommEntry<Record>>* manager);
template <class Record>
Record* NextRecord(CommEntryMgr<CommEntry<Record>>* manager);
template <class Record>
void SeekRecord(CommEntryMgr<CommEntry<Record>>* manager, Record* record);

// Regroups the kind in time linear in the number of records. False when the manager or list is missing.
// When `kept` is given it receives, for each listed duplicate in list order, the record that stays.
template <class Record>
bool FindDuplicates(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList,
                    std::vector<Record*>* kept = nullptr);

// Flags and lists every later record equal to `record`. False for a null record or one already flagged.
template <class Record>
bool CollectDuplicatesOf(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList, Record* record);

// The same result as FindDuplicates by comparing every pair; kept as the reference the fast pass is
// tested against.
template <class Record>
bool FindDuplicatesPairwise(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList);

// The kind's predicate.
template <class Record>
bool RecordsMatch(const Record* a, const Record* b);

// The groups of the last grouping pass, rebuilt from the deletion list and the records that stay (the
// `kept` of FindDuplicates, one per listed duplicate in list order): each group is its first record
// followed by its duplicates in list order. Records listed after the grouped ones (ticked in the full
// view) add no group.
class DupGroups
{
public:
    DupGroups(CxList* dupList, const std::vector<const void*>& kept);

    // The members of the record's group, its first record first; null for a record in no group.
    const std::vector<const void*>* GroupOf(const void* record) const;
    const std::vector<std::vector<const void*>>& All() const { return m_groups; }

private:
    std::vector<std::vector<const void*>> m_groups;
    std::unordered_map<const void*, std::size_t> m_groupOf;
};
