#include "core/DupGroup.h"

#include "core/DupRules.h"
#include "platform/Compiler.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

template <class Record>
const RuleTable& rulesOf();
template <>
const RuleTable& rulesOf<ContactRecord>() { return ContactRules(); }
template <>
const RuleTable& rulesOf<CalendarRecord>() { return EventRules(); }
template <>
const RuleTable& rulesOf<TaskRecord>() { return TaskRules(); }
template <>
const RuleTable& rulesOf<NoteRecord>() { return NoteRules(); }

template <class Record>
Record* reach(CommEntry<Record>* entry)
{
    if (!entry || !entry->pPayload)
        return nullptr;
    entry->pPayload->pCursorEntry = entry;
    return entry->pPayload;
}

constexpr std::uint32_t kNone = 0xFFFFFFFFu;

// Hash of a group's first record -> that group, chained through Group::sameHash. Open addressing with
// linear probing; sized for at most one group per record and then at most two thirds full, which probes
// as fast as a table twice the size and takes half the memory beside the records.
class GroupIndex
{
public:
    explicit GroupIndex(std::size_t expected)
    {
        std::size_t capacity = 16;
        while (capacity < expected + expected / 2)
            capacity <<= 1;
        m_keys.resize(capacity);
        m_values.assign(capacity, kNone);
        m_mask = capacity - 1;
    }

    // The slot for the hash: its value is kNone when no group has that hash yet.
    std::uint32_t& slot(std::uint64_t hash)
    {
        std::size_t i = static_cast<std::size_t>(hash ^ (hash >> 29)) & m_mask;
        while (m_values[i] != kNone && m_keys[i] != hash)
            i = (i + 1) & m_mask;
        m_keys[i] = hash;
        return m_values[i];
    }

private:
    std::vector<std::uint64_t> m_keys;
    std::vector<std::uint32_t> m_values;
    std::size_t m_mask = 0;
};

struct Group
{
    std::uint32_t first;     // index of the record that stays
    std::uint32_t sameHash;  // next group whose first record has the same hash
    std::uint32_t headDup;   // first later member, kNone when none
    std::uint32_t tailDup;
};

} // namespace

template <class Record>
bool RecordsMatch(const Record* a, const Record* b, const AppSettingsData& settings)
{
    return RecordsEqual(rulesOf<Record>(), a, b, settings);
}

template <class Record>
Record* FirstRecord(CommEntryMgr<CommEntry<Record>>* manager)
{
    return manager ? reach(manager->GetFirstEntry()) : nullptr;
}

template <class Record>
Record* NextRecord(CommEntryMgr<CommEntry<Record>>* manager)
{
    return manager ? reach(manager->GetNextEntry()) : nullptr;
}

template <class Record>
void SeekRecord(CommEntryMgr<CommEntry<Record>>* manager, Record* record)
{
    if (manager && record && record->pCursorEntry)
        manager->SetCurrentEntry(record->pCursorEntry);
}

template <class Record>
bool CollectDuplicatesOf(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList, Record* record,
                         const AppSettingsData& settings)
{
    if (!manager || !dupList || !record || (record->DupFlags & DUP_GROUPED))
        return false;
    const BoundRules rules = BindRules(rulesOf<Record>(), settings);
    SeekRecord(manager, record);
    for (Record* other = NextRecord(manager); other; other = NextRecord(manager)) {
        if (RecordsEqual(rules, record, other)) {
            other->DupFlags |= DUP_GROUPED;
            dupList->Add(other);
        }
    }
    SeekRecord(manager, record);
    return true;
}

template <class Record>
bool FindDuplicatesPairwise(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList, const AppSettingsData& settings)
{
    if (!manager || !dupList)
        return false;
    dupList->RemoveAll(false);
    for (Record* r = FirstRecord(manager); r; r = NextRecord(manager))
        r->DupFlags &= ~DUP_GROUPED;
    for (Record* r = FirstRecord(manager); r; r = NextRecord(manager)) {
        if (!(r->DupFlags & DUP_GROUPED))
            CollectDuplicatesOf(manager, dupList, r, settings);
    }
    return true;
}

// Equality under the rules is an equivalence, so the pairwise pass lists, group by group in the order of
// each group's first record, every later member of the group in load order. The same lists come from
// one walk that files each record under the first earlier record it equals, found among the records
// with the same hash, and a second walk over the groups.
template <class Record>
bool FindDuplicates(CommEntryMgr<CommEntry<Record>>* manager, CxList* dupList,
                    std::type_identity_t<std::vector<Record*>>* kept, const AppSettingsData& settings)
{
    if (!manager || !dupList)
        return false;
    dupList->RemoveAll(false);
    if (kept)
        kept->clear();

    std::vector<Record*> records;
    records.reserve(manager->GetEntryCount());
    for (Record* r = FirstRecord(manager); r; r = NextRecord(manager)) {
        r->DupFlags &= ~DUP_GROUPED;
        records.push_back(r);
    }

    // Read once: the settings are the caller's, and the loops below compare under this copy alone.
    const BoundRules rules = BindRules(rulesOf<Record>(), settings);
    std::vector<Group> groups;
    groups.reserve(records.size());
    std::vector<std::uint32_t> nextDup(records.size(), kNone);
    GroupIndex index(records.size());

    // The compared fields of a record lie in cache lines of their own: fetch those of records a little ahead.
    std::vector<std::size_t> hotOffsets;
    for (std::size_t g = 0; g < rules.table->count; ++g) {
        if (!rules.GroupOn(g))
            continue;
        const RuleGroup& group = rules.table->groups[g];
        for (std::size_t f = 0; f < group.count; ++f)
            hotOffsets.push_back(group.fields[f].offset);
    }
    constexpr std::size_t kAhead = 8;

    for (std::uint32_t i = 0; i < records.size(); ++i) {
        if (i + kAhead < records.size()) {
            const auto* ahead = reinterpret_cast<const char*>(records[i + kAhead]);
            for (std::size_t offset : hotOffsets)
                platform::prefetch(ahead + offset);
        }
        const Record* r = records[i];
        std::uint64_t hash = 0;
        std::uint32_t* chain = nullptr;
        if (HashRecord(rules, r, &hash)) {
            chain = &index.slot(hash);
            std::uint32_t g = *chain;
            while (g != kNone && !RecordsEqual(rules, records[groups[g].first], r))
                g = groups[g].sameHash;
            if (g != kNone) {
                Group& group = groups[g];
                if (group.headDup == kNone)
                    group.headDup = i;
                else
                    nextDup[group.tailDup] = i;
                group.tailDup = i;
                continue;
            }
        }
        // A record that can equal nothing (chain == nullptr) still forms a group of its own.
        const auto g = static_cast<std::uint32_t>(groups.size());
        groups.push_back(Group{i, chain ? *chain : kNone, kNone, kNone});
        if (chain)
            *chain = g;
    }

    for (const Group& group : groups) {
        for (std::uint32_t i = group.headDup; i != kNone; i = nextDup[i]) {
            records[i]->DupFlags |= DUP_GROUPED;
            dupList->Add(records[i]);
            if (kept)
                kept->push_back(records[group.first]);
        }
    }
    return true;
}

#define VELLORAN_INSTANTIATE_GROUPING(Record)                                                                          \
    template bool RecordsMatch<Record>(const Record*, const Record*, const AppSettingsData&);                          \
    template Record* FirstRecord<Record>(CommEntryMgr<CommEntry<Record>>*);                                            \
    template Record* NextRecord<Record>(CommEntryMgr<CommEntry<Record>>*);                                             \
    template void SeekRecord<Record>(CommEntryMgr<CommEntry<Record>>*, Record*);                                       \
    template bool CollectDuplicatesOf<Record>(CommEntryMgr<CommEntry<Record>>*, CxList*, Record*,                      \
                                              const AppSettingsData&);                                                 \
    template bool FindDuplicatesPairwise<Record>(CommEntryMgr<CommEntry<Record>>*, CxList*, const AppSettingsData&);   \
    template bool FindDuplicates<Record>(CommEntryMgr<CommEntry<Record>>*, CxList*, std::vector<Record*>*,             \
                                         const AppSettingsData&);

VELLORAN_INSTANTIATE_GROUPING(ContactRecord)
VELLORAN_INSTANTIATE_GROUPING(CalendarRecord)
VELLORAN_INSTANTIATE_GROUPING(TaskRecord)
VELLORAN_INSTANTIATE_GROUPING(NoteRecord)

DupGroups::DupGroups(CxList* dupList, const std::vector<const void*>& kept)
{
    if (!dupList)
        return;
    // The pass lists the copies group by group: a new group starts where the record that stays changes.
    m_members.reserve(kept.size() * 2);
    m_groupOf.reserve(kept.size() * 2);
    std::size_t i = 0;
    for (void* record = dupList->GetFirst(); record && i < kept.size(); record = dupList->GetNext(), ++i) {
        const void* first = kept[i];
        if (i == 0 || first != kept[i - 1]) {
            m_starts.push_back(static_cast<std::uint32_t>(m_members.size()));
            m_members.push_back(first);
            m_groupOf.emplace_back(first, static_cast<std::uint32_t>(m_starts.size() - 1));
        }
        m_members.push_back(record);
        m_groupOf.emplace_back(record, static_cast<std::uint32_t>(m_starts.size() - 1));
    }
    if (!m_starts.empty())
        m_starts.push_back(static_cast<std::uint32_t>(m_members.size()));
    std::sort(m_groupOf.begin(), m_groupOf.end(),
              [](const auto& a, const auto& b) { return std::less<const void*>()(a.first, b.first); });
}

const std::uint32_t* DupGroups::FindGroup(const void* record) const
{
    const auto at = std::lower_bound(
        m_groupOf.begin(), m_groupOf.end(), record,
        [](const std::pair<const void*, std::uint32_t>& entry, const void* r) { return std::less<const void*>()(entry.first, r); });
    return at != m_groupOf.end() && at->first == record ? &at->second : nullptr;
}

std::span<const void* const> DupGroups::Group(std::size_t index) const
{
    if (index >= GroupCount())
        return {};
    return {m_members.data() + m_starts[index], m_starts[index + 1] - m_starts[index]};
}

std::span<const void* const> DupGroups::GroupOf(const void* record) const
{
    const std::uint32_t* group = FindGroup(record);
    return group ? Group(*group) : std::span<const void* const>();
}

const void* DupGroups::KeptOf(const void* record) const
{
    const auto group = GroupOf(record);
    return group.empty() ? nullptr : group.front();
}

const void* DupGroups::KeepInstead(const void* record)
{
    const std::uint32_t* group = FindGroup(record);
    if (!group)
        return nullptr;
    const void** first = m_members.data() + m_starts[*group];
    const void** end = m_members.data() + m_starts[*group + 1];
    if (*first == record)
        return nullptr;
    const void* previous = *first;
    *std::find(first + 1, end, record) = previous;
    *first = record;
    return previous;
}
