#include "Arena.h"

#include <algorithm>

namespace hostsim {

namespace {

// Takes `record` out of the records filed under `key`, dropping the key when none is left.
template <typename Key, typename Record>
void unfile(std::unordered_map<Key, std::vector<Record*>>& index, const Key& key,
            const Record* record) {
    const auto found = index.find(key);
    if (found == index.end()) {
        return;
    }
    std::vector<Record*>& filed = found->second;
    filed.erase(std::remove(filed.begin(), filed.end(), record), filed.end());
    if (filed.empty()) {
        index.erase(found);
    }
}

// The first record filed under `key`, or null.
template <typename Key, typename Record>
Record* firstFiled(const std::unordered_map<Key, std::vector<Record*>>& index, const Key& key) {
    const auto found = index.find(key);
    return found == index.end() ? nullptr : found->second.front();
}

} // namespace

PlayerRecord& Arena::addPlayer(const std::string& name, std::uint16_t ident, std::uint16_t team,
                               std::uint8_t ship) {
    auto player = std::make_unique<PlayerRecord>();
    player->setName(name);
    player->setIdent(ident);
    player->setTeam(team);
    player->setShip(ship);
    PlayerRecord& added = players_.add(std::move(player));
    playerList_.add(added.address());
    playerKeys_[&added] = {name, ident};
    playersByName_[name].push_back(&added);
    playersByIdent_[ident].push_back(&added);
    return added;
}

void Arena::removePlayer(const PlayerRecord& player) {
    const auto keys = playerKeys_.find(&player);
    if (keys == playerKeys_.end()) {
        return;
    }
    release(player);
    carried_.erase(&player);
    unfile(playersByName_, keys->second.name, &player);
    unfile(playersByIdent_, std::uint32_t{keys->second.ident}, &player);
    lowestFreeIdent_ = std::min<std::uint32_t>(lowestFreeIdent_, keys->second.ident);
    playerKeys_.erase(keys);
    playerList_.remove(player.address());
    players_.remove(player);
}

PlayerRecord* Arena::findPlayer(const std::string& name) const {
    return firstFiled(playersByName_, name);
}

PlayerRecord* Arena::findPlayerByIdent(std::uint32_t ident) const {
    return firstFiled(playersByIdent_, ident);
}

void Arena::renumber(PlayerRecord& player, std::uint16_t ident) {
    const auto keys = playerKeys_.find(&player);
    if (keys == playerKeys_.end()) {
        return;
    }
    unfile(playersByIdent_, std::uint32_t{keys->second.ident}, &player);
    lowestFreeIdent_ = std::min<std::uint32_t>(lowestFreeIdent_, keys->second.ident);
    keys->second.ident = ident;
    playersByIdent_[ident].push_back(&player);
    player.setIdent(ident);
}

std::uint16_t Arena::freeIdent() {
    // Every ident below the mark is held, so the search goes on from it: over any run of adds
    // and removals it passes each ident only as often as a removal moved the mark back.
    while (lowestFreeIdent_ <= 0xFFFF && playersByIdent_.count(lowestFreeIdent_) != 0) {
        ++lowestFreeIdent_;
    }
    return lowestFreeIdent_ <= 0xFFFF ? static_cast<std::uint16_t>(lowestFreeIdent_) : 0;
}

FlagRecord& Arena::addFlag(std::uint16_t team, const std::string& name) {
    auto flag = std::make_unique<FlagRecord>();
    flag->setTeam(team);
    FlagRecord& added = flags_.add(std::move(flag));
    flagList_.add(added.address());
    flagFacts_[&added] = {name, nullptr, flagsAdded_++};
    if (!name.empty()) {
        flagsByName_[name].push_back(&added);
    }
    return added;
}

void Arena::removeFlag(const FlagRecord& flag) {
    const auto facts = flagFacts_.find(&flag);
    if (facts == flagFacts_.end()) {
        return;
    }
    if (facts->second.carrier != nullptr) {
        unfile(carried_, static_cast<const PlayerRecord*>(facts->second.carrier), &flag);
    }
    if (!facts->second.name.empty()) {
        unfile(flagsByName_, facts->second.name, &flag);
    }
    flagFacts_.erase(facts);
    flagList_.remove(flag.address());
    flags_.remove(flag);
}

FlagRecord* Arena::findFlag(const std::string& name) const {
    return name.empty() ? nullptr : firstFiled(flagsByName_, name);
}

std::string Arena::flagName(const FlagRecord& flag) const {
    const auto facts = flagFacts_.find(&flag);
    return facts == flagFacts_.end() ? "" : facts->second.name;
}

void Arena::setFlagListed(const FlagRecord& flag, bool listed) {
    const bool isListed = flagList_.contains(flag.address());
    if (listed && !isListed) {
        flagList_.add(flag.address());
    } else if (!listed && isListed) {
        flagList_.remove(flag.address());
    }
}

void Arena::carry(FlagRecord& flag, PlayerRecord& carrier) {
    const auto facts = flagFacts_.find(&flag);
    if (facts == flagFacts_.end() || playerKeys_.count(&carrier) == 0) {
        return;
    }
    if (facts->second.carrier != nullptr) {
        unfile(carried_, static_cast<const PlayerRecord*>(facts->second.carrier), &flag);
    }
    facts->second.carrier = &carrier;
    carried_[&carrier].push_back(&flag);
    flag.setTeam(carrier.team());
    setFlagListed(flag, false);
}

PlayerRecord* Arena::carrierOf(const FlagRecord& flag) const {
    const auto facts = flagFacts_.find(&flag);
    return facts == flagFacts_.end() ? nullptr : facts->second.carrier;
}

std::vector<FlagRecord*> Arena::carriedBy(const PlayerRecord& carrier) const {
    const auto found = carried_.find(&carrier);
    std::vector<FlagRecord*> flags;
    if (found != carried_.end()) {
        flags = found->second;
    }
    std::sort(flags.begin(), flags.end(), [this](const FlagRecord* one, const FlagRecord* other) {
        return flagFacts_.at(one).order < flagFacts_.at(other).order;
    });
    return flags;
}

std::vector<FlagRecord*> Arena::release(const PlayerRecord& carrier) {
    const std::vector<FlagRecord*> released = carriedBy(carrier);
    for (FlagRecord* flag : released) {
        flag->setTeam(carrier.team());
        setFlagListed(*flag, true);
        flagFacts_.at(flag).carrier = nullptr;
    }
    carried_.erase(&carrier);
    return released;
}

} // namespace hostsim
