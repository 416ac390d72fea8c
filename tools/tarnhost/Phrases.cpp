#include "Phrases.h"

#include "Arena.h"

namespace tarnhost {

std::string flagOwnerText(std::uint16_t team) {
    return team == hostsim::NobodysTeam ? std::string("nobody") : "team " + std::to_string(team);
}

std::string shipText(std::uint8_t ship) {
    return ship == hostsim::SpectatorShip ? std::string("spectating")
                                          : "ship " + std::to_string(ship);
}

std::string placeText(const hostsim::PlayerRecord& player) {
    return "team " + std::to_string(player.team()) + ", " + shipText(player.ship());
}

std::string listText(const std::vector<std::string>& names) {
    if (names.empty()) {
        return "none";
    }
    std::string text = names.front();
    for (std::size_t at = 1; at < names.size(); ++at) {
        text += ", " + names[at];
    }
    return text;
}

std::string eventName(std::uint32_t code) {
    switch (code) {
    case hostsim::CodeInit:
        return "init";
    case hostsim::CodeTerm:
        return "term";
    case hostsim::CodeTick:
        return "tick";
    case hostsim::CodeArenaEnter:
        return "arena-enter";
    case hostsim::CodeArenaLeave:
        return "arena-leave";
    case hostsim::CodePlayerEntering:
        return "arrive";
    case hostsim::CodePlayerChange:
        return "change";
    case hostsim::CodePlayerLeaving:
        return "depart";
    case hostsim::CodeCommand:
        return "command";
    case hostsim::CodeHelp:
        return "help";
    case hostsim::CodeFlagGrab:
        return "flag-grab";
    case hostsim::CodeFlagDrop:
        return "flag-drop";
    case hostsim::CodeFlagGameOver:
        return "game-over";
    case hostsim::CodeFlagReset:
        return "flag-reset";
    default:
        return "code " + std::to_string(code);
    }
}

} // namespace tarnhost
