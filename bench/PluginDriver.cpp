#include "PluginDriver.h"
#include "LinkedCore.h"

#include "host/EventCodes.h"

namespace bench {

void countSentEvent(tarnwick::BotEvent* event) {
    if (event->code == tarnwick::EventEcho) {
        ++sentCounts.echoes;
    } else if (event->p1 == tarnwick::SayPublic) {
        ++sentCounts.publicLines;
    } else {
        ++sentCounts.privateLines;
    }
}

hostsim::PluginLink countingCore() {
    return hostsim::PluginLink{&hostsim::talkToLinkedCore,
                               reinterpret_cast<hostsim::Word>(&countSentEvent)};
}

} // namespace bench
