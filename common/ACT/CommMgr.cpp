#include "ACT/CommMgr.h"

#include <cstdlib>
#include <cstring>

template <class Entry> Entry* CommEntryMgr<Entry>::AddEntry(const Entry* pEntry)
{
    if (!pEntry)
        return nullptr;
    auto* pCopy = static_cast<Entry*>(std::malloc(sizeof(Entry)));
    if (!pCopy)
        return nullptr;
    *pCopy = *pEntry;
    if (pEntry->pPayload && pEntry->nPayloadSize != 0) {
        void* pPayload = std::malloc(pEntry->nPayloadSize);
        // An entry that should own a copy of its record but points nowhere would be walked as a
        // record later; refuse it like any other shortage of memory.
        if (!pPayload) {
            std::free(pCopy);
            return nullptr;
        }
        std::memcpy(pPayload, pEntry->pPayload, pEntry->nPayloadSize);
        pCopy->pPayload = static_cast<decltype(pCopy->pPayload)>(pPayload);
    }
    if (!m_list.Add(pCopy)) {
        ReleaseEntry(pCopy);
        return nullptr;
    }
    return pCopy;
}

template <class Entry> bool CommEntryMgr<Entry>::RemoveEntry(Entry* pEntry)
{
    // Only an entry this manager holds is released: anything else belongs to someone else.
    if (!pEntry || !m_list.Remove(pEntry, false))
        return false;
    ReleaseEntry(pEntry);
    return true;
}

template <class Entry> void CommEntryMgr<Entry>::RemoveAllEntries()
{
    for (void* p = m_list.GetFirst(); p; p = m_list.GetNext())
        ReleaseEntry(static_cast<Entry*>(p));
    m_list.RemoveAll(false);
}

template <class Entry> void CommEntryMgr<Entry>::ReleaseEntry(Entry* pEntry)
{
    if (pEntry->pPayload && pEntry->nPayloadSize != 0)
        std::free(pEntry->pPayload);
    std::free(pEntry);
}

template class CommEntryMgr<CommAddr>;
template class CommEntryMgr<CommDate>;
template class CommEntryMgr<CommTask>;
template class CommEntryMgr<CommNote>;
