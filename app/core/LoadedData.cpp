#include "core/LoadedData.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "misc/CxList.h"

namespace {

template <class Util> bool RegroupKind(Util* util, CxList* list, DupGroups& groups, const AppSettingsData& settings)
{
    using Record = typename Util::Record;
    std::vector<Record*> kept;
    const bool grouped = FindDuplicates(util ? util->GetManager() : nullptr, list, &kept, settings);
    groups = DupGroups(list, std::vector<const void*>(kept.begin(), kept.end()));
    return grouped;
}

} // namespace

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

CxACTBaseUtil* LoadedData::Util(int kind) const
{
    CxACTBaseUtil* const utils[] = {m_addr.get(), m_date.get(), m_task.get(), m_note.get()};
    return kind >= 0 && kind < kKindCount ? utils[kind] : nullptr;
}

bool LoadedData::MarkForDeletion(RecordKind kind, void* record)
{
    if (!record || !Util(KindIndex(kind)))
        return false;
    return Visit(kind, [record](auto& util) {
        using Record = typename std::remove_reference_t<decltype(util)>::Record;
        return util.MarkForDeletion(static_cast<Record*>(record)->pEntry);
    });
}

bool LoadedData::Regroup(int kind, const AppSettingsData& settings)
{
    switch (kind) {
    case 0:
        return RegroupKind(m_addr.get(), DupList(0), m_groups[0], settings);
    case 1:
        return RegroupKind(m_date.get(), DupList(1), m_groups[1], settings);
    case 2:
        return RegroupKind(m_task.get(), DupList(2), m_groups[2], settings);
    case 3:
        return RegroupKind(m_note.get(), DupList(3), m_groups[3], settings);
    default:
        return false;
    }
}
