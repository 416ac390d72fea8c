// The arenas the benchmarks play in: players split evenly between two teams, all in ships, and
// a flag list a quarter the size of the player list, owned by one team or split between both.
#pragma once

#include "Arena.h"

#include <cstdint>
#include <string>

namespace bench {

// The two teams of every benchmark arena; players alternate between them in list order.
constexpr std::uint16_t HomeTeam = 1;
constexpr std::uint16_t RivalTeam = 2;

// Every eighth player of a team (in list order) carries one flag: of the owning team only in an
// owned arena, of both teams in a split one.
constexpr std::uint32_t CarrierSpacing = 8;

// The name of the player at `position` in list order: "Pilot" and the position in decimal.
std::string pilotName(std::uint32_t position);

// Fills an empty arena with `playerCount` players (even positions on `HomeTeam`, odd ones on
// `RivalTeam`, ships 0 to 7, never spectating) and `playerCount / 4` flags (at least one),
// then splits the flags. Nothing is delivered.
void populateArena(hostsim::Arena& arena, std::uint32_t playerCount);

// Every flag owned by `team`; every eighth player of `team` carries one flag, nobody else any.
void giveFlagsTo(hostsim::Arena& arena, std::uint16_t team);

// Flags owned alternately by `HomeTeam` and `RivalTeam`; every eighth player of each team
// carries one flag. A survey of this arena is never unanimous.
void splitFlags(hostsim::Arena& arena);

// The last player in list order on `team`; the arena must have one.
const hostsim::PlayerRecord& lastPlayerOf(const hostsim::Arena& arena, std::uint16_t team);

// How many players of the arena are on `team` in a ship: the roster of a lock on it.
std::uint32_t membersOf(const hostsim::Arena& arena, std::uint16_t team);

} // namespace bench
