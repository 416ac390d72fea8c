#include "HostList.h"

namespace hostsim {

namespace {

// The words of a node that hold the item and the next node's address.
constexpr std::size_t itemWord = node_layout::item / sizeof(Word);
constexpr std::size_t nextWord = node_layout::next / sizeof(Word);

} // namespace

HostList::HostList() : head_(new Word(0)) {}

void HostList::add(Word item) {
    Word& link = nodes_.empty() ? *head_ : nodes_.back()[nextWord];
    nodes_.push_back({});
    nodes_.back()[itemWord] = item;
    link = reinterpret_cast<Word>(nodes_.back().data());
    positions_[item].push_back(std::prev(nodes_.end()));
}

void HostList::remove(Word item) {
    const auto found = positions_.find(item);
    if (found == positions_.end()) {
        return;
    }
    const auto node = found->second.front();
    Word& link = node == nodes_.begin() ? *head_ : (*std::prev(node))[nextWord];
    link = (*node)[nextWord];
    nodes_.erase(node);
    found->second.erase(found->second.begin());
    if (found->second.empty()) {
        positions_.erase(found);
    }
}

} // namespace hostsim
