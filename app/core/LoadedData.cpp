#include "core/LoadedData.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "misc/CxList.h"

LoadedData::LoadedData() = default;

LoadedData::~LoadedData()
{
    Release();
}

void LoadedData::CreateUtilities()
{
    Release();
    m_addr = std::make_unique<CxACTAddrUtil>();
    m_date = std::make_unique<CxACTDateUtil>();
    m_task = std::make_unique<CxACTTaskUtil>();
    m_note = std::make_unique<CxACTNoteUtil>();
}

void LoadedData::CreateLists()
{
    for (auto& list : m_lists)
        list = std::make_unique<CxList>();
}

void LoadedData::Release()
{
    for (DupGroups& groups : m_groups)
        groups = DupGroups();
    m_addr.reset();
    m_date.reset();
    m_task.reset();
    m_note.reset();
    for (auto& list : m_lists) {
        if (list)
            list->RemoveAll(false);
        list.reset();
    }
}

CxACTBaseUtil* LoadedData::Util(RecordKind kind) const
{
    const CxACTBaseUtil* const utils[kRecordKindCount] = {m_addr.get(), m_date.get(), m_task.get(), m_note.get()};
    return const_cast<CxACTBaseUtil*>(utils[KindIndex(kind)]);
}

bool LoadedData::MarkForDeletion(RecordKind kind, void* record)
{
    if (!record || !Util(kind))
        return false;
    return Visit(kind, [record](auto& util) {
        using Record = typename std::remove_reference_t<decltype(util)>::Record;
        return util.MarkForDeletion(static_cast<Record*>(record)->pEntry);
    });
}

bool LoadedData::Regroup(RecordKind kind, const AppSettingsData& settings)
{
    CxList* list = DupList(kind);
    if (!Util(kind) || !list) {
        m_groups[KindIndex(kind)] = DupGroups();
        return false;
    }
    return Visit(kind, [&](auto& util) {
        using Record = typename std::remove_reference_t<decltype(util)>::Record;
        std::vector<Record*> kept;
        const bool grouped = FindDuplicates(util.GetManager(), list, &kept, settings);
        m_groups[KindIndex(kind)] = DupGroups(list, std::vector<const void*>(kept.begin(), kept.end()));
        return grouped;
    });
}
