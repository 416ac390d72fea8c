#include "HostList.h"

#include <algorithm>

namespace hostsim {

namespace {

// The words of a node that hold the item and the next node's address.
constexpr std::size_t itemWord = node_layout::item / sizeof(Word);
constexpr std::size_t nextWord = node_layout::next / sizeof(Word);

} // namespace

HostList::HostList() : head_(new Word(0)) {}

void HostList::add(Word item) {
    items_.push_back(item);
    nodes_.push_back({});
    nodes_.back()[itemWord] = item;
    Word& link = nodes_.size() == 1 ? *head_ : nodes_[nodes_.size() - 2][nextWord];
    link = reinterpret_cast<Word>(nodes_.back().data());
}

void HostList::remove(Word item) {
    auto found = std::find(items_.begin(), items_.end(), item);
    if (found != items_.end()) {
        items_.erase(found);
        relink();
    }
}

bool HostList::contains(Word item) const {
    return std::find(items_.begin(), items_.end(), item) != items_.end();
}

void HostList::relink() {
    nodes_.assign(items_.size(), {});
    for (std::size_t index = 0; index < items_.size(); ++index) {
        nodes_[index][itemWord] = items_[index];
        nodes_[index][nextWord] =
            index + 1 < items_.size() ? reinterpret_cast<Word>(nodes_[index + 1].data()) : 0;
    }
    *head_ = nodes_.empty() ? 0 : reinterpret_cast<Word>(nodes_[0].data());
}

} // namespace hostsim
