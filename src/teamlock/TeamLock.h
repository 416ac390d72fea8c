// The team lock: set, moved, kept or lifted after every survey, with its roster and passes.
//
// Invariants after every call: unlocked means an empty roster and no tags at all; locked means
// every tag is a team pass. Lifting a lock is silent; every lock or move is announced once,
// publicly, after the roster and the passes are in place.
#pragma once

#include "plugin/BotInstance.h"
#include "teamlock/FlagSurvey.h"

#include <cstdint>

namespace tarnwick {

// Ship number of a spectating player; spectators never enter the roster.
constexpr std::uint32_t SpectatorShip = 8;
// Locks on teams from this number up are announced without the number.
constexpr std::uint32_t PrivateTeamFloor = 100;

// Lifts any lock: unlocked, no tags, empty roster. Sends nothing and never allocates.
void resetLock(BotInstance& instance);

// Applies a survey: lock, move, keep or lift. If the roster or the announcement cannot be built
// for want of memory the lock is lifted instead, so nobody is ever sent back on a half-built
// roster or an unannounced lock, and std::bad_alloc propagates.
void reevaluateLock(BotInstance& instance, const FlagSurvey& survey);

// Appends every non-spectating player on the locked team, in host list order, to the roster,
// and gives each a team pass.
void buildRoster(BotInstance& instance);

// Sends the public announcement of the lock on `lockedTeam`.
void announceLock(BotInstance& instance);

// `EventArenaEnter`: lifts any lock, then surveys every flag and locks afresh if one team owns
// them all (announcing it again even when it is the team locked before).
void handleArenaEnter(BotInstance& instance);

// `EventFlagGrab` and `EventFlagDrop`: surveys, leaving out the flag at `excludedFlag` (0 for
// none), and applies the survey.
void handleFlagChange(BotInstance& instance, HostAddress excludedFlag);

} // namespace tarnwick
