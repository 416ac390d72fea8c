// BotInstance: the whole state of the plug-in for one bot of the host.
#pragma once

#include "bot/PlayerTags.h"
#include "host/BotEvent.h"
#include "support/OwnedList.h"
#include "support/Text.h"

#include <cstdint>

namespace tarnwick {

// Ordered copies of the locked team's member names, appended at the end and emptied wholesale.
using Roster = OwnedList<Text>;

struct BotInstance {
    explicit BotInstance(std::uint32_t botHandle) : handle(botHandle) {}
    BotInstance(const BotInstance&) = delete;
    BotInstance& operator=(const BotInstance&) = delete;
    // Empties the roster, then the tags; nothing is sent.
    ~BotInstance();

    // Set by a refused handshake and never cleared; a disabled instance ignores every event.
    bool disabled = false;
    // Tags held under host player record addresses; only team passes are ever recorded.
    PlayerTagList tags;
    // The host's name for this bot; word 0 of every event to and from it.
    const std::uint32_t handle;
    // Where outbound events go; none until an `EventInit` brings one.
    HostCallback hostCallback = nullptr;
    // Addresses of the host's player-list and flag-list head variables; 0 until `EventInit`.
    HostAddress playerList = 0;
    HostAddress flagList = 0;
    // Whether a team lock is in force, on which team, and who was on it when it was imposed.
    bool locked = false;
    Roster roster;
    std::uint32_t lockedTeam = 0;
};

} // namespace tarnwick
