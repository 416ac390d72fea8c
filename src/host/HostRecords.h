// Read-only views of the host's records, taken in place at fixed byte offsets.
//
// Every read copies the field out with memcpy, so no record is ever assumed to be aligned or to
// have any layout beyond the offsets below. None of these functions accepts a null record: the
// callers test the address first.
#pragma once

#include "host/BotEvent.h"

#include <cstdint>
#include <cstring>

namespace tarnwick {

// Byte offsets inside a `Player` record.
constexpr std::size_t PlayerIdentOffset = 0;      // unsigned 16-bit
constexpr std::size_t PlayerAccessOffset = 4;     // signed 32-bit
constexpr std::size_t PlayerFlagCountOffset = 12; // unsigned 16-bit
constexpr std::size_t PlayerNameOffset = 21;      // NUL-terminated 8-bit text
constexpr std::size_t PlayerShipOffset = 157;     // unsigned 8-bit
constexpr std::size_t PlayerTeamOffset = 216;     // unsigned 16-bit

// Ship number of a spectating player.
constexpr std::uint32_t SpectatorShip = 8;

// The team of a flag that nobody owns.
constexpr std::uint32_t UnownedTeam = 0xFFFFu;

// Byte offset inside a `Flag` record.
constexpr std::size_t FlagTeamOffset = 4; // unsigned 16-bit

// Byte offsets inside a `Command` record: two addresses of NUL-terminated texts.
constexpr std::size_t CommandWordOffset = 16;
constexpr std::size_t CommandRestOffset = CommandWordOffset + sizeof(HostAddress);

// Byte offsets inside a `HostList` node: the item's address, then the next node's (0 at the end).
constexpr std::size_t ListNodeItemOffset = 0;
constexpr std::size_t ListNodeNextOffset = sizeof(HostAddress);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(CommandRestOffset == 20, "on 32 bits the rest text follows the word at 20");
static_assert(ListNodeNextOffset == 4, "on 32 bits a list node is two 32-bit words");
#else
static_assert(CommandRestOffset == 24, "on 64 bits the rest text follows the word at 24");
static_assert(ListNodeNextOffset == 8, "on 64 bits a list node is two 64-bit words");
#endif

// Copies a field of type Field out of the record at `address` + `offset`.
template <typename Field> Field readField(HostAddress address, std::size_t offset) {
    Field value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(address) + offset, sizeof value);
    return value;
}

// The player's 16-bit ident, zero-extended.
inline std::uint32_t playerIdent(HostAddress player) {
    return readField<std::uint16_t>(player, PlayerIdentOffset);
}

// The player's signed access level.
inline std::int32_t playerAccess(HostAddress player) {
    return readField<std::int32_t>(player, PlayerAccessOffset);
}

// How many flags the player carries; 0 means none.
inline std::uint32_t playerFlagCount(HostAddress player) {
    return readField<std::uint16_t>(player, PlayerFlagCountOffset);
}

// The player's NUL-terminated name, read in place; never null for a non-null record.
inline const char* playerName(HostAddress player) {
    return reinterpret_cast<const char*>(player + PlayerNameOffset);
}

// The player's ship; `SpectatorShip` means spectating.
inline std::uint32_t playerShip(HostAddress player) {
    return readField<std::uint8_t>(player, PlayerShipOffset);
}

// The player's 16-bit team, zero-extended.
inline std::uint32_t playerTeam(HostAddress player) {
    return readField<std::uint16_t>(player, PlayerTeamOffset);
}

// The flag's owning 16-bit team, zero-extended; `UnownedTeam` when nobody owns it.
inline std::uint32_t flagTeam(HostAddress flag) {
    return readField<std::uint16_t>(flag, FlagTeamOffset);
}

// The command word's text; null when the host left the address empty.
inline const char* commandWord(HostAddress command) {
    return reinterpret_cast<const char*>(readField<HostAddress>(command, CommandWordOffset));
}

// The text after the command word; null when the host left the address empty.
inline const char* commandRest(HostAddress command) {
    return reinterpret_cast<const char*>(readField<HostAddress>(command, CommandRestOffset));
}

// Calls visit(item) for each item of the host list whose head variable lives at `headVariable`,
// in list order. The head is read afresh on every call; an absent head variable (0) or an empty
// list visits nothing, and a node holding a null item is passed over.
template <typename Visit> void walkHostList(HostAddress headVariable, Visit&& visit) {
    if (headVariable == 0) {
        return;
    }
    HostAddress node = readField<HostAddress>(headVariable, 0);
    while (node != 0) {
        const HostAddress item = readField<HostAddress>(node, ListNodeItemOffset);
        const HostAddress next = readField<HostAddress>(node, ListNodeNextOffset);
        if (item != 0) {
            visit(item);
        }
        node = next;
    }
}

} // namespace tarnwick
