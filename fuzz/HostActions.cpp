#include "HostActions.h"

#include "host/EventCodes.h"

#include <climits>
#include <string>

namespace fuzzing {

namespace {

using hostsim::Arena;
using hostsim::FlagRecord;
using hostsim::HostEvent;
using hostsim::PlayerRecord;
using hostsim::Word;

// The bots of one stream; 0 is a legal handle whose instance can never send.
constexpr std::uint32_t BotHandles[] = {1, 2, 0, 0xFFFFFFFFu};
// Bounds that keep one input fast; a full arena simply refuses more arrivals.
constexpr std::size_t MostPlayersPerArena = 40;
constexpr std::size_t MostFlagsPerArena = 10;

// Names that match each other's roster entries (or narrowly fail to), with high bytes.
const char* const Names[] = {"Ace", "aCE", "Ace ", "Ac", "", "Bo", "\xC4sa", "\xE4sa", "ACE"};
const std::uint16_t Teams[] = {0, 1, 2, 3, 3, 7, 99, 100, 150, 65534, 65535};
const std::int32_t AccessLevels[] = {0, 1, 2, 3, 12, 13, -1, INT_MIN, INT_MAX};
const char* const Words[] = {"about", "version", "About", "VERSION", "", "about ", "versions"};
const char* const Topics[] = {"", "about", "ABOUT", "aBoUt", "about ", "abo", "mod", " about"};
const std::uint32_t Versions[] = {
    hostsim::versionWord(6, 65535), hostsim::versionWord(6, 4),     hostsim::versionWord(7, 0),
    hostsim::versionWord(5, 65535), hostsim::versionWord(65535, 5), hostsim::versionWord(6, 0),
};
// Codes with no route: the gaps below 42, and some above.
const std::uint32_t UnroutedCodes[] = {2,  4,  6,  7,  8,  9,  11, 12, 13, 14,         15,
                                       16, 19, 22, 23, 25, 28, 29, 30, 31, 32,         33,
                                       34, 35, 36, 37, 38, 39, 40, 42, 43, 0xFFFFFFFFu};

// One of `items`, chosen by the next input byte.
template <typename Item, std::size_t Count>
const Item& pick(Stream& stream, const Item (&items)[Count]) {
    return items[stream.input.choose(Count)];
}

// An integer parameter word: `low` in the low 32 bits, and on wide platforms sometimes junk above.
Word widen(Stream& stream, std::uint32_t low) {
    Word word = low;
    if constexpr (sizeof(Word) > 4) {
        if (stream.input.oneIn(2)) {
            word |= static_cast<Word>(stream.input.raw<std::uint32_t>()) << 16 << 16;
        }
    }
    return word;
}

// A word for a parameter the plug-in does not read: 0, or any value at all.
Word junk(Stream& stream) {
    return stream.input.oneIn(2) ? 0 : stream.input.raw<Word>();
}

// Bot 1 half of the time; otherwise bot 2, handle 0 or handle 0xFFFFFFFF.
std::uint32_t pickHandle(Stream& stream) {
    const std::uint8_t choice = stream.input.byte();
    return choice < 128 ? BotHandles[0] : BotHandles[1 + choice % 3];
}

// A team from a list of telling ones (0, private teams, 0xFFFF), now and then any at all.
std::uint16_t pickTeam(Stream& stream) {
    return stream.input.oneIn(8) ? stream.input.raw<std::uint16_t>() : pick(stream, Teams);
}

// Ships 0 to 9 (8 spectates, 9 is no ship the plug-in knows), now and then a byte of 250 up.
std::uint8_t pickShip(Stream& stream) {
    const std::uint8_t choice = stream.input.byte();
    return choice >= 250 ? choice : static_cast<std::uint8_t>(choice % 10);
}

// One of the arena's players, or null when it has none.
PlayerRecord* pickPlayer(Stream& stream, Arena& arena) {
    if (arena.players().empty()) {
        return nullptr;
    }
    return arena.players()[stream.input.choose(arena.players().size())].get();
}

// One of the arena's flags, listed or carried, or null when it has none.
FlagRecord* pickFlag(Stream& stream, Arena& arena) {
    if (arena.flags().empty()) {
        return nullptr;
    }
    return arena.flags()[stream.input.choose(arena.flags().size())].get();
}

// The arena's player record at `address`, if the host still holds one there.
PlayerRecord* heldPlayer(Arena& arena, Word address) {
    for (const auto& player : arena.players()) {
        if (player->address() == address) {
            return player.get();
        }
    }
    return nullptr;
}

// The arena's flag record at `address`, if the host still holds one there.
FlagRecord* heldFlag(Arena& arena, Word address) {
    for (const auto& flag : arena.flags()) {
        if (flag->address() == address) {
            return flag.get();
        }
    }
    return nullptr;
}

// `EventInit`, mostly accepted: any version word now and then, sometimes without a callback or
// without either list head, with junk in p5, p6 and the high bits.
void initBot(Stream& stream, std::uint32_t handle) {
    const std::uint8_t shape = stream.input.byte();
    const std::uint32_t version = shape < 0xC0          ? hostsim::versionWord(6, 5)
                                  : (shape & 0x01) != 0 ? stream.input.raw<std::uint32_t>()
                                                        : pick(stream, Versions);
    HostEvent init = stream.host.initEvent(handle, version);
    for (std::size_t absent = 1; absent <= 3; ++absent) {
        if (stream.input.oneIn(8)) {
            init.parameters[absent] = 0; // no callback, player list or flag list
        }
    }
    init.parameters[0] = widen(stream, version);
    init.parameters[4] = junk(stream);
    init.parameters[5] = junk(stream);
    deliver(stream, init);
}

// A player joins the arena's list and is reported by `EventPlayerEntering`, most of the time.
void playerArrives(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    if (arena.players().size() >= MostPlayersPerArena) {
        return;
    }
    const std::string name =
        stream.input.oneIn(16) ? std::string(200, 'x') : std::string(pick(stream, Names));
    const std::uint16_t ident =
        stream.input.oneIn(4) ? stream.input.raw<std::uint16_t>() : arena.freeIdent();
    const std::uint16_t team = pickTeam(stream);
    PlayerRecord& player = arena.addPlayer(name, ident, team, pickShip(stream));
    player.setAccess(pick(stream, AccessLevels));
    if (stream.input.oneIn(8)) {
        player.setFlagCount(static_cast<std::uint16_t>(1 + stream.input.choose(3)));
    }
    if (!stream.input.oneIn(8)) {
        deliver(stream, hostsim::makeEvent(handle, hostsim::CodePlayerEntering, player.address(),
                                           junk(stream), junk(stream)));
    }
}

// The host's promise: a record is freed only after its leaving was delivered.
void playerLeaves(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    PlayerRecord* player = pickPlayer(stream, arena);
    if (player == nullptr) {
        return;
    }
    const Word address = player->address();
    deliver(stream, hostsim::makeEvent(handle, hostsim::CodePlayerLeaving, address, junk(stream)));
    if (PlayerRecord* still = heldPlayer(arena, address)) {
        arena.removePlayer(*still);
    }
}

// A player changes team, ship, both or neither; p2 and p3 carry the previous values with junk
// in their high halves, or are any words at all.
void playerChanges(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    PlayerRecord* player = pickPlayer(stream, arena);
    if (player == nullptr) {
        return;
    }
    const std::uint32_t previousTeam = player->team();
    const std::uint32_t previousShip = player->ship();
    const std::uint8_t change = stream.input.byte();
    if ((change & 0x01) != 0) {
        player->setTeam(pickTeam(stream));
    }
    if ((change & 0x02) != 0) {
        player->setShip(pickShip(stream));
    }
    const std::uint32_t highHalves = (change & 0x04) != 0 ? 0xFFFF0000u : 0;
    const std::uint32_t teamWord =
        (change & 0x08) != 0 ? stream.input.raw<std::uint32_t>() : (previousTeam | highHalves);
    const std::uint32_t shipWord =
        (change & 0x10) != 0 ? stream.input.raw<std::uint32_t>() : (previousShip | highHalves);
    deliver(stream,
            hostsim::makeEvent(handle, hostsim::CodePlayerChange, player->address(),
                               widen(stream, teamWord), widen(stream, shipWord), junk(stream)));
}

// A player picks up a flag: `EventFlagGrab` names it (or no flag, or another), before or after
// the host takes it off the field.
void flagGrabbed(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    FlagRecord* flag = pickFlag(stream, arena);
    PlayerRecord* carrier = pickPlayer(stream, arena);
    if (flag == nullptr) {
        return;
    }
    if (carrier != nullptr) {
        if (carrier->flagCount() < 0xFFFF) {
            carrier->setFlagCount(static_cast<std::uint16_t>(carrier->flagCount() + 1));
        }
        if (!stream.input.oneIn(4)) {
            flag->setTeam(carrier->team());
        }
    }
    const Word flagAddress = flag->address();
    const std::uint8_t shape = stream.input.byte();
    const bool unlistFirst = (shape & 0x01) != 0;
    if (unlistFirst) {
        arena.setFlagListed(*flag, false);
    }
    Word excluded = flagAddress;
    if ((shape & 0x06) == 0x06) {
        excluded = 0;
    } else if ((shape & 0x06) == 0x04) {
        FlagRecord* other = pickFlag(stream, arena);
        excluded = other != nullptr ? other->address() : 0;
    }
    const Word grabber =
        carrier != nullptr && (shape & 0x08) != 0 ? carrier->address() : junk(stream);
    deliver(stream,
            hostsim::makeEvent(handle, hostsim::CodeFlagGrab, grabber, excluded, junk(stream)));
    if (FlagRecord* still = heldFlag(arena, flagAddress); still != nullptr && !unlistFirst) {
        arena.setFlagListed(*still, false);
    }
}

// A carrier drops a flag, which lands on the field owned by his team (or any team).
void flagDropped(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    FlagRecord* flag = pickFlag(stream, arena);
    PlayerRecord* carrier = pickPlayer(stream, arena);
    if (carrier != nullptr && carrier->flagCount() > 0) {
        carrier->setFlagCount(static_cast<std::uint16_t>(carrier->flagCount() - 1));
    }
    if (flag != nullptr) {
        flag->setTeam(carrier != nullptr && !stream.input.oneIn(4) ? carrier->team()
                                                                   : pickTeam(stream));
        arena.setFlagListed(*flag, true);
    }
    deliver(stream, hostsim::makeEvent(handle, hostsim::CodeFlagDrop, junk(stream), junk(stream)));
}

// Flags appearing, vanishing or changing owner, and carriers changing load, without an event.
void flagsChangeQuietly(Stream& stream, std::uint32_t handle) {
    Arena& arena = stream.host.arena(handle);
    switch (stream.input.choose(4)) {
    case 0:
        if (arena.flags().size() < MostFlagsPerArena) {
            arena.addFlag(pickTeam(stream));
        }
        break;
    case 1:
        if (FlagRecord* flag = pickFlag(stream, arena)) {
            arena.removeFlag(*flag);
        }
        break;
    case 2:
        if (FlagRecord* flag = pickFlag(stream, arena)) {
            flag->setTeam(pickTeam(stream));
        }
        break;
    default:
        if (PlayerRecord* player = pickPlayer(stream, arena)) {
            player->setFlagCount(stream.input.oneIn(2) ? 0 : stream.input.raw<std::uint16_t>());
        }
        break;
    }
}

// A command or help request from a player (or from nobody), with a record that may lack its
// word, its rest, or be absent altogether.
void commandGiven(Stream& stream, std::uint32_t handle, std::uint32_t code) {
    Arena& arena = stream.host.arena(handle);
    PlayerRecord* player = pickPlayer(stream, arena);
    if (player != nullptr && stream.input.oneIn(4)) {
        player->setAccess(pick(stream, AccessLevels));
    }
    hostsim::CommandRecord command(pick(stream, Words), pick(stream, Topics));
    const std::uint8_t shape = stream.input.byte();
    if ((shape & 0x03) == 0x03) {
        command.dropWord();
    }
    if ((shape & 0x0C) == 0x0C) {
        command.dropRest();
    }
    const Word asker = player != nullptr && (shape & 0x30) != 0x30 ? player->address() : 0;
    const Word record = (shape & 0xC0) != 0xC0 ? command.address() : 0;
    deliver(stream, hostsim::makeEvent(handle, code, asker, record, junk(stream)));
}

// An event whose player, flag or command address is null where the host could pass one.
void nullAddressEvent(Stream& stream, std::uint32_t handle) {
    const std::uint32_t codes[] = {hostsim::CodePlayerEntering, hostsim::CodePlayerChange,
                                   hostsim::CodePlayerLeaving,  hostsim::CodeCommand,
                                   hostsim::CodeHelp,           hostsim::CodeFlagGrab};
    const std::uint32_t code = pick(stream, codes);
    deliver(stream, hostsim::makeEvent(handle, code, 0,
                                       code == hostsim::CodePlayerChange ? junk(stream) : 0,
                                       junk(stream), junk(stream)));
}

// An event of a code without a route (below 42 or far above), every parameter junk.
void unroutedEvent(Stream& stream, std::uint32_t handle) {
    std::uint32_t code = pick(stream, UnroutedCodes);
    if (stream.input.oneIn(2)) {
        code = stream.input.raw<std::uint32_t>();
        if (code <= tarnwick::HighestRoutedCode) {
            code += tarnwick::HighestRoutedCode + 1;
        }
    }
    deliver(stream, hostsim::makeEvent(handle, code, stream.input.raw<Word>(),
                                       stream.input.raw<Word>(), stream.input.raw<Word>(),
                                       stream.input.raw<Word>(), junk(stream), junk(stream)));
}

// An event without parameters that the plug-in reads: term, arena and flag-game events.
void plainEvent(Stream& stream, std::uint32_t handle) {
    const std::uint32_t codes[] = {hostsim::CodeTerm,       hostsim::CodeArenaEnter,
                                   hostsim::CodeArenaLeave, hostsim::CodeFlagGameOver,
                                   hostsim::CodeFlagReset,  hostsim::CodeArenaEnter};
    deliver(stream, hostsim::makeEvent(handle, pick(stream, codes), junk(stream), junk(stream),
                                       junk(stream)));
}

// An event for a handle no bot uses, so the registry grows with instances that never connect.
void strangerEvent(Stream& stream) {
    const std::uint32_t handle = stream.input.raw<std::uint32_t>();
    const std::uint32_t codes[] = {hostsim::CodeTerm, hostsim::CodeTick, hostsim::CodeFlagDrop,
                                   hostsim::CodeArenaEnter, 77};
    deliver(stream, hostsim::makeEvent(handle, pick(stream, codes), junk(stream)));
}

} // namespace

void connectBot(Stream& stream, std::uint32_t handle) {
    deliver(stream, stream.host.initEvent(handle));
}

void performAction(Stream& stream) {
    const std::size_t action = stream.input.choose(17);
    if (action == 16) {
        strangerEvent(stream);
        return;
    }
    const std::uint32_t handle = pickHandle(stream);
    switch (action) {
    case 0:
        initBot(stream, handle);
        break;
    case 1:
    case 2:
        playerArrives(stream, handle);
        break;
    case 3:
        playerLeaves(stream, handle);
        break;
    case 4:
    case 5:
        playerChanges(stream, handle);
        break;
    case 6:
    case 7:
        flagGrabbed(stream, handle);
        break;
    case 8:
        flagDropped(stream, handle);
        break;
    case 9:
    case 10:
        flagsChangeQuietly(stream, handle);
        break;
    case 11:
        commandGiven(stream, handle,
                     stream.input.oneIn(2) ? hostsim::CodeCommand : hostsim::CodeHelp);
        break;
    case 12:
        nullAddressEvent(stream, handle);
        break;
    case 13:
        unroutedEvent(stream, handle);
        break;
    default:
        plainEvent(stream, handle);
        break;
    }
}

} // namespace fuzzing
