#include "HostList.h"

#include <algorithm>

namespace hostsim {

HostList::HostList() : head_(new Word(0)) {}

void HostList::add(Word item) {
    items_.push_back(item);
    relink();
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
    constexpr std::size_t nodeWords = node_layout::size / sizeof(Word);
    constexpr std::size_t itemWord = node_layout::item / sizeof(Word);
    constexpr std::size_t nextWord = node_layout::next / sizeof(Word);
    nodes_.assign(nodeWords * items_.size(), 0);
    for (std::size_t index = 0; index < items_.size(); ++index) {
        Word* node = &nodes_[nodeWords * index];
        node[itemWord] = items_[index];
        node[nextWord] = index + 1 < items_.size() ? reinterpret_cast<Word>(node + nodeWords) : 0;
    }
    *head_ = nodes_.empty() ? 0 : reinterpret_cast<Word>(nodes_.data());
}

} // namespace hostsim
