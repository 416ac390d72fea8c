// The host's arenas in words, for a person watching a session.
#pragma once

#include "Host.h"

#include <string>
#include <vector>

namespace hostsim {

// "team 3", or "nobody" for a flag nobody owns.
std::string ownerText(std::uint16_t team);
// "team 3, ship 1" or "team 3, spectating".
std::string placeText(const PlayerRecord& record);
// The texts joined with ", "; "none" when there are none.
std::string listText(const std::vector<std::string>& texts);
// The names the flags were added under, in the order given.
std::vector<std::string> flagNames(const Arena& arena, const std::vector<FlagRecord*>& flags);
// Every bot's arena as the host sees it: a header per bot (its handshake, its counts, "current"
// for `current`), a line per player and per flag, and the bot's last public line; empty when
// the host has no arena yet.
std::vector<std::string> describe(Host& host, std::uint32_t current);

} // namespace hostsim
