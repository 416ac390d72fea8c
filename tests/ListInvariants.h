// One check of every structural invariant of an OwnedList, for use after any change to one.
#pragma once

#include "plugin/OwnedList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

namespace harness {

// Success when the list is whole: head and tail are null exactly when count is 0; walking next
// from head visits count distinct nodes, each with its own non-null item, and ends at tail, with
// every previous link pointing back; walking previous from tail visits the same nodes reversed.
template <typename Item>
::testing::AssertionResult isWholeList(const tarnwick::OwnedList<Item>& list) {
    using Node = typename tarnwick::OwnedList<Item>::Node;
    if ((list.head() == nullptr) != (list.count() == 0) ||
        (list.tail() == nullptr) != (list.count() == 0)) {
        return ::testing::AssertionFailure()
               << "head/tail nullness disagrees with count " << list.count();
    }
    std::vector<const Node*> forward;
    std::set<const Item*> items;
    const Node* previous = nullptr;
    for (const Node* node = list.head(); node != nullptr; node = node->next) {
        if (forward.size() > list.count()) {
            return ::testing::AssertionFailure() << "next chain longer than count " << list.count();
        }
        if (node->previous != previous) {
            return ::testing::AssertionFailure()
                   << "previous link broken at position " << forward.size();
        }
        if (node->item == nullptr || !items.insert(node->item).second) {
            return ::testing::AssertionFailure()
                   << "missing or shared item at position " << forward.size();
        }
        forward.push_back(node);
        previous = node;
    }
    if (forward.size() != list.count() || previous != list.tail()) {
        return ::testing::AssertionFailure()
               << "next chain of " << forward.size() << " nodes does not end at tail; count "
               << list.count();
    }
    std::size_t position = forward.size();
    for (const Node* node = list.tail(); node != nullptr; node = node->previous) {
        if (position == 0 || forward[position - 1] != node) {
            return ::testing::AssertionFailure() << "previous chain differs from next chain";
        }
        --position;
    }
    if (position != 0) {
        return ::testing::AssertionFailure() << "previous chain stops before head";
    }
    return ::testing::AssertionSuccess();
}

} // namespace harness
