// Event codes and say modes understood by the host.
#pragma once

#include <cstdint>

namespace tarnwick {

// Inbound codes, host to plug-in. Every code not named here has no effect.
enum InboundCode : std::uint32_t {
    EventInit = 0,
    EventTerm = 1,
    EventTick = 2,
    EventArenaEnter = 3,
    EventArenaLeave = 5,
    EventPlayerEntering = 10,
    EventPlayerChange = 17,
    EventPlayerLeaving = 18,
    EventCommand = 20,
    EventHelp = 21,
    EventFlagGrab = 24,
    EventFlagDrop = 26,
    EventFlagGameOver = 27,
    EventFlagReset = 41,
};

// The highest inbound code that can have an effect; every code above it is ignored.
constexpr std::uint32_t HighestRoutedCode = 41;

// Outbound codes, plug-in to host. They share numbers with inbound codes; direction tells apart.
enum OutboundCode : std::uint32_t {
    EventEcho = 0,
    EventSay = 1,
};

// Say modes of an outbound `EventSay`.
enum SayMode : std::uint32_t {
    SayPublic = 2,
    SayPrivate = 5,
};

} // namespace tarnwick
