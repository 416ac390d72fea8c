// One bot's view of its arena: the players and flags the host knows, with the two host lists.
#pragma once

#include "HostList.h"
#include "Records.h"

#include <memory>
#include <string>
#include <vector>

namespace hostsim {

// Spectators sit in this ship.
constexpr std::uint8_t SpectatorShip = 8;
// The team of a flag owned by nobody.
constexpr std::uint16_t NobodysTeam = 0xFFFF;

class Arena {
public:
    // Adds a player at the end of the player list; the record keeps its address until removed.
    PlayerRecord& addPlayer(const std::string& name, std::uint16_t ident, std::uint16_t team,
                            std::uint8_t ship);
    // Takes a player out of the list and frees its record.
    void removePlayer(const PlayerRecord& player);
    // The first player with exactly this name, or null.
    PlayerRecord* findPlayer(const std::string& name);
    // The player whose ident is `ident`, or null.
    PlayerRecord* findPlayerByIdent(std::uint32_t ident);
    // The lowest ident no player in the arena has, found in one pass over the players; 0 when
    // all 65,536 are held, so a caller that may fill the arena counts its players first.
    std::uint16_t freeIdent() const;

    // Adds a flag owned by `team` at the end of the flag list.
    FlagRecord& addFlag(std::uint16_t team);
    // Takes a flag out of the list and frees its record.
    void removeFlag(const FlagRecord& flag);
    // Puts a flag's record on or off the flag list, keeping the record (a carried flag is off
    // the field but still exists). Putting on a listed flag, or off an unlisted one, does nothing.
    void setFlagListed(const FlagRecord& flag, bool listed);

    const std::vector<std::unique_ptr<PlayerRecord>>& players() const { return players_; }
    const std::vector<std::unique_ptr<FlagRecord>>& flags() const { return flags_; }
    const HostList& playerList() const { return playerList_; }
    const HostList& flagList() const { return flagList_; }

private:
    std::vector<std::unique_ptr<PlayerRecord>> players_;
    std::vector<std::unique_ptr<FlagRecord>> flags_;
    HostList playerList_;
    HostList flagList_;
};

} // namespace hostsim
