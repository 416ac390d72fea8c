#include "SuiteCases.h"

#include "Allocations.h"
#include "BareWalk.h"
#include "BenchArena.h"
#include "EventCases.h"
#include "Playground.h"
#include "PluginDriver.h"
#include "ResultTable.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

// The seconds from `start` to `end`.
double secondsBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// Puts the arena's flags into `flags`: split between the teams, or all owned by the home team.
void arrangeFlags(hostsim::Arena& arena, FlagState flags) {
    if (flags == FlagState::Split) {
        splitFlags(arena);
    } else {
        giveFlagsTo(arena, HomeTeam);
    }
}

// The bare walk over both host lists of the arena, in the flag state `flags`.
void benchmarkBareWalk(benchmark::State& state, FlagState flags) {
    const auto players = static_cast<std::uint32_t>(state.range(0));
    hostsim::Arena& arena = arenaOf(players);
    arrangeFlags(arena, flags);
    const hostsim::Word playerHead = arena.playerList().headAddress();
    const hostsim::Word flagHead = arena.flagList().headAddress();
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(walkHostLists(playerHead, flagHead));
    }
    const double seconds = secondsBetween(start, Clock::now());
    const auto events = static_cast<double>(state.iterations());
    recordWalk(flags, arenaSizeIndex(players), {true, seconds / events, 0, 0, 0});
}

// Delivers the stage's event once, adding the allocations made inside `talk` to `allocations`.
void deliverCounting(hostsim::Host& host, const CaseStage& stage, std::uint64_t& allocations) {
    const std::uint64_t before = hostsim::allocationCounts().allocations;
    host.deliver(stage.measured);
    allocations += hostsim::allocationCounts().allocations - before;
}

// Delivers the stage's event in a plain timed loop; returns the seconds the loop took.
double timeEvents(benchmark::State& state, hostsim::Host& host, const CaseStage& stage,
                  std::uint64_t& allocations) {
    const Clock::time_point start = Clock::now();
    for (auto _ : state) {
        deliverCounting(host, stage, allocations);
    }
    return secondsBetween(start, Clock::now());
}

// Runs the untimed step before each event and times the event alone; returns the seconds the
// events took, which are also the loop's manual times.
double timeEventsAfterSteps(benchmark::State& state, hostsim::Host& host, CaseStage& stage,
                            std::uint64_t& allocations) {
    double seconds = 0;
    for (auto _ : state) {
        runUntimedStep(host, stage);
        const Clock::time_point start = Clock::now();
        deliverCounting(host, stage, allocations);
        const double elapsed = secondsBetween(start, Clock::now());
        state.SetIterationTime(elapsed);
        seconds += elapsed;
    }
    return seconds;
}

// One event case in the arena of `state.range(0)` players: times it, counts what each event
// allocates and sends, and checks that the events did what the case says.
void benchmarkEvent(benchmark::State& state, EventCase eventCase) {
    const auto players = static_cast<std::uint32_t>(state.range(0));
    hostsim::Host& host = benchHost();
    CaseStage stage{eventCase, players, &arenaOf(players), {}, {"about", ""}, {}, RivalTeam};
    setUpStage(host, stage);
    const EventCaseInfo& info = caseInfo(eventCase);
    std::uint64_t counted = 0;
    const std::uint64_t sentBefore = sentTotal();
    const double seconds = info.untimedStep ? timeEventsAfterSteps(state, host, stage, counted)
                                            : timeEvents(state, host, stage, counted);
    const auto events = static_cast<double>(state.iterations());
    const double allocations = static_cast<double>(counted) / events;
    const double sends = static_cast<double>(sentTotal() - sentBefore) / events;
    const std::uint64_t allowed = allowedAllocations(eventCase, membersOf(*stage.arena, HomeTeam));
    const int sizeIndex = arenaSizeIndex(players);
    recordCase(eventCase, sizeIndex, {true, seconds / events, allocations, sends, allowed});

    state.counters["allocs"] = allocations;
    state.counters["allowed"] = static_cast<double>(allowed);
    state.counters["sends"] = sends;
    state.counters["x_walk"] = walkRatio(eventCase, sizeIndex);
    if (const char* fault = checkStage(stage)) {
        state.SkipWithError(fault);
    } else if (sends != info.sendsPerEvent) {
        state.SkipWithError("the events did not send what the case says");
    }
}

constexpr FlagState WalkStates[] = {FlagState::Split, FlagState::Owned};

// Runs a benchmark at every arena size.
void overArenaSizes(benchmark::internal::Benchmark* benchmark) {
    for (std::uint32_t players : ArenaSizes) {
        benchmark->Arg(players);
    }
}

} // namespace

void registerSuite() {
    for (FlagState flags : WalkStates) {
        const std::string name =
            std::string("BareWalk") + (flags == FlagState::Split ? "Split" : "Owned");
        overArenaSizes(benchmark::RegisterBenchmark(name.c_str(), benchmarkBareWalk, flags));
    }
    for (int row = 0; row < EventCaseCount; ++row) {
        const auto eventCase = static_cast<EventCase>(row);
        benchmark::internal::Benchmark* benchmark =
            benchmark::RegisterBenchmark(caseInfo(eventCase).name, benchmarkEvent, eventCase);
        overArenaSizes(benchmark);
        if (caseInfo(eventCase).untimedStep) {
            benchmark->UseManualTime();
        }
    }
}

} // namespace bench
