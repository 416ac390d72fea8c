// A host list: a singly linked chain of two-word nodes (item address, next node address) and the
// head variable that holds the first node's address, 0 when the list is empty.
#pragma once

#include "HostEvent.h"

#include <array>
#include <deque>
#include <memory>
#include <vector>

namespace hostsim {

// Byte offsets inside a node: the item's address, then the next node's address (0 at the end).
namespace node_layout {
constexpr std::size_t item = 0, next = sizeof(Word), size = 2 * sizeof(Word);
}

class HostList {
public:
    HostList();
    HostList(const HostList&) = delete;
    HostList& operator=(const HostList&) = delete;

    // The address of the head variable, as handed to the plug-in in `EventInit`.
    Word headAddress() const { return reinterpret_cast<Word>(head_.get()); }

    // Adds an item at the end of the chain, in constant time; an item of 0 stands for a faulty
    // host's empty node.
    void add(Word item);
    // Removes the first node holding `item`; no effect when there is none.
    void remove(Word item);
    // Whether a node holds `item`.
    bool contains(Word item) const;

private:
    // Rebuilds the chain from `items_`, so the head variable and every next address are right.
    void relink();

    std::vector<Word> items_;
    // A deque keeps every node where it is as nodes are added at the end.
    std::deque<std::array<Word, node_layout::size / sizeof(Word)>> nodes_;
    std::unique_ptr<Word> head_;
};

} // namespace hostsim
