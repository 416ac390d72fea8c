#include "PluginHarness.h"

#include "support/OwnedList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tarnwick::OwnedList;

// An item that records its own destruction, so ownership can be observed.
struct LoggedItem {
    int id;
    std::vector<int>* destroyed;
    ~LoggedItem() { destroyed->push_back(id); }
};

// A list holding items 0 to size - 1, head to tail.
class OwnedListTest : public ::testing::Test {
protected:
    void fill(int size) {
        for (int id = 0; id < size; ++id) {
            auto* item = new LoggedItem{id, &destroyed};
            items.push_back(item);
            EXPECT_TRUE(list.append(item));
        }
    }
    std::vector<int> ids() const {
        std::vector<int> result;
        for (auto* node = list.head(); node != nullptr; node = node->next) {
            result.push_back(node->item->id);
        }
        return result;
    }

    std::vector<int> destroyed;
    std::vector<LoggedItem*> items;
    OwnedList<LoggedItem> list;
};

TEST_F(OwnedListTest, AppendKeepsInsertionOrderAndEveryInvariant) {
    EXPECT_TRUE(harness::isWholeList(list));
    for (int size = 1; size <= 3; ++size) {
        EXPECT_TRUE(list.append(new LoggedItem{size, &destroyed}));
        EXPECT_TRUE(harness::isWholeList(list));
        EXPECT_EQ(list.count(), static_cast<std::uint32_t>(size));
    }
    EXPECT_EQ(ids(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.head()->previous, nullptr);
    EXPECT_EQ(list.tail()->next, nullptr);
}

TEST_F(OwnedListTest, AppendOfNullItemChangesNothing) {
    fill(2);
    EXPECT_FALSE(list.append(nullptr));
    EXPECT_TRUE(harness::isWholeList(list));
    EXPECT_EQ(ids(), (std::vector<int>{0, 1}));
}

TEST_F(OwnedListTest, RemoveUnlinksAndDestroysOnlyThatItemWhereverItStands) {
    struct Case {
        const char* position;
        int size;
        int removed;
        std::vector<int> remaining;
    };
    const Case cases[] = {
        {"first", 3, 0, {1, 2}}, {"middle", 3, 1, {0, 2}},    {"last", 3, 2, {0, 1}},
        {"only", 1, 0, {}},      {"first of two", 2, 0, {1}}, {"last of two", 2, 1, {0}},
    };
    for (const Case& removal : cases) {
        SCOPED_TRACE(removal.position);
        list.clear();
        items.clear();
        fill(removal.size);
        destroyed.clear();
        list.remove(items[static_cast<std::size_t>(removal.removed)]);
        EXPECT_TRUE(harness::isWholeList(list));
        EXPECT_EQ(ids(), removal.remaining);
        EXPECT_EQ(destroyed, std::vector<int>{removal.removed});
    }
}

TEST_F(OwnedListTest, RemoveOfItemNotInListChangesNothing) {
    fill(3);
    LoggedItem stranger{99, &destroyed};
    list.remove(&stranger);
    list.remove(nullptr);
    EXPECT_TRUE(harness::isWholeList(list));
    EXPECT_EQ(ids(), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(destroyed.empty());
}

TEST_F(OwnedListTest, RemoveEveryItemInTurnLeavesAnEmptyWholeList) {
    fill(4);
    for (std::size_t index : {2u, 0u, 3u, 1u}) {
        list.remove(items[index]);
        EXPECT_TRUE(harness::isWholeList(list));
    }
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.head(), nullptr);
    EXPECT_EQ(list.tail(), nullptr);
    EXPECT_EQ(destroyed, (std::vector<int>{2, 0, 3, 1}));
}

TEST_F(OwnedListTest, ClearDestroysHeadToTailAndEmptiesTheList) {
    fill(3);
    list.clear();
    EXPECT_TRUE(harness::isWholeList(list));
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(destroyed, (std::vector<int>{0, 1, 2}));
    list.clear();
    EXPECT_TRUE(harness::isWholeList(list));
    EXPECT_EQ(destroyed.size(), 3u);
}

TEST_F(OwnedListTest, ListIsReusableAfterClear) {
    fill(2);
    list.clear();
    fill(1);
    EXPECT_TRUE(harness::isWholeList(list));
    EXPECT_EQ(ids(), std::vector<int>{0});
}

} // namespace
