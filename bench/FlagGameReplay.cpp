// Plays ten minutes of a busy flag game against the plug-in core linked into the program, as fast
// as it can, and prints the share of the game time spent inside `talk`, what the plug-in sent and
// allocated, and its longest event. The game: 200 players on teams 0 to 3, 50 flags, a grab or a
// drop every 50 ms; a player changes team every 5 s on average, one leaves and another arrives
// every 2 s, and a team holding every flag for 15 s wins. The same seed plays the same game; the
// least disturbed of several plays is reported, as a play can lose the processor mid-event.
#include "Allocations.h"
#include "Bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t Players = 200, Flags = 50, Teams = 4, GameSeconds = 600, Plays = 5;
constexpr std::uint32_t TickMilliseconds = 50, TicksPerSecond = 1000 / TickMilliseconds;
constexpr std::uint32_t TeamChangeSeconds = 5, ArrivalSeconds = 2, WinSeconds = 15;
constexpr std::uint32_t Seed = 20240611, BotHandle = 1;
// A grab goes to the leading team this often in a hundred; the lead changes every minute.
constexpr std::uint32_t LeaderGrabPercent = 97, LeadSeconds = 60;
// A hopping player picks the leading team this often in a hundred, and spectates this often.
constexpr std::uint32_t HopToLeaderPercent = 50, SpectatePercent = 10;
// A returning player comes back under a name seen before this often in a hundred.
constexpr std::uint32_t ReturnPercent = 50;

// A flag off the field in a player's hands.
struct CarriedFlag {
    hostsim::FlagRecord* flag;
    hostsim::PlayerRecord* carrier;
};

struct FlagGame {
    hostsim::Host host{bench::countingCore()};
    hostsim::Arena& arena = host.arena(BotHandle);
    std::mt19937 random{Seed};
    std::vector<hostsim::FlagRecord*> fieldFlags;
    std::vector<CarriedFlag> carriedFlags;
    std::vector<std::string> departedNames;
    std::uint16_t leader = 0;
    std::uint32_t nextRookie = 0, ticksHeldByOneTeam = 0;
    std::map<std::uint32_t, unsigned long long> delivered; // events by code
    unsigned long long events = 0, allocations = 0;
    double clockCost = 0, secondsInTalk = 0, longestEvent = 0;

    // A number from 0 to `bound` - 1; `bound` must not be 0.
    std::uint32_t below(std::size_t bound) { return static_cast<std::uint32_t>(random() % bound); }
    // True `percent` times in a hundred.
    bool chance(std::uint32_t percent) { return below(100) < percent; }
    // A random position in a sequence of `size` elements, as an iterator offset.
    std::ptrdiff_t position(std::size_t size) { return static_cast<std::ptrdiff_t>(below(size)); }
};

// What timing a call and counting its allocations add to it, taken off every timed call: half a
// sample that reads the clock and the allocation count twice each.
double measureClockCost() {
    constexpr int Samples = 100000;
    volatile std::uint64_t sink = 0;
    const Clock::time_point start = Clock::now();
    for (int sample = 0; sample < Samples; ++sample) {
        const Clock::time_point before = Clock::now();
        sink = sink + hostsim::allocationCounts().allocations;
        sink = sink - hostsim::allocationCounts().allocations;
        if (Clock::now() < before) {
            break;
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count() / Samples / 2;
}

// Delivers one event to the bot, timing the call (less the clock's own cost) and counting its
// allocations.
void deliver(FlagGame& game, std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
             hostsim::Word p3 = 0) {
    // Straight to the plug-in's `talk`: the host's own delivery also plays the stand-in game
    // server, which is not the plug-in's time.
    hostsim::HostEvent event = hostsim::makeEvent(BotHandle, code, p1, p2, p3);
    const hostsim::EventFunction talk = bench::countingCore().talk;
    const Clock::time_point start = Clock::now();
    const std::uint64_t before = hostsim::allocationCounts().allocations;
    talk(&event);
    game.allocations += hostsim::allocationCounts().allocations - before;
    const double elapsed =
        std::chrono::duration<double>(Clock::now() - start).count() - game.clockCost;
    game.secondsInTalk += std::max(elapsed, 0.0);
    game.longestEvent = std::max(game.longestEvent, elapsed);
    ++game.delivered[code];
    ++game.events;
}

// Whether `player` carries a flag.
bool carries(const FlagGame& game, const hostsim::PlayerRecord* player) {
    return std::any_of(game.carriedFlags.begin(), game.carriedFlags.end(),
                       [player](const CarriedFlag& carried) { return carried.carrier == player; });
}

// A player in a ship, of the leading team when the grab goes to it, picks up a field flag; the
// flag leaves the field after the grab is reported. Nothing happens when nobody is found.
void grabFlag(FlagGame& game) {
    const bool toLeader = game.chance(LeaderGrabPercent);
    const auto& players = game.arena.players();
    hostsim::PlayerRecord* player = nullptr;
    for (int attempt = 0; attempt < 64 && player == nullptr; ++attempt) {
        hostsim::PlayerRecord* candidate = players[game.below(players.size())].get();
        const bool fits = !toLeader || candidate->team() == game.leader;
        player = candidate->ship() != hostsim::SpectatorShip && fits ? candidate : nullptr;
    }
    if (player == nullptr || game.fieldFlags.empty()) {
        return;
    }
    const auto picked = game.fieldFlags.begin() + game.position(game.fieldFlags.size());
    hostsim::FlagRecord* flag = *picked;
    game.fieldFlags.erase(picked);
    player->setFlagCount(static_cast<std::uint16_t>(player->flagCount() + 1));
    deliver(game, hostsim::CodeFlagGrab, player->address(), flag->address());
    game.arena.setFlagListed(*flag, false);
    game.carriedFlags.push_back({flag, player});
}

// A carrier drops one of his flags, which goes back on the field owned by his team.
void dropFlag(FlagGame& game) {
    const auto picked = game.carriedFlags.begin() + game.position(game.carriedFlags.size());
    const CarriedFlag carried = *picked;
    game.carriedFlags.erase(picked);
    carried.carrier->setFlagCount(static_cast<std::uint16_t>(carried.carrier->flagCount() - 1));
    carried.flag->setTeam(carried.carrier->team());
    game.arena.setFlagListed(*carried.flag, true);
    game.fieldFlags.push_back(carried.flag);
    deliver(game, hostsim::CodeFlagDrop);
}

// Whether one real team holds every flag, on the field or in hand.
bool oneTeamHoldsEveryFlag(const FlagGame& game) {
    std::set<std::uint16_t> teams;
    for (const hostsim::FlagRecord* flag : game.fieldFlags) {
        teams.insert(flag->team());
    }
    for (const CarriedFlag& carried : game.carriedFlags) {
        teams.insert(carried.carrier->team());
    }
    return teams.size() == 1 && *teams.begin() != hostsim::NobodysTeam;
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
}

// A player without flags moves to another team, or in or out of spectating.
void changeTeam(FlagGame& game, hostsim::PlayerRecord& player) {
    const std::uint16_t previousTeam = player.team();
    const std::uint8_t previousShip = player.ship();
    player.setTeam(static_cast<std::uint16_t>(game.chance(HopToLeaderPercent) ? game.leader
                                                                              : game.below(Teams)));
    player.setShip(static_cast<std::uint8_t>(game.chance(SpectatePercent) ? hostsim::SpectatorShip
                                                                          : game.below(8)));
    deliver(game, hostsim::CodePlayerChange, player.address(), previousTeam, previousShip);
}

// A player without flags leaves; another arrives, often under a name seen before.
void replacePlayer(FlagGame& game) {
    hostsim::PlayerRecord* leaving =
        game.arena.players()[game.below(game.arena.players().size())].get();
    if (!carries(game, leaving)) {
        deliver(game, hostsim::CodePlayerLeaving, leaving->address());
        game.departedNames.push_back(leaving->name());
        game.arena.removePlayer(*leaving);
    }
    const bool returning = !game.departedNames.empty() && game.chance(ReturnPercent);
    const std::string name = returning ? game.departedNames[game.below(game.departedNames.size())]
                                       : "Rookie" + std::to_string(game.nextRookie++);
    hostsim::PlayerRecord& arriving = game.arena.addPlayer(
        name, game.arena.freeIdent(), static_cast<std::uint16_t>(game.below(Teams)),
        static_cast<std::uint8_t>(game.below(9)));
    deliver(game, hostsim::CodePlayerEntering, arriving.address());
}

// One tick: a flag event, the tick's team changes, perhaps a departure and an arrival, and the
// end of a game that one team has held long enough.
void playTick(FlagGame& game, std::uint32_t tick) {
    if (tick % (LeadSeconds * TicksPerSecond) == 0) {
        game.leader = static_cast<std::uint16_t>(game.below(Teams));
    }
    if (!game.carriedFlags.empty() && (game.fieldFlags.empty() || game.chance(50))) {
        dropFlag(game);
    } else {
        grabFlag(game);
    }
    for (std::size_t index = 0; index < game.arena.players().size(); ++index) {
        hostsim::PlayerRecord& player = *game.arena.players()[index];
        if (game.below(TeamChangeSeconds * TicksPerSecond) == 0 && !carries(game, &player)) {
            changeTeam(game, player);
        }
    }
    if (game.below(ArrivalSeconds * TicksPerSecond) == 0) {
        replacePlayer(game);
    }
    game.ticksHeldByOneTeam = oneTeamHoldsEveryFlag(game) ? game.ticksHeldByOneTeam + 1 : 0;
    if (game.ticksHeldByOneTeam >= WinSeconds * TicksPerSecond) {
        endAndResetGame(game);
        game.ticksHeldByOneTeam = 0;
    }
}

// Plays the whole game once into `game`, a new host, against bot `BotHandle`.
void playFlagGame(FlagGame& game) {
    game.clockCost = measureClockCost();
    for (std::uint32_t position = 0; position < Players; ++position) {
        game.arena.addPlayer("Pilot" + std::to_string(position),
                             static_cast<std::uint16_t>(position),
                             static_cast<std::uint16_t>(game.below(Teams)),
                             static_cast<std::uint8_t>(game.below(9)));
    }
    for (std::uint32_t flag = 0; flag < Flags; ++flag) {
        game.fieldFlags.push_back(&game.arena.addFlag(hostsim::NobodysTeam));
    }
    game.host.init(BotHandle);
    deliver(game, hostsim::CodeArenaEnter);
    for (std::uint32_t tick = 0; tick < GameSeconds * TicksPerSecond; ++tick) {
        playTick(game, tick);
    }
}

} // namespace

int main() {
    FlagGame first;
    playFlagGame(first);
    const bench::SentCounts sent = bench::sentCounts;
    double secondsInTalk = first.secondsInTalk, longestEvent = first.longestEvent;
    for (std::uint32_t play = 1; play < Plays; ++play) {
        FlagGame again;
        playFlagGame(again);
        secondsInTalk = std::min(secondsInTalk, again.secondsInTalk);
        longestEvent = std::min(longestEvent, again.longestEvent);
    }
    auto count = first.delivered;
    const auto events = static_cast<double>(first.events);
    std::printf(
        "plug-in used %.4f%% of the %u s of game time (least disturbed of %u plays)\n"
        "game: %u players on %u teams, %u flags, one flag event every %u ms\n"
        "events: %llu (%llu flag grabs and drops, %llu team changes, %llu arrivals, "
        "%llu departures, %llu games won and reset)\n"
        "plug-in sent: %llu lock announcements, %llu private lines\n"
        "heap allocations inside talk: %.3f per event\n"
        "longest single event: %.1f times the mean event (%.1f us)\n",
        100 * secondsInTalk / GameSeconds, GameSeconds, Plays, Players, Teams, Flags,
        TickMilliseconds, first.events, count[hostsim::CodeFlagGrab] + count[hostsim::CodeFlagDrop],
        count[hostsim::CodePlayerChange], count[hostsim::CodePlayerEntering],
        count[hostsim::CodePlayerLeaving], count[hostsim::CodeFlagGameOver], sent.publicLines,
        sent.privateLines, static_cast<double>(first.allocations) / events,
        longestEvent / (secondsInTalk / events), longestEvent * 1e6);
    return 0;
}
