// What the benchmark programs share: the counts taken besides time, and the bare walk.
#pragma once

#include "Host.h"

#include <cstdint>

namespace bench {

// Heap allocations, counted by the program's operator new only while armed: around the one `talk`
// measured, never in the host or the benchmark library. Global, as operator new is.
struct AllocationCount {
    bool armed;
    std::uint64_t allocations;
};
inline AllocationCount allocationCount{false, 0};

// What the counting callback received: every event, and the lines by mode. Global, as a host
// callback carries no context of its own.
struct SentCounts {
    unsigned long long events, publicLines, privateLines;
};
inline SentCounts sentCounts{0, 0, 0};

// Delivers `EventInit` (version 6.5) for `handle` with the counting callback, which never reads
// a text, and the addresses of that bot's list heads in `host`.
void connectCountingBot(hostsim::Host& host, std::uint32_t handle);

// The floor a flag survey is measured against: the player list whose head variable is at
// `playerHead`, reading each player's flag count and, for a carrier, its team, then the flag list
// at `flagHead`, reading each flag's team, at the same offsets and with memcpy as the plug-in,
// with no plug-in logic at all. Returns a sum of what it read, so that no read can be left out.
std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead);

} // namespace bench
