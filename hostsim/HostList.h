// A host list: a singly linked chain of two-word nodes (item address, next node address) and the
// head variable that holds the first node's address, 0 when the list is empty.
#pragma once

#include "HostEvent.h"

#include <array>
#include <list>
#include <memory>
#include <unordered_map>
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
    // Removes the first node holding `item`, in constant time; no effect when there is none.
    void remove(Word item);
    // Whether a node holds `item`.
    bool contains(Word item) const { return positions_.count(item) != 0; }

private:
    using Node = std::array<Word, node_layout::size / sizeof(Word)>;
    // The nodes in chain order; a list keeps every node where it is while others come and go.
    std::list<Node> nodes_;
    // The nodes holding each item, oldest first.
    std::unordered_map<Word, std::vector<std::list<Node>::iterator>> positions_;
    std::unique_ptr<Word> head_;
};

} // namespace hostsim
