#include "ACT/CommMgr.h"

#include <gtest/gtest.h>

#include <cstring>

// The managers only carry record pointers and never look inside a record, so plain local objects
// stand in for the records here.
namespace {

template <class Entry> Entry entryFor(void* record, std::uint32_t ownedSize = 0)
{
    return Entry{reinterpret_cast<decltype(Entry::pPayload)>(record), ownedSize};
}

template <class Mgr> class CommEntryMgrTest : public ::testing::Test
{
};

using Managers = ::testing::Types<CommAddrMgr, CommDateMgr, CommTaskMgr, CommNoteMgr>;
TYPED_TEST_SUITE(CommEntryMgrTest, Managers);

template <class Entry> struct EntryOf;
template <class Entry> struct EntryOf<CommEntryMgr<Entry>>
{
    using type = Entry;
};

} // namespace

TYPED_TEST(CommEntryMgrTest, WalksEntriesInLoadOrder)
{
    using Entry = typename EntryOf<TypeParam>::type;
    int records[3] = {1, 2, 3};
    TypeParam mgr;
    EXPECT_EQ(mgr.GetFirstEntry(), nullptr);
    Entry* stored[3];
    for (int i = 0; i < 3; ++i) {
        const Entry entry = entryFor<Entry>(&records[i]);
        stored[i] = mgr.AddEntry(&entry);
        ASSERT_NE(stored[i], nullptr);
        EXPECT_NE(stored[i], &entry);
        EXPECT_EQ(stored[i]->pPayload, entry.pPayload);
    }
    EXPECT_EQ(mgr.GetEntryCount(), 3u);

    Entry* entry = mgr.GetFirstEntry();
    for (int i = 0; i < 3; ++i, entry = mgr.GetNextEntry())
        EXPECT_EQ(entry, stored[i]);
    EXPECT_EQ(entry, nullptr);
    // The cursor stays on the last entry.
    EXPECT_EQ(mgr.GetNextEntry(), nullptr);
    EXPECT_TRUE(mgr.SetCurrentEntry(stored[1]));
    EXPECT_EQ(mgr.GetNextEntry(), stored[2]);
}

TEST(CommEntryMgr, AddEntryRefusesNull)
{
    CommAddrMgr mgr;
    EXPECT_EQ(mgr.AddEntry(nullptr), nullptr);
    EXPECT_EQ(mgr.GetEntryCount(), 0u);
}

TEST(CommEntryMgr, RemoveAllEntriesLeavesRecordsUntouched)
{
    int records[3] = {10, 20, 30};
    CommAddrMgr mgr;
    for (int& record : records) {
        const CommAddr entry = entryFor<CommAddr>(&record);
        ASSERT_NE(mgr.AddEntry(&entry), nullptr);
    }
    mgr.RemoveAllEntries();
    EXPECT_EQ(mgr.GetEntryCount(), 0u);
    EXPECT_EQ(mgr.GetFirstEntry(), nullptr);
    EXPECT_EQ(records[0], 10);
    EXPECT_EQ(records[1], 20);
    EXPECT_EQ(records[2], 30);

    // Usable again afterwards, as before every load.
    const CommAddr entry = entryFor<CommAddr>(&records[0]);
    CommAddr* stored = mgr.AddEntry(&entry);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(mgr.GetFirstEntry(), stored);
    EXPECT_EQ(mgr.GetEntryCount(), 1u);
}

TEST(CommEntryMgr, ForeignEntriesAreRefused)
{
    int records[3] = {};
    CommTaskMgr mgr;
    CommTaskMgr other;
    CommTask* stored[3];
    for (int i = 0; i < 3; ++i) {
        const CommTask entry = entryFor<CommTask>(&records[i]);
        stored[i] = mgr.AddEntry(&entry);
    }
    const CommTask entry = entryFor<CommTask>(&records[0]);
    CommTask* foreign = other.AddEntry(&entry);
    CommTask local = entry;

    EXPECT_EQ(mgr.GetFirstEntry(), stored[0]);
    EXPECT_FALSE(mgr.SetCurrentEntry(foreign));
    EXPECT_FALSE(mgr.SetCurrentEntry(nullptr));
    // Neither is released: the sanitizer would report freeing a stack object or another's entry.
    EXPECT_FALSE(mgr.RemoveEntry(foreign));
    EXPECT_FALSE(mgr.RemoveEntry(&local));
    EXPECT_FALSE(mgr.RemoveEntry(nullptr));
    EXPECT_EQ(mgr.GetNextEntry(), stored[1]);
    EXPECT_EQ(mgr.GetEntryCount(), 3u);
    EXPECT_EQ(other.GetFirstEntry(), foreign);
    EXPECT_EQ(foreign->pPayload, entry.pPayload);

    EXPECT_TRUE(mgr.RemoveEntry(stored[1]));
    EXPECT_FALSE(mgr.RemoveEntry(stored[1]));
    EXPECT_EQ(mgr.GetEntryCount(), 2u);
    EXPECT_EQ(mgr.GetFirstEntry(), stored[0]);
    EXPECT_EQ(mgr.GetNextEntry(), stored[2]);
}

TEST(CommEntryMgr, OwnedPayloadIsCopiedAndReleased)
{
    // Run under the address sanitizer: a payload that is not freed leaks, one freed twice aborts.
    char record[24];
    std::memset(record, 'r', sizeof record);
    CommNoteMgr mgr;
    const CommNote owned = entryFor<CommNote>(record, sizeof record);
    CommNote* first = mgr.AddEntry(&owned);
    CommNote* second = mgr.AddEntry(&owned);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    for (CommNote* stored : {first, second}) {
        EXPECT_NE(static_cast<void*>(stored->pPayload), static_cast<void*>(record));
        EXPECT_EQ(stored->nPayloadSize, sizeof record);
        EXPECT_EQ(std::memcmp(stored->pPayload, record, sizeof record), 0);
    }
    std::memset(record, 'x', sizeof record);
    EXPECT_EQ(reinterpret_cast<char*>(second->pPayload)[0], 'r');

    EXPECT_TRUE(mgr.RemoveEntry(first));
    // The second copy goes with the manager.
}
