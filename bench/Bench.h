// What the benchmark programs share: the link to the core with a callback that only counts, and
// the bare walk.
#pragma once

#include "Host.h"

namespace bench {

// What the counting callback received: every event, and the lines by mode. Global, as a host
// callback carries no context of its own.
struct SentCounts {
    unsigned long long events, publicLines, privateLines;
};
inline SentCounts sentCounts{0, 0, 0};

// The plug-in core linked into the program, with a callback that counts what it gets in
// `sentCounts` and never reads a text.
hostsim::PluginLink countingCore();

// The floor a flag survey is measured against: the player list whose head variable is at
// `playerHead`, reading each player's flag count and, for a carrier, its team, then the flag list
// at `flagHead`, reading each flag's team, at the same offsets and with memcpy as the plug-in,
// with no plug-in logic at all. Returns a sum of what it read, so that no read can be left out.
std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead);

} // namespace bench
