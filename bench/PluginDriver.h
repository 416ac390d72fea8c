// The benchmarks' link to the plug-in core linked into the program: its `talk`, with a callback
// that only counts what it gets.
#pragma once

#include "Host.h"
#include "host/BotEvent.h"

#include <cstdint>

namespace bench {

// What the counting callback has received, by kind. Texts are never read or copied.
struct SentCounts {
    std::uint64_t echoes;
    std::uint64_t publicLines;
    std::uint64_t privateLines;
};

// The program's one tally; global because a host callback carries no context of its own.
inline SentCounts sentCounts{0, 0, 0};

// Every outbound event received so far, of any kind.
inline std::uint64_t sentTotal() {
    return sentCounts.echoes + sentCounts.publicLines + sentCounts.privateLines;
}

// The host callback handed to the plug-in: counts the event by kind and returns at once.
void countSentEvent(tarnwick::BotEvent* event);

// The linked core with `countSentEvent` as the callback the handshake hands over.
hostsim::PluginLink countingCore();

} // namespace bench
