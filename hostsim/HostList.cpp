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
    nodes_.assign(2 * items_.size(), 0);
    for (std::size_t index = 0; index < items_.size(); ++index) {
        nodes_[2 * index] = items_[index];
        nodes_[2 * index + 1] =
            index + 1 < items_.size() ? reinterpret_cast<Word>(&nodes_[2 * index + 2]) : 0;
    }
    *head_ = nodes_.empty() ? 0 : reinterpret_cast<Word>(nodes_.data());
}

} // namespace hostsim
