#include "InstructionCount.h"

#include "BareWalk.h"
#include "BenchArena.h"
#include "EventCases.h"
#include "Playground.h"
#include "ResultTable.h"

// Without valgrind's headers the client requests do nothing, as they do outside valgrind.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_DUMP_STATS_AT(label) static_cast<void>(label)
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <cstdio>
#include <string>

namespace bench {

namespace {

// Dumps what callgrind collected since the last dump under "NAME/PLAYERS/EVENTS".
void dumpCounts(const char* name, std::uint32_t players, std::uint32_t events) {
    const std::string label =
        std::string(name) + "/" + std::to_string(players) + "/" + std::to_string(events);
    CALLGRIND_DUMP_STATS_AT(label.c_str());
    std::printf("counted %s\n", label.c_str());
}

// Counts the bare walk over the arena of `players` with its flags in `flags`.
void countWalk(FlagState flags, std::uint32_t players, std::uint32_t events) {
    hostsim::Arena& arena = arenaOf(players);
    if (flags == FlagState::Split) {
        splitFlags(arena);
    } else {
        giveFlagsTo(arena, HomeTeam);
    }
    const hostsim::Word playerHead = arena.playerList().headAddress();
    const hostsim::Word flagHead = arena.flagList().headAddress();
    volatile std::uint32_t sink = walkHostLists(playerHead, flagHead);
    CALLGRIND_ZERO_STATS;
    for (std::uint32_t event = 0; event < events; ++event) {
        CALLGRIND_TOGGLE_COLLECT;
        sink = sink + walkHostLists(playerHead, flagHead);
        CALLGRIND_TOGGLE_COLLECT;
    }
    dumpCounts(flags == FlagState::Split ? "BareWalkSplit" : "BareWalkOwned", players, events);
}

// Counts the measured events of one case in the arena of `players`; untimed steps uncounted.
void countEvents(EventCase eventCase, std::uint32_t players, std::uint32_t events) {
    hostsim::Host& host = benchHost();
    CaseStage stage{eventCase, players, &arenaOf(players), {}, {"about", ""}, {}, RivalTeam};
    setUpStage(host, stage);
    // One event first, uncounted, so that no first-call cost (symbol binding, a cold path) is.
    runUntimedStep(host, stage);
    host.deliver(stage.measured);
    CALLGRIND_ZERO_STATS;
    for (std::uint32_t event = 0; event < events; ++event) {
        runUntimedStep(host, stage);
        CALLGRIND_TOGGLE_COLLECT;
        host.deliver(stage.measured);
        CALLGRIND_TOGGLE_COLLECT;
    }
    dumpCounts(caseInfo(eventCase).name, players, events);
    if (const char* fault = checkStage(stage)) {
        std::printf("  fault: %s\n", fault);
    }
}

} // namespace

int countInstructions(std::uint32_t events) {
    for (std::uint32_t players : ArenaSizes) {
        countWalk(FlagState::Split, players, events);
        countWalk(FlagState::Owned, players, events);
        for (int row = 0; row < EventCaseCount; ++row) {
            countEvents(static_cast<EventCase>(row), players, events);
        }
    }
    return 0;
}

} // namespace bench
