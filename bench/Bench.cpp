// The counting link to the core and the bare walk, which is compiled apart from the loops that
// time it, as the plug-in's own survey is.
#include "Bench.h"

#include "LinkedCore.h"
#include "Records.h"
#include "host/BotEvent.h"
#include "host/EventCodes.h"

namespace bench {

namespace {

using hostsim::fieldAt;
using hostsim::Word;

// The host callback handed to the plug-in, typed as the core calls it: counts and returns.
void countSentEvent(tarnwick::BotEvent* event) {
    ++sentCounts.events;
    if (event->code == tarnwick::EventSay) {
        ++(event->p1 == tarnwick::SayPublic ? sentCounts.publicLines : sentCounts.privateLines);
    }
}

// The next node after `node` in a host list, 0 at the end.
Word nextNode(Word node) {
    return fieldAt<Word>(node, hostsim::node_layout::next);
}

} // namespace

hostsim::PluginLink countingCore() {
    return hostsim::PluginLink{&hostsim::talkToLinkedCore, reinterpret_cast<Word>(&countSentEvent)};
}

std::uint32_t walkHostLists(Word playerHead, Word flagHead) {
    std::uint32_t sum = 0;
    for (Word node = fieldAt<Word>(playerHead, 0); node != 0; node = nextNode(node)) {
        const auto player = fieldAt<Word>(node, hostsim::node_layout::item);
        if (fieldAt<std::uint16_t>(player, hostsim::player_layout::flagCount) != 0) {
            sum += fieldAt<std::uint16_t>(player, hostsim::player_layout::team);
        }
    }
    for (Word node = fieldAt<Word>(flagHead, 0); node != 0; node = nextNode(node)) {
        const auto flag = fieldAt<Word>(node, hostsim::node_layout::item);
        sum += fieldAt<std::uint16_t>(flag, hostsim::flag_layout::team);
    }
    return sum;
}

} // namespace bench
