// A Windows host of our own that loads the module, plays a game through every kind of event that
// allocates, and unloads it while the lock holds, again and again in one process, as a host that
// reloads its plug-ins does. After a warm-up it sums the bytes of the busy blocks of every heap of
// the process before and after the measured cycles, and fails when they differ by a single byte:
// whatever a load, a game and an unload take from the heap, they must give back. It also fails
// when any cycle does not receive the game's lines, so it cannot pass without the module running.
//
//   reload_check PATH-TO-DLL
#include "Arena.h"
#include "Host.h"
#include "HostEvent.h"
#include "Module.h"
#include "Records.h"

#include <windows.h>

#include <cstdio>
#include <iterator>
#include <string>

namespace {

constexpr std::uint32_t Bot = 1;
constexpr std::uint16_t LockedTeam = 3, RivalTeam = 2;
constexpr std::uint8_t FighterShip = 1;
// Cycles before the first measurement, while the process's own heap and wine settle, then the
// cycles measured.
constexpr unsigned WarmUpCycles = 20, MeasuredCycles = 100;

// The lines every cycle receives, in order, one for each step of `playGame` that answers.
const char* const ExpectedLines[] = {
    "DLL plugin connected.",
    "*arena Freq 3 LOCKED -- No freq-hopping.",
    "*setfreq 2",
    "Welcome back. You may still enter team 3",
    "Team 3 is locked to prevent freq-hopping",
    "When one team owns all the flags, I disallow freq-hopping.",
    "[name:tarnwick.dll] [maker:maintainers@tarnwick.example] [build:2]",
    "!about (query me about my function)",
    "*arena Freq 2 LOCKED -- No freq-hopping.",
    "*arena Freq 3 LOCKED -- No freq-hopping.",
};

// The host side of every cycle, built once so that the checking program's own memory stays as it
// is: the host and its arena, two players of the locked team (Ace may ask for the version, Bea
// for help without a topic) and one rival, the flags, a newcomer outside the arena's list, and
// the command records.
struct Game {
    hostsim::Host host{hostsim::PluginLink{nullptr, hostsim::Host::recordingCallback()}};
    hostsim::PlayerRecord* ace = nullptr;
    hostsim::PlayerRecord* bea = nullptr;
    hostsim::PlayerRecord* cid = nullptr;
    hostsim::PlayerRecord newcomer;
    hostsim::CommandRecord about{"about", ""};
    hostsim::CommandRecord version{"version", ""};
    hostsim::CommandRecord help{"", ""};
};

// Fills the game's arena.
void setUpGame(Game& game) {
    hostsim::Arena& arena = game.host.arena(Bot);
    game.ace = &arena.addPlayer("Ace", 0, LockedTeam, FighterShip);
    game.ace->setAccess(3);
    game.bea = &arena.addPlayer("Bea", 1, LockedTeam, FighterShip);
    game.cid = &arena.addPlayer("Cid", 2, RivalTeam, FighterShip);
    arena.addFlag(LockedTeam);
    arena.addFlag(LockedTeam);
    arena.addFlag(RivalTeam);
    game.newcomer.setName("Eve");
    game.newcomer.setIdent(3);
    game.newcomer.setTeam(RivalTeam);
    game.newcomer.setShip(hostsim::SpectatorShip);
}

// Hands the event to the module's `talk`, as the host does: through an address of its own copy.
void deliver(hostsim::EventFunction talk, std::uint32_t code, hostsim::Word p1 = 0,
             hostsim::Word p2 = 0, hostsim::Word p3 = 0) {
    hostsim::HostEvent event = hostsim::makeEvent(Bot, code, p1, p2, p3);
    talk(&event);
}

// Gives every flag of the arena to `team` and tells the module a flag was dropped.
void giveEveryFlag(Game& game, hostsim::EventFunction talk, std::uint16_t team) {
    for (const auto& flag : game.host.arena(Bot).flags()) {
        flag->setTeam(team);
    }
    deliver(talk, hostsim::CodeFlagDrop);
}

// One game: the handshake, a lock, a send-back, a departure and a welcome back, a "team is
// locked" arrival, the commands and help, the lock moving to another team, a lift, and the lock
// again, which the unload then tears down.
void playGame(Game& game, hostsim::EventFunction talk) {
    hostsim::HostEvent init = game.host.initEvent(Bot);
    talk(&init);
    game.host.arena(Bot).flags().back()->setTeam(RivalTeam);
    deliver(talk, hostsim::CodeArenaEnter);
    giveEveryFlag(game, talk, LockedTeam);
    game.cid->setTeam(LockedTeam);
    deliver(talk, hostsim::CodePlayerChange, game.cid->address(), RivalTeam, FighterShip);
    game.cid->setTeam(RivalTeam);
    deliver(talk, hostsim::CodePlayerLeaving, game.bea->address());
    deliver(talk, hostsim::CodePlayerEntering, game.bea->address());
    deliver(talk, hostsim::CodePlayerEntering, game.newcomer.address());
    deliver(talk, hostsim::CodeCommand, game.ace->address(), game.about.address());
    deliver(talk, hostsim::CodeCommand, game.ace->address(), game.version.address());
    deliver(talk, hostsim::CodeHelp, game.bea->address(), game.help.address());
    giveEveryFlag(game, talk, RivalTeam);
    deliver(talk, hostsim::CodeFlagReset);
    giveEveryFlag(game, talk, LockedTeam);
}

// Loads the module at `path`, plays the game on it and unloads it. False, after saying why, when
// the module does not load or the cycle received other lines than the expected ones, or any
// during the unload.
bool playCycle(Game& game, const std::string& path, unsigned cycle) {
    game.host.clearSent();
    {
        hostsim::Module module(path);
        if (!module.loaded()) {
            std::fprintf(stderr, "reload_check: cycle %u: %s\n", cycle, module.error().c_str());
            return false;
        }
        playGame(game, module.talk());
    }
    const std::size_t received = game.host.sent().size();
    bool expected = received == std::size(ExpectedLines);
    for (std::size_t line = 0; expected && line < received; ++line) {
        expected = game.host.sent()[line].text == ExpectedLines[line];
    }
    if (!expected) {
        std::fprintf(stderr,
                     "reload_check: cycle %u did not receive the game's %zu lines but %zu:\n",
                     cycle, std::size(ExpectedLines), received);
        for (const hostsim::SentEvent& sent : game.host.sent()) {
            std::fprintf(stderr, "  %s\n", sent.text.c_str());
        }
    }
    return expected;
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

// Plays the warm-up and the measured cycles; true when every cycle received its lines and the
// heaps hold exactly the bytes they held before the measured ones. Prints the figures either way.
//
// No slack is allowed: the host's own work in a cycle (loading the module, recording its lines)
// gives back every block it takes, and what it keeps between cycles (the last cycle's lines, the
// host's log of the bot) is the same after every cycle, so the heaps come back to the same bytes.
bool checkReloads(const std::string& path) {
    Game game;
    setUpGame(game);
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
    std::printf("reload_check: %u cycles of load, a game of %zu lines and unload while locked, "
                "after %u of warm-up\n",
                MeasuredCycles, std::size(ExpectedLines), WarmUpCycles);
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
