// The host every measurement plays in: bot N plays in an arena of N players, made and connected
// the first time it is asked for, so each arena size is built once per program run.
#pragma once

#include "Host.h"

#include <cstdint>

namespace bench {

// The program's host, delivering to the plug-in core linked into the program.
hostsim::Host& benchHost();

// The arena of bot `players`, with `players` players and a quarter as many flags; on first use
// it is populated and the bot is connected to it with the counting callback.
hostsim::Arena& arenaOf(std::uint32_t players);

} // namespace bench
