// The team lock: set, moved, kept or lifted after every survey, with its roster and passes.
//
// Invariants after every call: unlocked means an empty roster and no tags at all; locked means
// every tag is a team pass. Lifting a lock is silent; every lock or move is announced once,
// publicly, after the roster and the passes are in place. A lock whose roster, passes or
// announcement cannot be allocated in full is lifted instead, silently.
#pragma once

#include "bot/BotInstance.h"

#include <cstdint>

namespace tarnwick {

// Lifts any lock: unlocked, no tags, empty roster. Sends nothing and never allocates.
void resetLock(BotInstance& instance);

// `EventArenaEnter`: lifts any lock, then surveys every flag and locks afresh if one team owns
// them all (announcing it again even when it is the team locked before).
void handleArenaEnter(BotInstance& instance);

// `EventFlagGrab` and `EventFlagDrop`: surveys, leaving out the flag at `excludedFlag` (0 for
// none), and applies the survey.
void handleFlagChange(BotInstance& instance, HostAddress excludedFlag);

} // namespace tarnwick
