// A Windows host of our own that loads the module, plays every path of the plug-in that allocates
// on bots of their own, and unloads it with locks holding, again and again in one process, as a
// host that reloads its plug-ins does. After a warm-up it sums the bytes of the busy blocks of
// every heap of the process before and after the measured cycles, and fails when they differ by a
// single byte: whatever a load, the plays and an unload take from the heap, they must give back.
// It also fails when any play does not receive its lines, so it cannot pass without the module
// running every path.
//
//   reload_check PATH-TO-DLL
#include "Arena.h"
#include "Host.h"
#include "HostEvent.h"
#include "Module.h"
#include "Records.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t LockedTeam = 3, RivalTeam = 2, PrivateTeam = 150, PrivateRival = 120;
constexpr std::uint8_t FighterShip = 1;
// Cycles before the first measurement, while the process's own heap and wine settle, then the
// cycles measured.
constexpr unsigned WarmUpCycles = 20, MeasuredCycles = 100;

// The module's malloc, replaced in its import table by `failingMalloc` so that one chosen call
// answers null, as a heap that is out of memory does.
using Malloc = void* (*)(std::size_t);
Malloc moduleMalloc = nullptr;
unsigned mallocsBeforeFailure = 0;

// The module's malloc, but the `mallocsBeforeFailure`-th call from now answers null (none when 0).
void* failingMalloc(std::size_t size) {
    if (mallocsBeforeFailure != 0 && --mallocsBeforeFailure == 0) {
        return nullptr;
    }
    return moduleMalloc(size);
}

// Points the import of msvcrt.dll's malloc by `module` at `failingMalloc`; false when the
// module imports no malloc by name or its import table cannot be written.
bool replaceModuleMalloc(HMODULE module) {
    unsigned char* const base = reinterpret_cast<unsigned char*>(module);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         imports.VirtualAddress != 0 && library->Name != 0; ++library) {
        if (_stricmp(reinterpret_cast<const char*>(base + library->Name), "msvcrt.dll") != 0) {
            continue;
        }
        auto* name = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; name->u1.AddressOfData != 0; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
                std::strcmp(
                    reinterpret_cast<const char*>(
                        reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData)
                            ->Name),
                    "malloc") != 0) {
                continue;
            }
            DWORD protection = 0;
            if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                                &protection)) {
                return false;
            }
            moduleMalloc = reinterpret_cast<Malloc>(slot->u1.Function);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(&failingMalloc);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

// The host side of every cycle, built once so that the checking program's own memory stays as it
// is: the host with an arena for every bot, and the records the plays use outside the arenas.
struct Game {
    hostsim::Host host{hostsim::PluginLink{nullptr, hostsim::Host::recordingCallback()}};
    hostsim::EventFunction talk = nullptr;
    hostsim::PlayerRecord newcomer;
    hostsim::PlayerRecord returner;
    hostsim::CommandRecord about{"about", ""};
    hostsim::CommandRecord version{"version", ""};
    hostsim::CommandRecord help{"", ""};
};

// The player of `handle`'s arena at `index`, in the order they were added.
hostsim::PlayerRecord& player(Game& game, std::uint32_t handle, std::size_t index) {
    return *game.host.arena(handle).players()[index];
}

// Hands the event to the module's `talk`, as the host does: through an address of its own copy.
void deliver(Game& game, std::uint32_t handle, std::uint32_t code, hostsim::Word p1 = 0,
             hostsim::Word p2 = 0, hostsim::Word p3 = 0) {
    hostsim::HostEvent event = hostsim::makeEvent(handle, code, p1, p2, p3);
    game.talk(&event);
}

// The handshake of `handle` with version major.minor and its arena's lists.
void handshake(Game& game, std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5) {
    hostsim::HostEvent init = game.host.initEvent(handle, hostsim::versionWord(major, minor));
    game.talk(&init);
}

// Gives every flag of `handle`'s arena to `team` and tells the module a flag was dropped.
void giveEveryFlag(Game& game, std::uint32_t handle, std::uint16_t team) {
    for (const auto& flag : game.host.arena(handle).flags()) {
        flag->setTeam(team);
    }
    deliver(game, handle, hostsim::CodeFlagDrop);
}

// Bot 1's game: the handshake, a lock, a send-back, a departure and a welcome back, a "team is
// locked" arrival, the commands and help, the lock moving to another team, a lift, and the lock
// again, which the unload then tears down.
void playOneBotsGame(Game& game, std::uint32_t bot) {
    hostsim::PlayerRecord &ace = player(game, bot, 0), &bea = player(game, bot, 1),
                          &cid = player(game, bot, 2);
    handshake(game, bot);
    game.host.arena(bot).flags().back()->setTeam(RivalTeam);
    deliver(game, bot, hostsim::CodeArenaEnter);
    giveEveryFlag(game, bot, LockedTeam);
    cid.setTeam(LockedTeam);
    deliver(game, bot, hostsim::CodePlayerChange, cid.address(), RivalTeam, FighterShip);
    cid.setTeam(RivalTeam);
    deliver(game, bot, hostsim::CodePlayerLeaving, bea.address());
    deliver(game, bot, hostsim::CodePlayerEntering, bea.address());
    deliver(game, bot, hostsim::CodePlayerEntering, game.newcomer.address());
    deliver(game, bot, hostsim::CodeCommand, ace.address(), game.about.address());
    deliver(game, bot, hostsim::CodeCommand, ace.address(), game.version.address());
    deliver(game, bot, hostsim::CodeHelp, bea.address(), game.help.address());
    giveEveryFlag(game, bot, RivalTeam);
    deliver(game, bot, hostsim::CodeFlagReset);
    giveEveryFlag(game, bot, LockedTeam);
}

// A second bot locked on entering the arena, still locked at the unload.
void playLockByArenaEnter(Game& game, std::uint32_t bot) {
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeArenaEnter);
}

// Handle 0, served like any bot but never heard: it locks in silence.
void playHandleZero(Game& game, std::uint32_t bot) {
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeArenaEnter);
    giveEveryFlag(game, bot, LockedTeam);
}

// An instance made by an event before the handshake, which then connects and locks.
void playInstanceMadeBeforeTheHandshake(Game& game, std::uint32_t bot) {
    deliver(game, bot, hostsim::CodeArenaEnter);
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeFlagDrop);
}

// Handshakes refused for their version: the bot then ignores what follows.
void playHandshakeTooOld(Game& game, std::uint32_t bot) {
    handshake(game, bot, 6, 4);
    deliver(game, bot, hostsim::CodeArenaEnter);
}
void playHandshakeTooNew(Game& game, std::uint32_t bot) {
    handshake(game, bot, 7, 0);
    deliver(game, bot, hostsim::CodeArenaEnter);
}

// A handshake whose instance cannot be made, refused for want of memory; the next one connects
// and the bot locks.
void playHandshakeOutOfMemory(Game& game, std::uint32_t bot) {
    mallocsBeforeFailure = 1;
    handshake(game, bot);
    mallocsBeforeFailure = 0;
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeArenaEnter);
}

// A handshake that gives no list addresses: the lists count as empty and nothing locks.
void playHandshakeWithoutLists(Game& game, std::uint32_t bot) {
    hostsim::HostEvent init = game.host.initEvent(bot);
    init.parameters[2] = 0;
    init.parameters[3] = 0;
    game.talk(&init);
    deliver(game, bot, hostsim::CodeFlagDrop);
}

// Locks made by a flag grab (the grabbed flag left out of the survey), lifted by the flag game's
// end, by leaving the arena and by a reset; the last lock holds at the unload.
void playGrabsAndLifts(Game& game, std::uint32_t bot) {
    const hostsim::Word grabber = player(game, bot, 0).address();
    const hostsim::Word grabbed = game.host.arena(bot).flags().back()->address();
    handshake(game, bot);
    for (std::uint32_t lift :
         {hostsim::CodeFlagGameOver, hostsim::CodeArenaLeave, hostsim::CodeFlagReset}) {
        deliver(game, bot, hostsim::CodeFlagGrab, grabber, grabbed);
        deliver(game, bot, lift);
    }
    deliver(game, bot, hostsim::CodeFlagGrab, grabber, grabbed);
}

// A private team (100 and up) locked, with a send-back to another private team and a "team is
// locked" arrival: the announcement names no number, the other lines carry three digits.
void playPrivateTeam(Game& game, std::uint32_t bot) {
    hostsim::PlayerRecord& ida = player(game, bot, 1);
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeArenaEnter);
    ida.setTeam(PrivateTeam);
    deliver(game, bot, hostsim::CodePlayerChange, ida.address(), PrivateRival, FighterShip);
    ida.setTeam(PrivateRival);
    deliver(game, bot, hostsim::CodePlayerEntering, game.newcomer.address());
}

// Welcomes back that give a pass again: to a player still holding his (the pass is replaced),
// and to another record of his name (a second pass is added).
void playWelcomeBackReplacingAPass(Game& game, std::uint32_t bot) {
    handshake(game, bot);
    deliver(game, bot, hostsim::CodeArenaEnter);
    deliver(game, bot, hostsim::CodePlayerEntering, player(game, bot, 0).address());
    deliver(game, bot, hostsim::CodePlayerEntering, game.returner.address());
}

// One path that allocates, played on the bot `handle` (whose arena `setUpPlays` fills) in every
// cycle, and the lines it must bring, in order.
struct Play {
    const char* what;
    std::uint32_t handle;
    void (*play)(Game&, std::uint32_t);
    std::vector<std::string> lines;
};

const char Connected[] = "DLL plugin connected.";

const Play Plays[] = {
    {"one bot's game",
     1,
     playOneBotsGame,
     {Connected, "*arena Freq 3 LOCKED -- No freq-hopping.", "*setfreq 2",
      "Welcome back. You may still enter team 3", "Team 3 is locked to prevent freq-hopping",
      "When one team owns all the flags, I disallow freq-hopping.",
      "[name:tarnwick.dll] [maker:maintainers@tarnwick.example] [build:2]",
      "!about (query me about my function)", "*arena Freq 2 LOCKED -- No freq-hopping.",
      "*arena Freq 3 LOCKED -- No freq-hopping."}},
    {"a second bot locked by entering the arena",
     2,
     playLockByArenaEnter,
     {Connected, "*arena Freq 3 LOCKED -- No freq-hopping."}},
    {"handle 0", 0, playHandleZero, {}},
    {"an instance made before the handshake",
     4,
     playInstanceMadeBeforeTheHandshake,
     {Connected, "*arena Freq 3 LOCKED -- No freq-hopping."}},
    {"a handshake too old",
     5,
     playHandshakeTooOld,
     {"DLL plugin cannot connect.  This plugin requires the latest version of Corvane."}},
    {"a handshake too new",
     6,
     playHandshakeTooNew,
     {"DLL plugin cannot connect.  This plugin is out of date."}},
    {"a handshake out of memory, then one that connects",
     7,
     playHandshakeOutOfMemory,
     {"DLL plugin cannot connect.  Out of memory.", Connected,
      "*arena Freq 3 LOCKED -- No freq-hopping."}},
    {"a handshake without lists", 8, playHandshakeWithoutLists, {Connected}},
    {"locks by a flag grab, lifted by the game's end, leaving the arena and a reset",
     9,
     playGrabsAndLifts,
     {Connected, "*arena Freq 3 LOCKED -- No freq-hopping.",
      "*arena Freq 3 LOCKED -- No freq-hopping.", "*arena Freq 3 LOCKED -- No freq-hopping.",
      "*arena Freq 3 LOCKED -- No freq-hopping."}},
    {"a private team",
     10,
     playPrivateTeam,
     {Connected, "*arena Private freq LOCKED -- No freq-hopping.", "*setfreq 120",
      "Team 150 is locked to prevent freq-hopping"}},
    {"welcomes back replacing and adding a pass",
     11,
     playWelcomeBackReplacingAPass,
     {Connected, "*arena Freq 3 LOCKED -- No freq-hopping.",
      "Welcome back. You may still enter team 3", "Welcome back. You may still enter team 3"}},
};

// Fills every bot's arena: players of the locked team (bot 1's Ace may ask for the version, Bea
// for help without a topic) and rivals, flags all of the locked team but the last, which bot 1's
// game and the flag grab change hands.
void setUpPlays(Game& game) {
    for (const Play& play : Plays) {
        hostsim::Arena& arena = game.host.arena(play.handle);
        const bool privateTeam = play.play == playPrivateTeam;
        const std::uint16_t team = privateTeam ? PrivateTeam : LockedTeam;
        arena.addPlayer("Ace", 0, team, FighterShip).setAccess(3);
        arena.addPlayer("Bea", 1, privateTeam ? PrivateRival : team, FighterShip);
        arena.addPlayer("Cid", 2, RivalTeam, FighterShip);
        arena.addFlag(team);
        arena.addFlag(team);
        arena.addFlag(play.play == playGrabsAndLifts ? RivalTeam : team);
    }
    game.newcomer.setName("Eve");
    game.newcomer.setIdent(3);
    game.newcomer.setTeam(RivalTeam);
    game.newcomer.setShip(hostsim::SpectatorShip);
    game.returner.setName("ACE");
    game.returner.setIdent(4);
    game.returner.setTeam(LockedTeam);
    game.returner.setShip(hostsim::SpectatorShip);
}

// Whether the lines from `first` on are what `play` must bring, each sent by its bot; says what
// differs when not.
bool receivedItsLines(const Game& game, const Play& play, std::size_t first, std::size_t end,
                      unsigned cycle) {
    const std::vector<hostsim::SentEvent>& sent = game.host.sent();
    bool expected = end - first == play.lines.size();
    for (std::size_t line = 0; expected && line < play.lines.size(); ++line) {
        expected =
            sent[first + line].text == play.lines[line] && sent[first + line].handle == play.handle;
    }
    if (!expected) {
        std::fprintf(stderr, "reload_check: cycle %u: %s did not bring its %zu lines but %zu:\n",
                     cycle, play.what, play.lines.size(), end - first);
        for (std::size_t line = first; line < end; ++line) {
            std::fprintf(stderr, "  [bot %u] %s\n", sent[line].handle, sent[line].text.c_str());
        }
    }
    return expected;
}

// Loads the module at `path`, plays every path on it and unloads it. False, after saying why,
// when the module does not load, its malloc cannot be replaced, a play brought other lines than
// its own, or the unload sent any.
bool playCycle(Game& game, const std::string& path, unsigned cycle) {
    game.host.clearSent();
    hostsim::Module module(path);
    HMODULE image = nullptr;
    if (!module.loaded() ||
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(module.talk()), &image) ||
        !replaceModuleMalloc(image)) {
        std::fprintf(stderr, "reload_check: cycle %u: %s\n", cycle,
                     module.loaded() ? "the module imports no malloc to replace"
                                     : module.error().c_str());
        return false;
    }
    game.talk = module.talk();
    bool allReceived = true;
    for (const Play& play : Plays) {
        const std::size_t first = game.host.sent().size();
        play.play(game, play.handle);
        allReceived =
            receivedItsLines(game, play, first, game.host.sent().size(), cycle) && allReceived;
    }
    const std::size_t beforeUnload = game.host.sent().size();
    module.unload();
    if (game.host.sent().size() != beforeUnload) {
        std::fprintf(stderr, "reload_check: cycle %u: the unload sent lines\n", cycle);
        return false;
    }
    return allReceived;
}

// What the process holds on its heaps: bytes and blocks in use, summed over every heap.
struct HeapUse {
    unsigned long long bytes = 0;
    unsigned long long blocks = 0;
};

// Walks every heap of the process and sums its busy blocks into `use`; false when the heaps
// cannot be listed or one cannot be walked to its end. Takes nothing from any heap itself.
bool measureHeaps(HeapUse& use) {
    HANDLE heaps[256];
    const DWORD count = GetProcessHeaps(static_cast<DWORD>(std::size(heaps)), heaps);
    if (count == 0 || count > std::size(heaps)) {
        return false;
    }
    use = HeapUse{};
    for (DWORD index = 0; index < count; ++index) {
        if (!HeapLock(heaps[index])) {
            return false;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[index], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                use.bytes += entry.cbData;
                ++use.blocks;
            }
        }
        const bool walkedToTheEnd = GetLastError() == ERROR_NO_MORE_ITEMS;
        HeapUnlock(heaps[index]);
        if (!walkedToTheEnd) {
            return false;
        }
    }
    return true;
}

// Plays the warm-up and the measured cycles; true when every play received its lines and the
// heaps hold exactly the bytes they held before the measured ones. Prints the figures either way.
//
// No slack is allowed: the host's own work in a cycle (loading the module, recording its lines)
// gives back every block it takes, and what it keeps between cycles (the last cycle's lines, the
// host's log of each bot) is the same after every cycle, so the heaps come back to the same bytes.
bool checkReloads(const std::string& path) {
    Game game;
    setUpPlays(game);
    unsigned cycle = 0;
    for (; cycle < WarmUpCycles; ++cycle) {
        if (!playCycle(game, path, cycle)) {
            return false;
        }
    }
    HeapUse before, after;
    const bool measuredBefore = measureHeaps(before);
    for (; cycle < WarmUpCycles + MeasuredCycles; ++cycle) {
        if (!playCycle(game, path, cycle)) {
            return false;
        }
    }
    if (!measuredBefore || !measureHeaps(after)) {
        std::fprintf(stderr, "reload_check: cannot walk the process's heaps\n");
        return false;
    }
    const long long growth = static_cast<long long>(after.bytes - before.bytes);
    std::printf("reload_check: %u cycles of load, %zu plays on their own bots and unload while "
                "locked, after %u of warm-up\n",
                MeasuredCycles, std::size(Plays), WarmUpCycles);
    std::printf("reload_check: heaps hold %llu bytes in %llu blocks before, %llu bytes in %llu "
                "blocks after: %lld bytes in all, %.2f per cycle\n",
                before.bytes, before.blocks, after.bytes, after.blocks, growth,
                static_cast<double>(growth) / MeasuredCycles);
    if (after.bytes != before.bytes || after.blocks != before.blocks) {
        std::fprintf(stderr, "reload_check: FAIL: the cycles leave the heaps changed\n");
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: reload_check PATH-TO-DLL\n");
        return 2;
    }
    if (!checkReloads(argv[1])) {
        return 1;
    }
    std::printf("reload_check: ok\n");
    return 0;
}
