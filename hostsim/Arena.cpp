#include "Arena.h"

#include <algorithm>

namespace hostsim {

namespace {

template <typename Record>
void eraseRecord(std::vector<std::unique_ptr<Record>>& records, const Record& record) {
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [&record](const std::unique_ptr<Record>& held) {
                                     return held.get() == &record;
                                 }),
                  records.end());
}

} // namespace

PlayerRecord& Arena::addPlayer(const std::string& name, std::uint16_t ident, std::uint16_t team,
                               std::uint8_t ship) {
    auto player = std::make_unique<PlayerRecord>();
    player->setName(name);
    player->setIdent(ident);
    player->setTeam(team);
    player->setShip(ship);
    PlayerRecord& added = *player;
    players_.push_back(std::move(player));
    playerList_.add(added.address());
    return added;
}

void Arena::removePlayer(const PlayerRecord& player) {
    playerList_.remove(player.address());
    eraseRecord(players_, player);
}

PlayerRecord* Arena::findPlayer(const std::string& name) {
    for (auto& player : players_) {
        if (player->name() == name) {
            return player.get();
        }
    }
    return nullptr;
}

PlayerRecord* Arena::findPlayerByIdent(std::uint32_t ident) {
    for (auto& player : players_) {
        if (player->ident() == ident) {
            return player.get();
        }
    }
    return nullptr;
}

std::uint16_t Arena::freeIdent() const {
    std::vector<bool> held(0x10000);
    for (const auto& player : players_) {
        held[player->ident()] = true;
    }
    const auto free = std::find(held.begin(), held.end(), false);
    return free == held.end() ? 0 : static_cast<std::uint16_t>(free - held.begin());
}

FlagRecord& Arena::addFlag(std::uint16_t team) {
    auto flag = std::make_unique<FlagRecord>();
    flag->setTeam(team);
    FlagRecord& added = *flag;
    flags_.push_back(std::move(flag));
    flagList_.add(added.address());
    return added;
}

void Arena::removeFlag(const FlagRecord& flag) {
    flagList_.remove(flag.address());
    eraseRecord(flags_, flag);
}

void Arena::setFlagListed(const FlagRecord& flag, bool listed) {
    const bool isListed = flagList_.contains(flag.address());
    if (listed && !isListed) {
        flagList_.add(flag.address());
    } else if (!listed && isListed) {
        flagList_.remove(flag.address());
    }
}

} // namespace hostsim
