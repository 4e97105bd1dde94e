#pragma once

#include "misc/CxChunkStore.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct ContactRecord;
struct CalendarRecord;
struct TaskRecord;
struct NoteRecord;

// One entry per loaded record, in load order. An entry owns its payload only when nPayloadSize is not
// 0 (a copy made with malloc and released with free). The loaders link records that their data utility
// owns, so no manager of this program ever releases a record.
template <class Record>
struct CommEntry
{
    Record* pPayload;
    std::uint32_t nPayloadSize;
};

using CommAddr = CommEntry<ContactRecord>;
using CommDate = CommEntry<CalendarRecord>;
using CommTask = CommEntry<TaskRecord>;
using CommNote = CommEntry<NoteRecord>;

// The ordered collection of a kind's entries, with one cursor shared by every walk. The entries are
// allocated in chunks: adding a loaded record's entry allocates nothing of its own.
template <class Entry>
class CommEntryMgr
{
public:
    CommEntryMgr() = default;
    ~CommEntryMgr() { RemoveAllEntries(); }
    CommEntryMgr(const CommEntryMgr&) = delete;
    CommEntryMgr& operator=(const CommEntryMgr&) = delete;

    // Stores a copy (and a copy of an owned payload); the copy becomes current. Null when out of memory.
    Entry* AddEntry(const Entry* pEntry);
    // Takes the entry out of the walk; the cursor moves to the entry that followed it.
    bool RemoveEntry(Entry* pEntry);
    void RemoveAllEntries();

    Entry* GetFirstEntry();
    // Null at the end, where the cursor stays on the last entry.
    Entry* GetNextEntry();
    std::uint32_t GetEntryCount() const { return static_cast<std::uint32_t>(m_order.size()); }
    // False, with the cursor where it was, for an entry the manager does not hold.
    bool SetCurrentEntry(Entry* pEntry);
    // Once no entry is to come for a while: memory kept for entries to come goes back to the system.
    void ReleaseUnused() { m_entries.ReleaseUnused(); }

private:
    static void ReleasePayload(Entry* pEntry);
    // The position of an entry in the walk, or the entry count when it is not held.
    std::size_t IndexOf(const Entry* pEntry) const;

    // Storage of every entry added since the last RemoveAllEntries, removed ones included.
    CxChunkStore<Entry> m_entries;
    // The entries held, in order.
    std::vector<Entry*> m_order;
    std::size_t m_current = 0;
};

using CommAddrMgr = CommEntryMgr<CommAddr>;
using CommDateMgr = CommEntryMgr<CommDate>;
using CommTaskMgr = CommEntryMgr<CommTask>;
using CommNoteMgr = CommEntryMgr<CommNote>;

extern template class CommEntryMgr<CommAddr>;
extern template class CommEntryMgr<CommDate>;
extern template class CommEntryMgr<CommTask>;
extern template class CommEntryMgr<CommNote>;
