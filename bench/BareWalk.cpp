#include "BareWalk.h"

#include "HostList.h"
#include "Records.h"

namespace bench {

namespace {

using hostsim::fieldAt;
using hostsim::Word;

// The next node after `node`, 0 at the end of the list.
Word nextNode(Word node) {
    return fieldAt<Word>(node, hostsim::node_layout::next);
}

// The item `node` holds.
Word itemOf(Word node) {
    return fieldAt<Word>(node, hostsim::node_layout::item);
}

} // namespace

std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead) {
    std::uint32_t sum = 0;
    for (Word node = fieldAt<Word>(playerHead, 0); node != 0; node = nextNode(node)) {
        const Word player = itemOf(node);
        if (fieldAt<std::uint16_t>(player, hostsim::player_layout::flagCount) != 0) {
            sum += fieldAt<std::uint16_t>(player, hostsim::player_layout::team);
        }
    }
    for (Word node = fieldAt<Word>(flagHead, 0); node != 0; node = nextNode(node)) {
        sum += fieldAt<std::uint16_t>(itemOf(node), hostsim::flag_layout::team);
    }
    return sum;
}

} // namespace bench
