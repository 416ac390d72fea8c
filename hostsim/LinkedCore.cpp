#include "LinkedCore.h"

#include "entry/Talk.h"
#include "host/BotEvent.h"

#include <cstddef>

namespace hostsim {

// The host's record and the core's are one layout, word for word, on every platform; that is
// what makes the casts below exact.
static_assert(sizeof(HostEvent) == sizeof(tarnwick::BotEvent), "same record size");
static_assert(offsetof(HostEvent, handle) == offsetof(tarnwick::BotEvent, handle),
              "same handle offset");
static_assert(offsetof(HostEvent, code) == offsetof(tarnwick::BotEvent, code), "same code offset");
static_assert(offsetof(HostEvent, parameters) == offsetof(tarnwick::BotEvent, p1),
              "same parameter offset");

PluginLink linkedCore() {
    return PluginLink{&talkToLinkedCore, reinterpret_cast<Word>(&receiveFromLinkedCore)};
}

void talkToLinkedCore(HostEvent* event) {
    tarnwick::talk(reinterpret_cast<const tarnwick::BotEvent*>(event));
}

void receiveFromLinkedCore(tarnwick::BotEvent* event) {
    Host::receive(reinterpret_cast<HostEvent*>(event));
}

} // namespace hostsim
