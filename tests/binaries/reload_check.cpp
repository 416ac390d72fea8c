// A Windows host of our own that loads the module, plays a short game with a lock and an
// arrival, and unloads it, again and again in one process, as a host that reloads its plug-ins
// does. It fails when the process's committed memory grows over the cycles after a warm-up, which
// would mean that a load and unload leave part of the host's heap behind, and when any cycle does
// not receive the game's lines, so it cannot pass without the module running.
//
//   reload_check PATH-TO-DLL
#include "Arena.h"
#include "Host.h"
#include "HostEvent.h"
#include "Module.h"
#include "Records.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr std::uint32_t Bot = 1;
constexpr std::uint16_t LockedTeam = 3, RivalTeam = 2;
constexpr std::uint8_t FighterShip = 1;
// Cycles before the first measurement, while the process's own heap and wine settle, then the
// cycles measured.
constexpr unsigned WarmUpCycles = 20, MeasuredCycles = 300;
// Growth allowed over the measured cycles: two pages, for the heap's own bookkeeping. What a
// cycle leaves behind adds up: 64 bytes a cycle is 19,200 bytes over the measured cycles.
constexpr std::size_t SlackBytes = 8 * 1024;

// The lines every cycle receives, in order: the handshake's reply, the lock's announcement when
// the last flag falls to the locked team, and the arrival's notice.
const char* const ExpectedLines[] = {
    "DLL plugin connected.",
    "*arena Freq 3 LOCKED -- No freq-hopping.",
    "Team 3 is locked to prevent freq-hopping",
};

// The host side of every cycle, built once so that the checking program's own memory stays as it
// is: the host, its arena with two players of the locked team and one rival, the flag that
// decides the game, and a newcomer outside the arena's list who arrives under the lock.
struct Game {
    hostsim::Host host{hostsim::PluginLink{nullptr, hostsim::Host::recordingCallback()}};
    hostsim::FlagRecord* decidingFlag = nullptr;
    hostsim::PlayerRecord newcomer;
};

// Fills the game's arena: every flag but the deciding one is the locked team's.
void setUpGame(Game& game) {
    hostsim::Arena& arena = game.host.arena(Bot);
    arena.addPlayer("Ace", 0, LockedTeam, FighterShip);
    arena.addPlayer("Bea", 1, LockedTeam, FighterShip);
    arena.addPlayer("Cid", 2, RivalTeam, FighterShip);
    arena.addFlag(LockedTeam);
    arena.addFlag(LockedTeam);
    game.decidingFlag = &arena.addFlag(RivalTeam);
    game.newcomer.setName("Eve");
    game.newcomer.setIdent(3);
    game.newcomer.setTeam(RivalTeam);
    game.newcomer.setShip(hostsim::SpectatorShip);
}

// Hands `event` to the module's `talk`, as the host does: through an address of its own copy.
void deliver(hostsim::EventFunction talk, hostsim::HostEvent event) {
    talk(&event);
}

// Loads the module at `path`, plays the game on it and unloads it, leaving the bot locked (with
// its roster and passes) for the unload to free. False, after saying why, when the module does
// not load or the cycle received other lines than the expected ones, or any during the unload.
bool playCycle(Game& game, const std::string& path, unsigned cycle) {
    game.decidingFlag->setTeam(RivalTeam);
    game.host.clearSent();
    {
        hostsim::Module module(path);
        if (!module.loaded()) {
            std::fprintf(stderr, "reload_check: cycle %u: %s\n", cycle, module.error().c_str());
            return false;
        }
        const hostsim::EventFunction talk = module.talk();
        deliver(talk, game.host.initEvent(Bot));
        deliver(talk, hostsim::makeEvent(Bot, hostsim::CodeArenaEnter));
        game.decidingFlag->setTeam(LockedTeam);
        deliver(talk, hostsim::makeEvent(Bot, hostsim::CodeFlagDrop));
        deliver(talk,
                hostsim::makeEvent(Bot, hostsim::CodePlayerEntering, game.newcomer.address()));
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

// The process's committed private memory in bytes (its pagefile use); 0 when it cannot be read.
std::size_t committedBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return 0;
    }
    return counters.PagefileUsage;
}

// Plays the warm-up and the measured cycles; true when every cycle received its lines and the
// memory grew by no more than the slack over the measured ones. Prints the figures either way.
bool checkReloads(const std::string& path) {
    Game game;
    setUpGame(game);
    unsigned cycle = 0;
    for (; cycle < WarmUpCycles; ++cycle) {
        if (!playCycle(game, path, cycle)) {
            return false;
        }
    }
    const std::size_t before = committedBytes();
    for (; cycle < WarmUpCycles + MeasuredCycles; ++cycle) {
        if (!playCycle(game, path, cycle)) {
            return false;
        }
    }
    const std::size_t after = committedBytes();
    if (before == 0 || after == 0) {
        std::fprintf(stderr, "reload_check: cannot read the process's memory use\n");
        return false;
    }
    const long long growth = static_cast<long long>(after) - static_cast<long long>(before);
    std::printf("reload_check: %u cycles of load, handshake, lock, arrival and unload after %u of "
                "warm-up, %zu lines each\n",
                MeasuredCycles, WarmUpCycles, std::size(ExpectedLines));
    std::printf("reload_check: committed memory %zu bytes before, %zu after: %lld bytes in all, "
                "%lld per cycle (slack %zu in all)\n",
                before, after, growth, growth / static_cast<long long>(MeasuredCycles), SlackBytes);
    if (growth > static_cast<long long>(SlackBytes)) {
        std::fprintf(stderr, "reload_check: FAIL: each load and unload leaves memory behind\n");
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
