// The floor a flag survey is measured against: the same two host lists walked and the same
// fields read, at the same offsets with memcpy, with no plug-in logic at all.
#pragma once

#include "HostEvent.h"

#include <cstdint>

namespace bench {

// Walks the player list whose head variable is at `playerHead`, reading each player's flag
// count and, for a carrier, its team; then the flag list at `flagHead`, reading each flag's
// team. Returns a sum of what it read so that no read can be left out. A head variable holding
// 0 walks nothing.
std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead);

} // namespace bench
