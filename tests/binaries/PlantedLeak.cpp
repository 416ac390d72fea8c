// The module's export with a planted leak of 16 bytes, for showing that the reload check catches
// the smallest leak a module can make: built only into the probe modules of the Windows build,
// never into the shipped DLL. The compile definition picks where it leaks:
//   LEAK_EVERY_LOAD        once at every load, when the module's globals are made;
//   LEAK_EVERY_SEND_BACK   at every send-back, when the plug-in sends a player back to a team
//                          (its "*setfreq" line passes through a relay in front of the host's
//                          callback);
//   LEAK_ON_HANDSHAKE_WITHOUT_LISTS
//                          at every handshake that gives no list addresses, a path no plain
//                          game takes.
#include "entry/Talk.h"
#include "host/EventCodes.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t LeakedBytes = 16;

// The last block leaked; each one taken overwrites it, so all but the last are out of reach.
void* volatile leaked = nullptr;

#if defined(LEAK_EVERY_LOAD)
// Takes the load's block when the module's globals are made.
[[maybe_unused]] const bool leakedAtLoad = (leaked = std::malloc(LeakedBytes)) != nullptr;
#elif defined(LEAK_EVERY_SEND_BACK)
constexpr char SendBackOpening[] = "*setfreq ";

// The host's callback, which the relay passes every outbound event on to.
tarnwick::HostCallback hostCallback = nullptr;

// Leaks a block for each send-back, then hands the event to the host.
void relay(tarnwick::BotEvent* event) {
    const char* text = reinterpret_cast<const char*>(event->p4);
    if (event->code == tarnwick::EventSay && text != nullptr &&
        std::strncmp(text, SendBackOpening, sizeof SendBackOpening - 1) == 0) {
        leaked = std::malloc(LeakedBytes);
    }
    hostCallback(event);
}
#elif !defined(LEAK_ON_HANDSHAKE_WITHOUT_LISTS)
#error                                                                                             \
    "PlantedLeak.cpp needs LEAK_EVERY_LOAD, LEAK_EVERY_SEND_BACK or LEAK_ON_HANDSHAKE_WITHOUT_LISTS"
#endif

} // namespace

extern "C" void talk(tarnwick::BotEvent* event) {
#if defined(LEAK_ON_HANDSHAKE_WITHOUT_LISTS)
    if (event != nullptr && event->code == tarnwick::EventInit && event->p3 == 0 &&
        event->p4 == 0) {
        leaked = std::malloc(LeakedBytes);
    }
#elif defined(LEAK_EVERY_SEND_BACK)
    if (event != nullptr && event->code == tarnwick::EventInit && event->p2 != 0) {
        tarnwick::BotEvent relayed = *event;
        hostCallback = reinterpret_cast<tarnwick::HostCallback>(relayed.p2);
        relayed.p2 = reinterpret_cast<tarnwick::ParameterWord>(&relay);
        tarnwick::talk(&relayed);
        return;
    }
#endif
    tarnwick::talk(event);
}
