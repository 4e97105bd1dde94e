#pragma once

#include "core/DupGroup.h"
#include "core/RecordKinds.h"

#include <memory>

class CxACTAddrUtil;
class CxACTBaseUtil;
class CxACTDateUtil;
class CxACTNoteUtil;
class CxACTTaskUtil;
class CxList;

// Everything one load brought, and what the review made of it: a data utility per kind (its records and
// their grouping manager), each kind's deletion list, and the groups of the last grouping pass with the
// record that stays in each. The cleanup session owns one; the pages show it.
class LoadedData
{
public:
    LoadedData();
    ~LoadedData();
    LoadedData(const LoadedData&) = delete;
    LoadedData& operator=(const LoadedData&) = delete;

    // Fresh, empty utilities (nothing of an earlier load survives); the deletion lists come with
    // CreateLists.
    void CreateUtilities();
    void CreateLists();
    // Destroys the utilities and the lists (without touching the records the lists point at).
    void Release();

    CxACTAddrUtil* AddrUtil() const { return m_addr.get(); }
    CxACTDateUtil* DateUtil() const { return m_date.get(); }
    CxACTTaskUtil* TaskUtil() const { return m_task.get(); }
    CxACTNoteUtil* NoteUtil() const { return m_note.get(); }
    CxACTBaseUtil* Util(RecordKind kind) const;
    // Null before CreateLists and after Release.
    CxList* DupList(RecordKind kind) const { return m_lists[KindIndex(kind)].get(); }
    DupGroups& Groups(RecordKind kind) { return m_groups[KindIndex(kind)]; }
    const DupGroups& Groups(RecordKind kind) const { return m_groups[KindIndex(kind)]; }

    // Calls f with the kind's own utility (CxACTAddrUtil& and so on), which must exist.
    template <class F> decltype(auto) Visit(RecordKind kind, F&& f) const
    {
        switch (kind) {
        case RecordKind::Contacts:
            return f(*m_addr);
        case RecordKind::Calendar:
            return f(*m_date);
        case RecordKind::Tasks:
            return f(*m_task);
        default:
            return f(*m_note);
        }
    }

    // Asks the kind's helper to delete the record at the next submit. False without a utility or record.
    bool MarkForDeletion(RecordKind kind, void* record);

    // The grouping pass over the kind's records into its deletion list, and its groups. False when the
    // kind has no utility or no list.
    bool Regroup(RecordKind kind, const AppSettingsData& settings);

private:
    std::unique_ptr<CxACTAddrUtil> m_addr;
    std::unique_ptr<CxACTDateUtil> m_date;
    std::unique_ptr<CxACTTaskUtil> m_task;
    std::unique_ptr<CxACTNoteUtil> m_note;
    std::unique_ptr<CxList> m_lists[kRecordKindCount];
    DupGroups m_groups[kRecordKindCount];
};
