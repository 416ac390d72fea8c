#include "RegistryInvariants.h"

#include "bot/InstanceRegistry.h"
#include "bot/PlayerTags.h"

namespace checks {

namespace {

// The highest team a lock can hold: a survey is never unanimous for the unowned team 0xFFFF.
constexpr std::uint32_t HighestLockableTeam = 0xFFFE;

// Empty when the lock state of one instance is consistent with its tags and roster.
std::string findInstanceBreach(const tarnwick::BotInstance& instance,
                               const LivePlayerQuery& isLivePlayer) {
    std::string breach = findListBreach(instance.tags);
    if (!breach.empty()) {
        return "tags: " + breach;
    }
    breach = findListBreach(instance.roster);
    if (!breach.empty()) {
        return "roster: " + breach;
    }
    if (!instance.locked) {
        if (instance.roster.count() != 0 || instance.tags.count() != 0) {
            return "unlocked with " + std::to_string(instance.roster.count()) + " names and " +
                   std::to_string(instance.tags.count()) + " tags";
        }
        return {};
    }
    if (instance.lockedTeam > HighestLockableTeam) {
        return "locked on team " + std::to_string(instance.lockedTeam);
    }
    std::set<std::uintptr_t> tagged;
    for (auto* node = instance.tags.head(); node != nullptr; node = node->next) {
        const tarnwick::PlayerTag& tag = *node->item;
        if (tag.key != tarnwick::TeamPassKey || tag.value != tarnwick::TeamPassValue) {
            return "locked with a tag of key " + std::to_string(tag.key) + " value " +
                   std::to_string(tag.value);
        }
        if (!tagged.insert(tag.player).second) {
            return "two passes for one player";
        }
        if (isLivePlayer && !instance.disabled && !isLivePlayer(instance.handle, tag.player)) {
            return "a pass held for a player record the host has freed";
        }
    }
    return {};
}

} // namespace

std::string findRegistryBreach(const LivePlayerQuery& isLivePlayer) {
    const tarnwick::InstanceRegistry& registry = tarnwick::registeredInstances();
    std::string breach = findListBreach(registry);
    if (!breach.empty()) {
        return "registry: " + breach;
    }
    std::set<std::uint32_t> handles;
    for (auto* node = registry.head(); node != nullptr; node = node->next) {
        const tarnwick::BotInstance& instance = *node->item;
        if (!handles.insert(instance.handle).second) {
            return "two instances for handle " + std::to_string(instance.handle);
        }
        breach = findInstanceBreach(instance, isLivePlayer);
        if (!breach.empty()) {
            return "handle " + std::to_string(instance.handle) + ": " + breach;
        }
    }
    return {};
}

LivePlayerQuery playersHeldBy(const hostsim::Host& host) {
    return [&host](std::uint32_t handle, std::uintptr_t player) {
        const auto arena = host.arenas().find(handle);
        if (arena == host.arenas().end()) {
            return false;
        }
        for (const auto& record : arena->second->players()) {
            if (record->address() == player) {
                return true;
            }
        }
        return false;
    };
}

} // namespace checks
