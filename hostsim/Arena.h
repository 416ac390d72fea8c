// One bot's view of its arena: the players and flags the host knows, with the two host lists,
// and the host's own indexes (players by name and ident, flags by name, who carries which flag),
// so that an arena of any size is set up and taken down in time in proportion to its size.
#pragma once

#include "HostList.h"
#include "RecordSequence.h"
#include "Records.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace hostsim {

// Spectators sit in this ship.
constexpr std::uint8_t SpectatorShip = 8;
// The team of a flag owned by nobody.
constexpr std::uint16_t NobodysTeam = 0xFFFF;

class Arena {
public:
    // Adds a player at the end of the player list; the record keeps its address until removed.
    // Names and idents may repeat (a faulty host); the indexes keep the name and ident given
    // here and through `renumber`, not those written through the record's own setters.
    PlayerRecord& addPlayer(const std::string& name, std::uint16_t ident, std::uint16_t team,
                            std::uint8_t ship);
    // Puts the flags the player carries back on the field, takes the player out of the list
    // and frees its record; no effect for a player of another arena.
    void removePlayer(const PlayerRecord& player);
    // The first player added under exactly this name, or null.
    PlayerRecord* findPlayer(const std::string& name) const;
    // The first player added holding `ident`, or null (always null above 65535).
    PlayerRecord* findPlayerByIdent(std::uint32_t ident) const;
    // Gives the player another ident, keeping the ident index right.
    void renumber(PlayerRecord& player, std::uint16_t ident);
    // The lowest ident no player in the arena holds; 0 when all 65,536 are held, which
    // `findPlayerByIdent(0)` then tells apart.
    std::uint16_t freeIdent();

    // Adds a flag owned by `team` at the end of the flag list, known by `name` unless it is
    // empty; the record keeps its address until removed.
    FlagRecord& addFlag(std::uint16_t team, const std::string& name = "");
    // Takes a flag out of the list, out of its carrier's hands, and frees its record.
    void removeFlag(const FlagRecord& flag);
    // The first flag added under exactly this (non-empty) name, or null.
    FlagRecord* findFlag(const std::string& name) const;
    // The name the flag was added under; empty for a flag of another arena.
    std::string flagName(const FlagRecord& flag) const;
    // Puts a flag's record on or off the flag list, keeping the record (a carried flag is off
    // the field but still exists). Putting on a listed flag, or off an unlisted one, does nothing.
    void setFlagListed(const FlagRecord& flag, bool listed);

    // `carrier` takes the flag: it leaves the flag list and now belongs to the carrier's team.
    void carry(FlagRecord& flag, PlayerRecord& carrier);
    // Who carries the flag; null when it lies on the field.
    PlayerRecord* carrierOf(const FlagRecord& flag) const;
    // The flags `carrier` holds, in the order they were added; empty when none.
    std::vector<FlagRecord*> carriedBy(const PlayerRecord& carrier) const;
    // Puts every flag `carrier` holds back on the field, owned by its team; returns them in the
    // order they were added (empty when it carried none).
    std::vector<FlagRecord*> release(const PlayerRecord& carrier);

    // The players and flags in the order they were added; what a call returned is read again
    // after a removal, never kept across one.
    const std::vector<std::unique_ptr<PlayerRecord>>& players() const { return players_.all(); }
    const std::vector<std::unique_ptr<FlagRecord>>& flags() const { return flags_.all(); }
    const HostList& playerList() const { return playerList_; }
    const HostList& flagList() const { return flagList_; }

private:
    // The name and ident a player is indexed under.
    struct PlayerKeys {
        std::string name;
        std::uint16_t ident;
    };
    // What the host knows of a flag beyond its record.
    struct FlagFacts {
        std::string name;
        PlayerRecord* carrier;
        std::uint64_t order; // when it was added, for listing flags in that order
    };

    RecordSequence<PlayerRecord> players_;
    RecordSequence<FlagRecord> flags_;
    HostList playerList_;
    HostList flagList_;
    std::unordered_map<const PlayerRecord*, PlayerKeys> playerKeys_;
    std::unordered_map<std::string, std::vector<PlayerRecord*>> playersByName_;
    std::unordered_map<std::uint32_t, std::vector<PlayerRecord*>> playersByIdent_;
    std::uint32_t lowestFreeIdent_ = 0; // every ident below it is held
    std::unordered_map<const FlagRecord*, FlagFacts> flagFacts_;
    std::unordered_map<std::string, std::vector<FlagRecord*>> flagsByName_;
    std::unordered_map<const PlayerRecord*, std::vector<FlagRecord*>> carried_;
    std::uint64_t flagsAdded_ = 0;
};

} // namespace hostsim
