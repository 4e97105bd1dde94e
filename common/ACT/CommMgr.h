#pragma once

#include "misc/CxList.h"

#include <cstdint>

struct ContactRecord;
struct CalendarRecord;
struct TaskRecord;
struct NoteRecord;

// One entry per loaded record, in load order. An entry is a plain block (malloc/free); it owns its
// payload only when nPayloadSize is not 0. The loaders link records that their data utility owns, so
// no manager of this program ever releases a record.
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

// The ordered collection of a kind's entries. Its cursor is the list's cursor, shared by every walk.
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
    bool RemoveEntry(Entry* pEntry);
    void RemoveAllEntries();

    Entry* GetFirstEntry() { return static_cast<Entry*>(m_list.GetFirst()); }
    Entry* GetNextEntry() { return static_cast<Entry*>(m_list.GetNext()); }
    std::uint32_t GetEntryCount() const { return m_list.GetCount(); }
    bool SetCurrentEntry(Entry* pEntry) { return m_list.SetCurrent(pEntry); }

private:
    static void ReleaseEntry(Entry* pEntry);

    CxList m_list;
};

using CommAddrMgr = CommEntryMgr<CommAddr>;
using CommDateMgr = CommEntryMgr<CommDate>;
using CommTaskMgr = CommEntryMgr<CommTask>;
using CommNoteMgr = CommEntryMgr<CommNote>;

extern template class CommEntryMgr<CommAddr>;
extern template class CommEntryMgr<CommDate>;
extern template class CommEntryMgr<CommTask>;
extern template class CommEntryMgr<CommNote>;
