#include "misc/CxList.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// The checks of the list stay on in every build: a broken cursor or a failed allocation would
// otherwise corrupt the records the user is about to delete.
constexpr int kCursorCheckLine = 88;
constexpr int kAllocationCheckLine = 110;

[[noreturn]] void assertionStop(const char* text, int line)
{
    std::fprintf(stderr, "Assertion failed: %s, file common/misc/CxList, line %d\n", text, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace

CxList::CxList() : m_pHead(nullptr), m_pTail(nullptr), m_pCurr(nullptr), m_nCount(0), m_nFindIndex(0) {}

CxList::~CxList()
{
    RemoveAll(false);
}

bool CxList::Add(void* pData)
{
    if (!pData)
        return false;
    auto* pContainer = new (std::nothrow) CxListContainer;
    if (!pContainer)
        assertionStop("pContainer", kAllocationCheckLine);
    pContainer->pData = pData;
    pContainer->nIndex = m_nCount;
    pContainer->pNext = nullptr;
    pContainer->pPrev = m_pTail;
    if (m_pTail)
        m_pTail->pNext = pContainer;
    else
        m_pHead = pContainer;
    m_pTail = pContainer;
    m_pCurr = pContainer;
    m_nFindIndex = pContainer->nIndex;
    ++m_nCount;
    return true;
}

bool CxList::Remove(void* pData, bool bRelease)
{
    CxListContainer* pContainer = FindContainer(pData);
    if (!pContainer)
        return false;
    CxListContainer* pPrev = pContainer->pPrev;
    CxListContainer* pNext = pContainer->pNext;
    if (pPrev)
        pPrev->pNext = pNext;
    if (pNext)
        pNext->pPrev = pPrev;
    for (CxListContainer* p = pNext; p; p = p->pNext)
        --p->nIndex;

    m_pCurr = pNext;
    m_nFindIndex = pContainer->nIndex;
    if (!pPrev)
        m_pHead = pNext;
    if (!pNext)
        m_pTail = pPrev;

    if (bRelease)
        std::free(pContainer->pData);
    --m_nCount;
    delete pContainer;
    return true;
}

void CxList::RemoveAll(bool bRelease)
{
    CxListContainer* p = m_pHead;
    while (p) {
        CxListContainer* pNext = p->pNext;
        if (bRelease && p->pData)
            std::free(p->pData);
        delete p;
        p = pNext;
    }
    m_pHead = nullptr;
    m_pTail = nullptr;
    m_pCurr = nullptr;
    m_nCount = 0;
    m_nFindIndex = 0;
}

void* CxList::GetFirst()
{
    m_pCurr = m_pHead;
    m_nFindIndex = 0;
    return m_pCurr ? m_pCurr->pData : nullptr;
}

void* CxList::GetNext()
{
    // Unsigned on purpose: on an empty list the test passes and GetAt(1) answers null.
    if (m_nFindIndex < m_nCount - 1)
        return GetAt(m_nFindIndex + 1);
    return nullptr;
}

void* CxList::GetAt(std::uint32_t nIndex)
{
    if (nIndex >= m_nCount)
        return nullptr;
    if (!m_pCurr) {
        m_pCurr = m_pHead;
        m_nFindIndex = 0;
    }
    if (m_pCurr->nIndex != m_nFindIndex)
        assertionStop("m_pCurr->nIndex==m_nFindIndex", kCursorCheckLine);

    const bool bForward = nIndex > m_nFindIndex;
    for (CxListContainer* p = m_pCurr; p; p = bForward ? p->pNext : p->pPrev) {
        if (p->nIndex == nIndex) {
            m_pCurr = p;
            m_nFindIndex = nIndex;
            return p->pData;
        }
    }
    return nullptr;
}

bool CxList::Contains(void* pData) const
{
    return pData && FindContainer(pData);
}

bool CxList::SetCurrent(void* pData)
{
    CxListContainer* pContainer = FindContainer(pData);
    if (!pContainer)
        return false;
    m_pCurr = pContainer;
    m_nFindIndex = pContainer->nIndex;
    return true;
}

CxListContainer* CxList::FindContainer(void* pData) const
{
    if (!pData)
        return nullptr;
    for (CxListContainer* p = m_pHead; p; p = p->pNext) {
        if (p->pData == pData)
            return p;
    }
    return nullptr;
}
