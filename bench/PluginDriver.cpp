#include "PluginDriver.h"
#include "LinkedCore.h"

#include "host/EventCodes.h"
#include "plugin/Talk.h"

namespace bench {

void talkToPlugin(hostsim::HostEvent* event) {
    hostsim::talkToLinkedCore(event);
}

void countSentEvent(tarnwick::BotEvent* event) {
    if (event->code == tarnwick::EventEcho) {
        ++sentCounts.echoes;
    } else if (event->p1 == tarnwick::SayPublic) {
        ++sentCounts.publicLines;
    } else {
        ++sentCounts.privateLines;
    }
}

void connectBot(hostsim::Host& host, std::uint32_t handle) {
    hostsim::Arena& arena = host.arena(handle);
    host.deliver(hostsim::makeEvent(handle, hostsim::CodeInit, hostsim::versionWord(6, 5),
                                    reinterpret_cast<hostsim::Word>(&countSentEvent),
                                    arena.playerList().headAddress(),
                                    arena.flagList().headAddress()));
}

} // namespace bench
