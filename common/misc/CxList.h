#pragma once

#include <cstdint>

struct CxListContainer
{
    void* pData;
    std::uint32_t nIndex;
    CxListContainer* pPrev;
    CxListContainer* pNext;
};

// A doubly linked list of untyped element pointers with a cursor, walked with GetFirst/GetNext.
// The cursor is shared by everyone who walks the list. The list never copies elements and releases
// them (with free) only when a caller asks for it.
class CxList
{
public:
    CxList();
    ~CxList();
    CxList(const CxList&) = delete;
    CxList& operator=(const CxList&) = delete;

    // Appends; the added element becomes current. False for a null element.
    bool Add(void* pData);
    // Unlinks the first container holding the element; the cursor moves to the one that followed.
    bool Remove(void* pData, bool bRelease);
    void RemoveAll(bool bRelease);

    void* GetFirst();
    void* GetNext();
    // Without a current container the walk starts from the head.
    void* GetAt(std::uint32_t nIndex);
    std::uint32_t GetCount() const { return m_nCount; }
    bool Contains(void* pData) const;
    bool SetCurrent(void* pData);

private:
    CxListContainer* FindContainer(void* pData) const;

    CxListContainer* m_pHead;
    CxListContainer* m_pTail;
    CxListContainer* m_pCurr;
    std::uint32_t m_nCount;
    std::uint32_t m_nFindIndex;
};
