#include "FlagGame.h"

#include "Allocations.h"
#include "PluginDriver.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t BotHandle = 1;
// A grab goes to the leading team this often in a hundred; the lead changes every minute.
constexpr std::uint32_t LeaderGrabPercent = 97;
constexpr std::uint32_t LeadSeconds = 60;
// A hopping player picks the leading team this often in a hundred, and spectates this often.
constexpr std::uint32_t HopToLeaderPercent = 50;
constexpr std::uint32_t SpectatePercent = 10;
// A returning player comes back under a name seen before this often in a hundred.
constexpr std::uint32_t ReturnPercent = 50;

// A flag off the field in a player's hands.
struct CarriedFlag {
    hostsim::FlagRecord* flag;
    hostsim::PlayerRecord* carrier;
};

struct FlagGame {
    const FlagGameSettings& settings;
    hostsim::Host& host;
    hostsim::Arena& arena;
    std::mt19937 random;
    std::vector<hostsim::FlagRecord*> fieldFlags;
    std::vector<CarriedFlag> carriedFlags;
    std::vector<std::string> departedNames;
    std::uint16_t leader;
    std::uint32_t nextRookie;
    std::uint32_t ticksHeldByOneTeam;
    double clockCost;
    ReplayTotals totals;
};

// A number from 0 to `bound` - 1; `bound` must not be 0.
std::uint32_t below(FlagGame& game, std::uint32_t bound) {
    return static_cast<std::uint32_t>(game.random() % bound);
}

// True `percent` times in a hundred.
bool chance(FlagGame& game, std::uint32_t percent) {
    return below(game, 100) < percent;
}

// The mean cost of reading the clock twice around the two readings of the allocation count that
// every timed call makes, taken off every timed call.
double measureClockCost() {
    constexpr int Samples = 100000;
    volatile std::uint64_t sink = 0;
    const Clock::time_point start = Clock::now();
    for (int sample = 0; sample < Samples; ++sample) {
        const Clock::time_point before = Clock::now();
        sink = hostsim::allocationCounts().allocations;
        sink = sink + hostsim::allocationCounts().allocations;
        const Clock::time_point after = Clock::now();
        if (after < before) {
            break;
        }
    }
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    return total / Samples / 2;
}

// Delivers one event to the bot, timing the call and counting its allocations.
void deliver(FlagGame& game, std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
             hostsim::Word p3 = 0) {
    const hostsim::HostEvent event = hostsim::makeEvent(BotHandle, code, p1, p2, p3);
    const Clock::time_point start = Clock::now();
    const std::uint64_t allocationsBefore = hostsim::allocationCounts().allocations;
    game.host.deliver(event);
    game.totals.allocations += hostsim::allocationCounts().allocations - allocationsBefore;
    const double elapsed =
        std::chrono::duration<double>(Clock::now() - start).count() - game.clockCost;
    const double charged = elapsed > 0 ? elapsed : 0;
    game.totals.secondsInTalk += charged;
    game.totals.longestEvent = std::max(game.totals.longestEvent, charged);
    ++game.totals.events;
}

// A random player of the arena who is in a ship, preferring the leading team when `toLeader`;
// null when nobody qualifies.
hostsim::PlayerRecord* pickPlayer(FlagGame& game, bool toLeader) {
    const auto& players = game.arena.players();
    for (int attempt = 0; attempt < 64; ++attempt) {
        hostsim::PlayerRecord* player =
            players[below(game, static_cast<std::uint32_t>(players.size()))].get();
        if (player->ship() != hostsim::SpectatorShip &&
            (!toLeader || player->team() == game.leader)) {
            return player;
        }
    }
    return nullptr;
}

// A player picks up a field flag; the flag leaves the field after the grab is reported.
void grabFlag(FlagGame& game) {
    hostsim::PlayerRecord* player = pickPlayer(game, chance(game, LeaderGrabPercent));
    if (player == nullptr || game.fieldFlags.empty()) {
        return;
    }
    const std::uint32_t index = below(game, static_cast<std::uint32_t>(game.fieldFlags.size()));
    hostsim::FlagRecord* flag = game.fieldFlags[index];
    game.fieldFlags.erase(game.fieldFlags.begin() + index);
    player->setFlagCount(static_cast<std::uint16_t>(player->flagCount() + 1));
    deliver(game, hostsim::CodeFlagGrab, player->address(), flag->address());
    game.arena.setFlagListed(*flag, false);
    game.carriedFlags.push_back({flag, player});
    ++game.totals.flagEvents;
}

// A carrier drops one of his flags, which goes back on the field owned by his team.
void dropFlag(FlagGame& game) {
    const std::uint32_t index = below(game, static_cast<std::uint32_t>(game.carriedFlags.size()));
    const CarriedFlag carried = game.carriedFlags[index];
    game.carriedFlags.erase(game.carriedFlags.begin() + index);
    carried.carrier->setFlagCount(static_cast<std::uint16_t>(carried.carrier->flagCount() - 1));
    carried.flag->setTeam(carried.carrier->team());
    game.arena.setFlagListed(*carried.flag, true);
    game.fieldFlags.push_back(carried.flag);
    deliver(game, hostsim::CodeFlagDrop);
    ++game.totals.flagEvents;
}

// Whether one real team holds every flag, on the field or in hand.
bool oneTeamHoldsEveryFlag(const FlagGame& game) {
    std::uint32_t owner = 0xFFFFFFFFu;
    for (const hostsim::FlagRecord* flag : game.fieldFlags) {
        if (flag->team() == hostsim::NobodysTeam ||
            (owner != 0xFFFFFFFFu && flag->team() != owner)) {
            return false;
        }
        owner = flag->team();
    }
    for (const CarriedFlag& carried : game.carriedFlags) {
        if (owner != 0xFFFFFFFFu && carried.carrier->team() != owner) {
            return false;
        }
        owner = carried.carrier->team();
    }
    return true;
}

// The game is won: it ends, every flag goes back on the field owned by nobody, and it resets.
void endAndResetGame(FlagGame& game) {
    deliver(game, hostsim::CodeFlagGameOver);
    for (const CarriedFlag& carried : game.carriedFlags) {
        carried.carrier->setFlagCount(0);
        game.arena.setFlagListed(*carried.flag, true);
        game.fieldFlags.push_back(carried.flag);
    }
    game.carriedFlags.clear();
    for (hostsim::FlagRecord* flag : game.fieldFlags) {
        flag->setTeam(hostsim::NobodysTeam);
    }
    deliver(game, hostsim::CodeFlagReset);
    ++game.totals.gamesWon;
}

// Whether `player` carries a flag.
bool carries(const FlagGame& game, const hostsim::PlayerRecord* player) {
    return std::any_of(game.carriedFlags.begin(), game.carriedFlags.end(),
                       [player](const CarriedFlag& carried) { return carried.carrier == player; });
}

// A player without flags moves to another team, or in or out of spectating.
void changeTeam(FlagGame& game, hostsim::PlayerRecord& player) {
    const std::uint16_t previousTeam = player.team();
    const std::uint8_t previousShip = player.ship();
    const auto team = static_cast<std::uint16_t>(
        chance(game, HopToLeaderPercent) ? game.leader : below(game, game.settings.teams));
    const auto ship = static_cast<std::uint8_t>(
        chance(game, SpectatePercent) ? hostsim::SpectatorShip : below(game, 8));
    player.setTeam(team);
    player.setShip(ship);
    deliver(game, hostsim::CodePlayerChange, player.address(), previousTeam, previousShip);
    ++game.totals.teamChanges;
}

// A player without flags leaves; another arrives, often under a name seen before.
void replacePlayer(FlagGame& game) {
    const auto& players = game.arena.players();
    hostsim::PlayerRecord* leaving =
        players[below(game, static_cast<std::uint32_t>(players.size()))].get();
    if (!carries(game, leaving)) {
        deliver(game, hostsim::CodePlayerLeaving, leaving->address());
        game.departedNames.push_back(leaving->name());
        game.arena.removePlayer(*leaving);
        ++game.totals.departures;
    }
    std::string name;
    if (!game.departedNames.empty() && chance(game, ReturnPercent)) {
        name =
            game.departedNames[below(game, static_cast<std::uint32_t>(game.departedNames.size()))];
    } else {
        name = "Rookie" + std::to_string(game.nextRookie++);
    }
    hostsim::PlayerRecord& arriving = game.arena.addPlayer(
        name, game.arena.freeIdent(), static_cast<std::uint16_t>(below(game, game.settings.teams)),
        static_cast<std::uint8_t>(below(game, 9)));
    deliver(game, hostsim::CodePlayerEntering, arriving.address());
    ++game.totals.arrivals;
}

// Everything that happens in one tick: one flag event, the tick's team changes, perhaps a
// departure and an arrival, and the end of a game that one team has held long enough.
void playTick(FlagGame& game, std::uint32_t tick, std::uint32_t ticksPerSecond) {
    if (tick % (LeadSeconds * ticksPerSecond) == 0) {
        game.leader = static_cast<std::uint16_t>(below(game, game.settings.teams));
    }
    if (!game.carriedFlags.empty() && (game.fieldFlags.empty() || chance(game, 50))) {
        dropFlag(game);
    } else {
        grabFlag(game);
    }
    const std::uint32_t changeOdds = game.settings.teamChangeSeconds * ticksPerSecond;
    for (std::size_t index = 0; index < game.arena.players().size(); ++index) {
        hostsim::PlayerRecord& player = *game.arena.players()[index];
        if (below(game, changeOdds) == 0 && !carries(game, &player)) {
            changeTeam(game, player);
        }
    }
    if (below(game, game.settings.arrivalSeconds * ticksPerSecond) == 0) {
        replacePlayer(game);
    }
    game.ticksHeldByOneTeam = oneTeamHoldsEveryFlag(game) ? game.ticksHeldByOneTeam + 1 : 0;
    if (game.ticksHeldByOneTeam >= game.settings.winSeconds * ticksPerSecond) {
        endAndResetGame(game);
        game.ticksHeldByOneTeam = 0;
    }
}

} // namespace

ReplayTotals playFlagGame(const FlagGameSettings& settings) {
    hostsim::Host host{countingCore()};
    hostsim::Arena& arena = host.arena(BotHandle);
    FlagGame game{settings, host, arena, std::mt19937(settings.seed), {}, {}, {},
                  0,        0,    0,     measureClockCost(),          {}};
    for (std::uint32_t position = 0; position < settings.players; ++position) {
        arena.addPlayer("Pilot" + std::to_string(position), static_cast<std::uint16_t>(position),
                        static_cast<std::uint16_t>(below(game, settings.teams)),
                        static_cast<std::uint8_t>(below(game, 9)));
    }
    for (std::uint32_t flag = 0; flag < settings.flags; ++flag) {
        game.fieldFlags.push_back(&arena.addFlag(hostsim::NobodysTeam));
    }
    const SentCounts sentBefore = sentCounts;
    host.init(BotHandle);
    deliver(game, hostsim::CodeArenaEnter);
    const std::uint32_t ticksPerSecond = 1000 / settings.tickMilliseconds;
    const std::uint32_t ticks = settings.gameSeconds * ticksPerSecond;
    for (std::uint32_t tick = 0; tick < ticks; ++tick) {
        playTick(game, tick, ticksPerSecond);
    }
    game.totals.lockLines = sentCounts.publicLines - sentBefore.publicLines;
    game.totals.privateLines = sentCounts.privateLines - sentBefore.privateLines;
    return game.totals;
}

} // namespace bench
