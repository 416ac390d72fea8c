// Player tags: a 32-bit value recorded under a 32-bit key for one player of the arena.
//
// A player is known by the address of its host record, which is compared and never read
// through. Tags stand in order of creation. `setTag` keeps one tag per pair of player and key;
// `appendTag` adds one without looking, so a pair may stand twice (a player the host lists twice
// gets two equal passes): the first from the head is the one read, and removal takes them all.
#pragma once

#include "host/BotEvent.h"
#include "support/OwnedList.h"

#include <cstdint>

namespace tarnwick {

struct PlayerTag {
    HostAddress player;
    std::uint32_t key;
    std::uint32_t value;
};

using PlayerTagList = OwnedList<PlayerTag>;

// The tag key and value that let a player stay on, or move onto, the locked team.
constexpr std::uint32_t TeamPassKey = 0;
constexpr std::uint32_t TeamPassValue = 1;

// The value of the first tag for `player` and `key`; 0 when there is none.
std::uint32_t getTag(const PlayerTagList& tags, HostAddress player, std::uint32_t key);

// Overwrites the value of the first tag for `player` and `key`, or appends a new tag when there
// is none; true when the tag holds `value`. False, with the list unchanged, when the new tag or
// its node cannot be allocated.
bool setTag(PlayerTagList& tags, HostAddress player, std::uint32_t key, std::uint32_t value);

// Appends a tag for `player` and `key` holding `value` without looking for one already there:
// for a list just emptied, where a search would find nothing of the kind but a tag appended in
// the same rebuild. True when it is appended; false, with the list unchanged, when the tag or
// its node cannot be allocated.
bool appendTag(PlayerTagList& tags, HostAddress player, std::uint32_t key, std::uint32_t value);

// Removes every tag of `player`, whatever its key; the other tags keep their order.
void removePlayerTags(PlayerTagList& tags, HostAddress player);

// Removes every tag.
void removeAllTags(PlayerTagList& tags);

} // namespace tarnwick
