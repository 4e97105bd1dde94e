// The text arena and the chunk store, where a load keeps its texts and records: what they hand out stays
// where it is and as it was, however many blocks follow.

#include "misc/CxChunkStore.h"
#include "misc/CxTextArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// Texts of many lengths, the longest a record holds among them.
std::string textNumber(std::size_t i)
{
    const std::size_t lengths[] = {1, 7, 31, 63, 255, 8191, 100};
    return std::string(lengths[i % std::size(lengths)], static_cast<char>('a' + i % 26)) + std::to_string(i);
}

} // namespace

TEST(CxTextArena, TextsStayWhereTheyWerePutAcrossManyBlocks)
{
    CxTextArena arena;
    std::vector<std::pair<const char*, std::string>> kept;
    // About 13 MB: blocks of every size, large pages among them.
    for (std::size_t i = 0; i < 10000; ++i) {
        const std::string text = textNumber(i);
        kept.emplace_back(arena.Add(text.data(), text.size()), text);
    }
    // And one text larger than any block.
    const std::string huge(3 * 1024 * 1024, 'h');
    kept.emplace_back(arena.Add(huge.data(), huge.size()), huge);
    EXPECT_GE(arena.BlockBytes(), 13u * 1024 * 1024);
    std::size_t wrong = 0;
    for (const auto& [at, text] : kept)
        wrong += text != at ? 1 : 0;
    EXPECT_EQ(wrong, 0u);

    arena.ReleaseUnused();
    EXPECT_EQ(std::string(kept.back().first), huge);
    const char* after = arena.Add("after", 5);
    EXPECT_STREQ(after, "after");
    EXPECT_EQ(std::string(kept.front().first), kept.front().second);
}

TEST(CxTextArena, EmptyTextsTakeNoRoomAndRoomNotCommittedIsUsedAgain)
{
    CxTextArena arena;
    const char* empty = arena.Add("ignored", 0);
    EXPECT_STREQ(empty, "");
    EXPECT_EQ(arena.BlockBytes(), 0u);

    const char* first = arena.Add("abc", 3);
    char* room = arena.Reserve(100);
    EXPECT_EQ(room, first + 4);
    std::memcpy(room, "xy", 3);
    arena.Commit(3);
    const char* next = arena.Add("z", 1);
    EXPECT_EQ(next, room + 3);
    // Room reserved and not committed goes to the next text.
    char* unused = arena.Reserve(50);
    std::memset(unused, '#', 50);
    const char* reused = arena.Add("q", 1);
    EXPECT_EQ(reused, unused);
    EXPECT_STREQ(first, "abc");
    EXPECT_STREQ(room, "xy");
    EXPECT_STREQ(next, "z");
    EXPECT_STREQ(reused, "q");
}

TEST(CxTextArena, ClearKeepsOneBlockForTheTextsToCome)
{
    CxTextArena arena;
    for (std::size_t i = 0; i < 2000; ++i) {
        const std::string text = textNumber(i);
        arena.Add(text.data(), text.size());
    }
    const std::size_t before = arena.BlockBytes();
    arena.Clear();
    const std::size_t kept = arena.BlockBytes();
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, before);
    const char* text = arena.Add("again", 5);
    EXPECT_STREQ(text, "again");
    EXPECT_EQ(arena.BlockBytes(), kept);
}

namespace {

struct Item
{
    std::uint64_t number;
    const char* text = "";
    char padding[40];
};

} // namespace

TEST(CxChunkStore, ObjectsStayWhereTheyWerePutAndComeBackInOrder)
{
    CxChunkStore<Item> store;
    std::vector<Item*> added;
    // About 10 MB of objects: chunks of every size, large pages among them.
    for (std::uint64_t i = 0; i < 200000; ++i) {
        Item* item = store.Add();
        EXPECT_TRUE(item->number == 0 && *item->text == '\0') << i;
        item->number = i;
        added.push_back(item);
    }
    EXPECT_EQ(store.Count(), added.size());
    store.ReleaseUnused();
    std::size_t wrong = 0;
    for (std::uint64_t i = 0; i < added.size(); ++i)
        wrong += added[i]->number != i ? 1 : 0;
    EXPECT_EQ(wrong, 0u);

    std::uint64_t expected = 0;
    EXPECT_TRUE(store.ForEach([&](const Item& item) { return item.number == expected++; }));
    EXPECT_EQ(expected, added.size());
    std::size_t visited = 0;
    EXPECT_FALSE(store.ForEach([&](const Item&) { return ++visited < 10; }));
    EXPECT_EQ(visited, 10u);

    // After a clear the store starts over, with objects as fresh as the first ones.
    store.Clear();
    EXPECT_EQ(store.Count(), 0u);
    EXPECT_TRUE(store.ForEach([](const Item&) { return false; }));
    for (int i = 0; i < 5000; ++i) {
        const Item* item = store.Add();
        ASSERT_TRUE(item->number == 0 && *item->text == '\0') << i;
    }
}
