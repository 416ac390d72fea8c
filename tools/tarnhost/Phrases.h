// Host records in words, shared by the transcript, the state view and error messages.
#pragma once

#include "Records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

// "team 3", or "nobody" for the team of a flag nobody owns.
std::string flagOwnerText(std::uint16_t team);

// "ship 1", or "spectating" for the spectator ship.
std::string shipText(std::uint8_t ship);

// Where a player is: "team 3, ship 1" or "team 3, spectating".
std::string placeText(const hostsim::PlayerRecord& player);

// The names joined with ", "; "none" when there are none.
std::string listText(const std::vector<std::string>& names);

// The event code's name as the language spells it ("flag-grab", "code 99" for others).
std::string eventName(std::uint32_t code);

} // namespace tarnhost
