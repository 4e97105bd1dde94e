#include "misc/CxList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

int a, b, c, d, x;

std::vector<void*> walk(CxList& list)
{
    std::vector<void*> out;
    for (void* p = list.GetFirst(); p; p = list.GetNext())
        out.push_back(p);
    return out;
}

void fill(CxList& list, std::initializer_list<void*> elements)
{
    for (void* p : elements)
        ASSERT_TRUE(list.Add(p));
}

} // namespace

TEST(CxList, EmptyListAnswersNull)
{
    CxList list;
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetAt(0), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_FALSE(list.Contains(&a));
    EXPECT_FALSE(list.Contains(nullptr));
    EXPECT_FALSE(list.Remove(&a, false));
    EXPECT_FALSE(list.SetCurrent(&a));
}

TEST(CxList, WalkStopsAndStaysOnTheLast)
{
    CxList list;
    fill(list, {&a, &b, &c});
    EXPECT_EQ(list.GetFirst(), &a);
    EXPECT_EQ(list.GetNext(), &b);
    EXPECT_EQ(list.GetNext(), &c);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    // Still on c: going back one step reaches b.
    EXPECT_EQ(list.GetAt(1), &b);
    EXPECT_EQ(list.GetNext(), &c);
}

TEST(CxList, AddRefusesNullAndMakesTheAddedElementCurrent)
{
    CxList list;
    fill(list, {&a, &b});
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(walk(list), (std::vector<void*>{&a, &b}));

    // Adding inside a walk ends the walk after the added element.
    EXPECT_EQ(list.GetFirst(), &a);
    ASSERT_TRUE(list.Add(&c));
    EXPECT_EQ(list.GetNext(), nullptr);
}

TEST(CxList, SamePointerTwice)
{
    CxList list;
    fill(list, {&a, &x, &a});
    EXPECT_EQ(list.GetCount(), 3u);
    // Every search finds the first holder.
    EXPECT_TRUE(list.SetCurrent(&a));
    EXPECT_EQ(list.GetNext(), &x);
    EXPECT_TRUE(list.Remove(&a, false));
    EXPECT_TRUE(list.Contains(&a));
    EXPECT_EQ(walk(list), (std::vector<void*>{&x, &a}));
}

TEST(CxList, RemovingWhatTheWalkReturnedPassesOneOver)
{
    CxList list;
    fill(list, {&a, &b, &c, &d});
    std::vector<void*> visited;
    for (void* p = list.GetFirst(); p; p = list.GetNext()) {
        visited.push_back(p);
        EXPECT_TRUE(list.Remove(p, false));
    }
    EXPECT_EQ(visited, (std::vector<void*>{&a, &c}));
    EXPECT_EQ(walk(list), (std::vector<void*>{&b, &d}));
}

TEST(CxList, RemovingTheTailLeavesNoCurrent)
{
    CxList list;
    fill(list, {&a, &b, &c});
    EXPECT_TRUE(list.Remove(&c, false));
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetAt(5), nullptr);
    // Without a current container a direct index starts from the head.
    EXPECT_EQ(list.GetAt(0), &a);
    EXPECT_EQ(list.GetNext(), &b);
    EXPECT_TRUE(list.Remove(&b, false));
    EXPECT_EQ(list.GetAt(0), &a);

    EXPECT_TRUE(list.Remove(&a, false));
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    // An emptied list starts again like a new one.
    fill(list, {&d, &a});
    EXPECT_EQ(walk(list), (std::vector<void*>{&d, &a}));
}

TEST(CxList, SetCurrentOfAnUnheldElementKeepsTheCursor)
{
    CxList list;
    fill(list, {&a, &b, &c});
    EXPECT_EQ(list.GetFirst(), &a);
    EXPECT_FALSE(list.SetCurrent(&x));
    EXPECT_FALSE(list.SetCurrent(nullptr));
    EXPECT_FALSE(list.Remove(&x, false));
    EXPECT_EQ(list.GetNext(), &b);
    EXPECT_TRUE(list.SetCurrent(&a));
    EXPECT_EQ(list.GetNext(), &b);
}

TEST(CxList, ReleaseFreesElementsOnlyWhenAsked)
{
    // Run under the address sanitizer: a missed free is a leak, a wrong one a use after free.
    auto block = [](char fill) {
        void* p = std::malloc(16);
        std::memset(p, fill, 16);
        return p;
    };
    {
        CxList list;
        fill(list, {block('a'), block('b'), block('c')});
        void* second = list.GetAt(1);
        EXPECT_TRUE(list.Remove(second, true));
        list.RemoveAll(true);
        EXPECT_EQ(list.GetCount(), 0u);
        EXPECT_EQ(list.GetFirst(), nullptr);
    }

    void* kept[] = {block('a'), block('b')};
    {
        CxList list;
        fill(list, {kept[0], kept[1]});
        EXPECT_TRUE(list.Remove(kept[0], false));
        list.RemoveAll(false);
        fill(list, {kept[0], kept[1]});
    } // destruction releases containers only
    EXPECT_EQ(static_cast<char*>(kept[0])[15], 'a');
    EXPECT_EQ(static_cast<char*>(kept[1])[15], 'b');
    std::free(kept[0]);
    std::free(kept[1]);
}

// Every operation against a plain vector model, cursor included.
TEST(CxList, MatchesAModelUnderRandomOperations)
{
    int pool[6];
    std::mt19937 random(20240611);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    CxList list;
    std::vector<void*> model;
    // The cursor as the list sees it: the index it stands on (or stood on before its element went).
    std::uint32_t findIndex = 0;

    auto modelAt = [&](std::uint32_t i) -> void* {
        if (i >= model.size())
            return nullptr;
        findIndex = i;
        return model[i];
    };

    for (int step = 0; step < 4000; ++step) {
        void* element = &pool[pick(6)];
        const auto held = std::find(model.begin(), model.end(), element);
        switch (pick(6)) {
        case 0:
        case 1:
            ASSERT_TRUE(list.Add(element));
            model.push_back(element);
            findIndex = static_cast<std::uint32_t>(model.size() - 1);
            break;
        case 2: {
            const bool found = held != model.end();
            ASSERT_EQ(list.Remove(element, false), found) << step;
            if (found) {
                const auto index = static_cast<std::size_t>(held - model.begin());
                model.erase(held);
                findIndex = static_cast<std::uint32_t>(index);
            }
            break;
        }
        case 3:
            ASSERT_EQ(list.GetFirst(), model.empty() ? nullptr : model[0]) << step;
            findIndex = 0;
            break;
        case 4: {
            void* expected = nullptr;
            if (findIndex < static_cast<std::uint32_t>(model.size()) - 1)
                expected = modelAt(findIndex + 1);
            ASSERT_EQ(list.GetNext(), expected) << step;
            break;
        }
        case 5: {
            const bool found = held != model.end();
            ASSERT_EQ(list.SetCurrent(element), found) << step;
            if (found) {
                findIndex = static_cast<std::uint32_t>(held - model.begin());
            }
            break;
        }
        }
        ASSERT_EQ(list.GetCount(), model.size()) << step;
        ASSERT_EQ(list.Contains(element), std::find(model.begin(), model.end(), element) != model.end()) << step;

        if (step % 7 == 0) {
            // Read every index, in an order that makes the cursor walk both ways.
            const auto n = static_cast<std::uint32_t>(model.size());
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint32_t index = (i % 2 == 0) ? n - 1 - i / 2 : i / 2;
                ASSERT_EQ(list.GetAt(index), modelAt(index)) << step << " index " << index;
            }
            ASSERT_EQ(list.GetAt(n), nullptr) << step;
        }
    }
}
