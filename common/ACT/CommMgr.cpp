#include "ACT/CommMgr.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

template <class Entry> Entry* CommEntryMgr<Entry>::AddEntry(const Entry* pEntry)
{
    if (!pEntry)
        return nullptr;
    void* pPayload = nullptr;
    if (pEntry->pPayload && pEntry->nPayloadSize != 0) {
        // An entry that should own a copy of its record but points nowhere would be walked as a record
        // later; refuse it like any other shortage of memory.
        pPayload = std::malloc(pEntry->nPayloadSize);
        if (!pPayload)
            return nullptr;
        std::memcpy(pPayload, pEntry->pPayload, pEntry->nPayloadSize);
    }
    try {
        // Should the list of the order fail to grow, the stored copy is lost in its chunk until
        // RemoveAllEntries, which costs its few bytes and nothing else.
        Entry* pCopy = m_entries.Add();
        *pCopy = *pEntry;
        if (pPayload)
            pCopy->pPayload = static_cast<decltype(pCopy->pPayload)>(pPayload);
        m_order.push_back(pCopy);
        m_current = m_order.size() - 1;
        return pCopy;
    } catch (const std::bad_alloc&) {
        std::free(pPayload);
        return nullptr;
    }
}

template <class Entry> bool CommEntryMgr<Entry>::RemoveEntry(Entry* pEntry)
{
    // Only an entry this manager holds is released: anything else belongs to someone else.
    const std::size_t index = IndexOf(pEntry);
    if (index == m_order.size())
        return false;
    ReleasePayload(pEntry);
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(index));
    m_current = index;
    return true;
}

template <class Entry> void CommEntryMgr<Entry>::RemoveAllEntries()
{
    for (Entry* pEntry : m_order)
        ReleasePayload(pEntry);
    m_order.clear();
    m_order.shrink_to_fit();
    m_entries.Clear();
    m_current = 0;
}

template <class Entry> Entry* CommEntryMgr<Entry>::GetFirstEntry()
{
    m_current = 0;
    return m_order.empty() ? nullptr : m_order.front();
}

template <class Entry> Entry* CommEntryMgr<Entry>::GetNextEntry()
{
    if (m_current + 1 >= m_order.size())
        return nullptr;
    return m_order[++m_current];
}

template <class Entry> bool CommEntryMgr<Entry>::SetCurrentEntry(Entry* pEntry)
{
    const std::size_t index = IndexOf(pEntry);
    if (index == m_order.size())
        return false;
    m_current = index;
    return true;
}

template <class Entry> std::size_t CommEntryMgr<Entry>::IndexOf(const Entry* pEntry) const
{
    if (!pEntry)
        return m_order.size();
    return static_cast<std::size_t>(std::find(m_order.begin(), m_order.end(), pEntry) - m_order.begin());
}

template <class Entry> void CommEntryMgr<Entry>::ReleasePayload(Entry* pEntry)
{
    if (pEntry->pPayload && pEntry->nPayloadSize != 0)
        std::free(pEntry->pPayload);
}

template class CommEntryMgr<CommAddr>;
template class CommEntryMgr<CommDate>;
template class CommEntryMgr<CommTask>;
template class CommEntryMgr<CommNote>;
