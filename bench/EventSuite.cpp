// The event suite: the two bare walks and every event case at every arena size, timed by Google
// Benchmark and written by its reporters. A case reports its heap allocations and outbound events
// per event and its allowed allocations as counters, and the walk it is compared with as label;
// a case whose events send or leave the bot otherwise than the case says fails its run. Bot N
// plays in an arena of N players alternating between `HomeTeam` and `RivalTeam`, all in ships
// (so either team has N / 2 members), with a quarter as many flags, at least one. Under
// `valgrind --tool=callgrind --collect-atstart=no` every walk and case runs once with
// `CountedEvents` events, and callgrind's counts inside them are dumped as "NAME/PLAYERS/EVENTS".
#include "Allocations.h"
#include "Bench.h"
#include "bot/InstanceRegistry.h"

#include <benchmark/benchmark.h>

// Without valgrind's headers the client requests do nothing, as they do outside valgrind.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define RUNNING_ON_VALGRIND 0
#define CALLGRIND_DUMP_STATS_AT(label) static_cast<void>(label)
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <algorithm>
#include <chrono>
#include <iterator>
#include <string>

namespace bench {

namespace {

// Arena sizes from the smallest to the largest, each four times the one before.
constexpr std::uint32_t SmallestArena = 16, LargestArena = 4096, ArenaGrowth = 4;
constexpr std::uint16_t HomeTeam = 1, RivalTeam = 2;
constexpr std::uint32_t CarrierSpacing = 8, CountedEvents = 8;

// Cases that failed their checks in this run; any makes the program exit 1.
unsigned failedCases = 0;

// Split: flags alternate between the two teams and carriers are on both, so a survey is never
// unanimous. Owned: every flag is one team's, and only that team's players carry.
enum class FlagState { Split, Owned };
constexpr const char* WalkNames[] = {"BareWalkSplit", "BareWalkOwned"};

enum class EventCase {
    FlagDropUnlocked,    // a drop that changes nothing: unlocked, flags split
    FlagDropKeepsLock,   // a drop while locked on the team that still owns every flag
    LockSet,             // a drop that locks the home team, its whole team in the roster
    LockMove,            // a drop that moves the lock to the other team
    ArrivalLastInRoster, // an arrival whose name is the last roster entry
    ArrivalNotInRoster,  // an arrival whose name is in no roster entry
    TeamChangeWithPass,  // a pass holder (the last one tagged) taking a ship on the team
    TeamChangeSentBack,  // a player without a pass taking a ship on the team: "*setfreq "
    CommandReply,        // the command "about", answered with a literal line
    IgnoredCode,         // `EventTick`, which has no effect
};

// Allocations of a pass (a node and an item); of a roster member (a node, an item and a name
// buffer, and its pass); of a line with a number, built into one buffer of its exact size.
constexpr std::uint64_t Pass = 2, Member = 3 + Pass, Line = 1;

struct EventCaseInfo {
    const char* name;
    bool untimedStep; // whether an untimed step runs before each measured event
    FlagState flags;  // the state the case is measured in, and so the walk it is compared with
    std::uint32_t sendsPerEvent;
    // The allocations an event makes, and so the most it may make: `perMember` per member of the
    // locked team, plus `fixed`. Zero for an event that sends no built text and changes no roster
    // or pass.
    std::uint64_t perMember, fixed;
};

constexpr EventCaseInfo Cases[] = {
    {"FlagDropUnlocked", false, FlagState::Split, 0, 0, 0},
    {"FlagDropKeepsLock", false, FlagState::Owned, 0, 0, 0},
    {"LockSet", true, FlagState::Owned, 1, Member, Line},
    {"LockMove", true, FlagState::Owned, 1, Member, Line},
    {"ArrivalLastInRoster", true, FlagState::Owned, 1, 0, Pass + Line},
    {"ArrivalNotInRoster", false, FlagState::Owned, 1, 0, Line},
    {"TeamChangeWithPass", false, FlagState::Owned, 0, 0, 0},
    {"TeamChangeSentBack", false, FlagState::Owned, 1, 0, Line},
    {"CommandReply", false, FlagState::Split, 1, 0, 0},
    {"IgnoredCode", false, FlagState::Split, 0, 0, 0},
};

// One case staged in the arena of bot `players`: its standalone records and measured event.
struct CaseStage {
    EventCase eventCase;
    std::uint32_t players;
    hostsim::PlayerRecord visitor{}; // the player outside the list who arrives, hops or asks
    hostsim::CommandRecord command{"about", ""};
    hostsim::HostEvent measured{};
    std::uint16_t nextOwner = RivalTeam; // the team the next lock move goes to
};

// The catalogue row of a case.
const EventCaseInfo& infoOf(EventCase eventCase) {
    return Cases[static_cast<int>(eventCase)];
}

// The host of every arena, delivering to the plug-in core linked into the program.
hostsim::Host& benchHost() {
    static hostsim::Host host{countingCore()};
    return host;
}

// Puts the flags and carriers into `flags`, every flag of `owner` when owned.
void arrangeFlags(hostsim::Arena& arena, FlagState flags, std::uint16_t owner = HomeTeam) {
    std::uint32_t position = 0, ownerPosition = 0;
    for (const auto& flag : arena.flags()) {
        flag->setTeam(flags == FlagState::Owned || position++ % 2 == 0 ? owner : RivalTeam);
    }
    position = 0;
    for (const auto& player : arena.players()) {
        const bool carries = flags == FlagState::Split
                                 ? (position++ / 2) % CarrierSpacing == 0
                                 : player->team() == owner && ownerPosition++ % CarrierSpacing == 0;
        player->setFlagCount(carries ? 1 : 0);
    }
}

// The arena of bot `players`; on first use it is populated, its flags split, and the bot
// connected to it.
hostsim::Arena& arenaOf(std::uint32_t players) {
    hostsim::Arena& arena = benchHost().arena(players);
    if (arena.players().empty()) {
        for (std::uint32_t position = 0; position < players; ++position) {
            arena.addPlayer(
                "Pilot" + std::to_string(position), static_cast<std::uint16_t>(position),
                position % 2 == 0 ? HomeTeam : RivalTeam, static_cast<std::uint8_t>(position % 8));
        }
        for (std::uint32_t flag = 0; flag < std::max(players / 4, 1u); ++flag) {
            arena.addFlag(HomeTeam);
        }
        arrangeFlags(arena, FlagState::Split);
        benchHost().init(players);
    }
    return arena;
}

// Delivers an event with `code` and up to one parameter to the stage's bot.
void deliverTo(const CaseStage& stage, std::uint32_t code, hostsim::Word p1 = 0) {
    benchHost().deliver(hostsim::makeEvent(stage.players, code, p1));
}

// Puts the arena and the bot into the state the case needs, and builds the visitor and the event.
void setUpStage(CaseStage& stage) {
    const EventCase eventCase = stage.eventCase;
    hostsim::Arena& arena = arenaOf(stage.players);
    deliverTo(stage, hostsim::CodeFlagReset);
    arrangeFlags(arena, infoOf(eventCase).flags);
    if (infoOf(eventCase).flags == FlagState::Owned && eventCase != EventCase::LockSet) {
        deliverTo(stage, hostsim::CodeFlagDrop);
    }
    hostsim::PlayerRecord& visitor = stage.visitor;
    visitor.setIdent(65000);
    visitor.setShip(hostsim::SpectatorShip);
    auto measure = [&stage](std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
                            hostsim::Word p3 = 0) {
        stage.measured = hostsim::makeEvent(stage.players, code, p1, p2, p3);
    };
    // Players alternate from the home team, so the last home player is the last but one.
    const hostsim::PlayerRecord& lastHomePlayer = *arena.players()[stage.players - 2];
    switch (eventCase) {
    case EventCase::ArrivalLastInRoster:
        visitor.setName(lastHomePlayer.name());
        return measure(hostsim::CodePlayerEntering, visitor.address());
    case EventCase::ArrivalNotInRoster:
        visitor.setName("Stranger");
        return measure(hostsim::CodePlayerEntering, visitor.address());
    case EventCase::TeamChangeWithPass:
        return measure(hostsim::CodePlayerChange, lastHomePlayer.address(), RivalTeam, 1);
    case EventCase::TeamChangeSentBack:
        visitor.setName("Hopper");
        visitor.setTeam(HomeTeam);
        visitor.setShip(1);
        return measure(hostsim::CodePlayerChange, visitor.address(), RivalTeam, 1);
    case EventCase::CommandReply:
        return measure(hostsim::CodeCommand, visitor.address(), stage.command.address());
    case EventCase::IgnoredCode:
        return measure(hostsim::CodeTick);
    default:
        return measure(hostsim::CodeFlagDrop);
    }
}

// The untimed step before each measured event of a case that has one.
void runUntimedStep(CaseStage& stage) {
    if (stage.eventCase == EventCase::LockSet) {
        deliverTo(stage, hostsim::CodeFlagReset);
    } else if (stage.eventCase == EventCase::LockMove) {
        arrangeFlags(arenaOf(stage.players), FlagState::Owned, stage.nextOwner);
        stage.nextOwner = stage.nextOwner == HomeTeam ? RivalTeam : HomeTeam;
    } else if (stage.eventCase == EventCase::ArrivalLastInRoster) {
        deliverTo(stage, hostsim::CodePlayerLeaving, stage.visitor.address());
    }
}

// Null when each measured event sent what the case says and the events left the bot as the case
// says: an owned-flag case locked on the team owning the flags, its whole team in the roster
// with a pass each (and one more per welcomed arrival), any other case unlocked.
const char* checkStage(const CaseStage& stage, double sendsPerEvent) {
    const EventCase eventCase = stage.eventCase;
    const tarnwick::BotInstance* bot = tarnwick::findInstance(stage.players);
    const bool locked = infoOf(eventCase).flags == FlagState::Owned;
    // A move goes to the team given most recently.
    const std::uint16_t team =
        eventCase == EventCase::LockMove && stage.nextOwner == HomeTeam ? RivalTeam : HomeTeam;
    const std::uint32_t members = stage.players / 2;
    const std::uint32_t passes = members + (eventCase == EventCase::ArrivalLastInRoster ? 1 : 0);
    if (sendsPerEvent != infoOf(eventCase).sendsPerEvent) {
        return "the events did not send what the case says";
    } else if (bot == nullptr || bot->locked != locked) {
        return "the bot is missing, or not locked or unlocked as the case says";
    } else if (locked && (bot->lockedTeam != team || bot->roster.count() != members ||
                          bot->tags.count() != passes)) {
        return "the lock, its roster or its passes are not what the case leaves";
    }
    return nullptr;
}

// Runs `event` once per iteration of `state`, after `step` in a stepped case. Timing, a stepped
// case times each event alone (as manual time) and any other the whole loop. Under valgrind, only
// the events are collected, and the counts are dumped under `name`.
template <typename Step, typename Event>
void runEvents(benchmark::State& state, const char* name, bool stepped, Step step, Event event) {
    if (RUNNING_ON_VALGRIND) {
        CALLGRIND_ZERO_STATS;
        for (auto _ : state) {
            step();
            CALLGRIND_TOGGLE_COLLECT;
            event();
            CALLGRIND_TOGGLE_COLLECT;
        }
        const std::string label = std::string(name) + "/" + std::to_string(state.range(0)) + "/" +
                                  std::to_string(CountedEvents);
        CALLGRIND_DUMP_STATS_AT(label.c_str());
    } else if (stepped) {
        for (auto _ : state) {
            step();
            const auto start = std::chrono::steady_clock::now();
            event();
            const auto end = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        }
    } else {
        for (auto _ : state) {
            event();
        }
    }
}

// The bare walk over both host lists of the arena of `state.range(0)` players.
void benchmarkWalk(benchmark::State& state, FlagState flags) {
    hostsim::Arena& arena = arenaOf(static_cast<std::uint32_t>(state.range(0)));
    arrangeFlags(arena, flags);
    const hostsim::Word playerHead = arena.playerList().headAddress();
    const hostsim::Word flagHead = arena.flagList().headAddress();
    const auto walk = [=] { benchmark::DoNotOptimize(walkHostLists(playerHead, flagHead)); };
    const auto noStep = [] {};
    runEvents(state, WalkNames[static_cast<int>(flags)], false, noStep, walk);
}

// One case in the arena of `state.range(0)` players.
void benchmarkCase(benchmark::State& state, EventCase eventCase) {
    const EventCaseInfo& info = infoOf(eventCase);
    CaseStage stage{eventCase, static_cast<std::uint32_t>(state.range(0))};
    setUpStage(stage);
    const auto step = [&stage] { runUntimedStep(stage); };
    // The measured event goes straight to the plug-in's `talk`: the host's own delivery also
    // plays the stand-in game server, which is not the plug-in's time.
    const hostsim::EventFunction talk = countingCore().talk;
    const auto event = [&stage, talk] { talk(&stage.measured); };
    // One event first, unmeasured, so that no first-call cost (symbol binding, a cold path) is.
    step();
    event();
    runEvents(state, info.name, info.untimedStep, step, event);
    // What an event allocates and sends, counted over a few more apart from the measured ones.
    std::uint64_t allocations = 0;
    const unsigned long long sentBefore = sentCounts.events;
    for (std::uint32_t counted = 0; counted < CountedEvents; ++counted) {
        step();
        const std::uint64_t before = hostsim::allocationCounts().allocations;
        event();
        allocations += hostsim::allocationCounts().allocations - before;
    }
    const double sends = static_cast<double>(sentCounts.events - sentBefore) / CountedEvents;
    const double allocationsPerEvent = static_cast<double>(allocations) / CountedEvents;
    const double allowed = static_cast<double>(info.perMember * stage.players / 2 + info.fixed);
    state.counters["allocs"] = allocationsPerEvent;
    state.counters["allowed"] = allowed;
    state.counters["sends"] = sends;
    state.SetLabel(WalkNames[static_cast<int>(info.flags)]);
    const char* fault = checkStage(stage, sends);
    if (fault == nullptr && allocationsPerEvent > allowed) {
        fault = "allocates beyond its allowance";
    }
    if (fault != nullptr) {
        ++failedCases;
        state.SkipWithError(fault);
    }
}

// Registers `function` with `argument` as `name` at every arena size.
template <typename Argument>
void registerAtEverySize(const char* name, void (*function)(benchmark::State&, Argument),
                         Argument argument, bool stepped) {
    benchmark::internal::Benchmark* benchmark =
        benchmark::RegisterBenchmark(name, function, argument);
    benchmark->RangeMultiplier(ArenaGrowth)->Range(SmallestArena, LargestArena);
    if (RUNNING_ON_VALGRIND) {
        benchmark->Iterations(CountedEvents)->Repetitions(1);
    } else if (stepped) {
        benchmark->UseManualTime();
    }
}

} // namespace

} // namespace bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::AddCustomContext("compiler", "g++ " __VERSION__);
    // Bots are made smallest first whatever order the runs come in, so that finding a bot's
    // instance costs the same in every run.
    for (std::uint32_t players = bench::SmallestArena; players <= bench::LargestArena;
         players *= bench::ArenaGrowth) {
        bench::arenaOf(players);
    }
    for (bench::FlagState flags : {bench::FlagState::Split, bench::FlagState::Owned}) {
        bench::registerAtEverySize(bench::WalkNames[static_cast<int>(flags)], bench::benchmarkWalk,
                                   flags, false);
    }
    for (std::size_t row = 0; row < std::size(bench::Cases); ++row) {
        const bench::EventCaseInfo& info = bench::Cases[row];
        bench::registerAtEverySize(info.name, bench::benchmarkCase,
                                   static_cast<bench::EventCase>(row), info.untimedStep);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return bench::failedCases == 0 ? 0 : 1;
}
