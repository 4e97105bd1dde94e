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
// record that stays in each. The main window owns one and hands it to the pages. Kinds are numbered as
// every loop visits them: 0 contacts, 1 calendar, 2 tasks, 3 notes.
class LoadedData
{
public:
    static constexpr int kKindCount = 4;

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
    CxACTBaseUtil* Util(int kind) const;
    // Null before CreateLists and after Release.
    CxList* DupList(int kind) const { return m_lists[kind].get(); }
    DupGroups& Groups(int kind) { return m_groups[kind]; }
    const DupGroups& Groups(int kind) const { return m_groups[kind]; }

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
    bool Regroup(int kind, const AppSettingsData& settings);

private:
    std::unique_ptr<CxACTAddrUtil> m_addr;
    std::unique_ptr<CxACTDateUtil> m_date;
    std::unique_ptr<CxACTTaskUtil> m_task;
    std::unique_ptr<CxACTNoteUtil> m_note;
    std::unique_ptr<CxList> m_lists[kKindCount];
    DupGroups m_groups[kKindCount];
};
