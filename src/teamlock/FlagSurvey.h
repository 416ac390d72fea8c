// The flag ownership survey: does one real team own every counted flag right now?
#pragma once

#include "bot/BotInstance.h"

#include <cstdint>

namespace tarnwick {

// The owner before anything has been counted; no zero-extended 16-bit team can equal it.
constexpr std::uint32_t NoTeamSeen = 0xDEADBEEFu;

struct FlagSurvey {
    // Every counted carrier and flag belongs to `owner`, and `owner` is a real team.
    bool unanimous;
    // The first team counted, or `NoTeamSeen`; meaningful only when `unanimous`.
    std::uint32_t owner;
};

// Counts each flag carrier once (spectators too) and each listed flag except the record at
// `excludedFlag` (0 excludes none), over the host's current lists. An absent or empty list
// counts nothing. Reads host records in place; allocates, changes and sends nothing.
FlagSurvey surveyFlags(const BotInstance& instance, HostAddress excludedFlag);

} // namespace tarnwick
