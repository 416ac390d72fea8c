// What a team lock does to players who arrive or change team while it is in force.
#pragma once

#include "bot/BotInstance.h"

#include <cstdint>

namespace tarnwick {

// While locked: a player whose name is in the roster (ASCII letters without regard to case,
// whole names) gets the pass again and a welcome-back line; anybody else is told the team is
// locked. Unlocked, or for a null player: nothing. When memory runs out no line is sent, and a
// pass that cannot be recorded sends no welcome back.
void handlePlayerEntering(BotInstance& instance, HostAddress player);

// While locked: a player now on the locked team in a ship and without a pass is sent back with
// "*setfreq " and the team he came from; one who came out of spectating is sent to team 0, or to
// team 1 when team 0 is the locked team.
// Every other case, a null player included, changes and sends nothing; so does a line that
// cannot be allocated.
void handlePlayerChange(BotInstance& instance, HostAddress player, std::uint32_t previousTeam,
                        std::uint32_t previousShip);

} // namespace tarnwick
