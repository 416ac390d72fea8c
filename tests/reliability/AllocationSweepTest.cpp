// Heap exhaustion at every allocation the plug-in makes in a scenario that takes every path that
// allocates: new instances, roster names, passes, and every message built with a number. The
// scenario is played again and again, the k-th allocation of one event failing each time, until
// no event has an allocation left to fail. After every event the registry must be whole and
// consistent, and when the scenario is over and torn down nothing may be left on the heap.
#include "Allocations.h"
#include "CheckingHost.h"
#include "FailureInsideTalk.h"

#include "bot/InstanceRegistry.h"
#include "entry/Talk.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using checks::CheckingHost;
using hostsim::HostEvent;
using hostsim::makeEvent;

constexpr std::uint32_t FirstBot = 1, SecondBot = 2, LateBot = 3, SilentBot = 0;
constexpr bool Allocates = true, Literal = false;

// One play of the scenario: the host, whose `talk` can fail an allocation of the plug-in's own,
// and the command records it hands over, which live as long.
struct ScenarioRun {
    CheckingHost host{harness::linkedCoreFailingInsideTalk()};
    std::vector<std::unique_ptr<hostsim::CommandRecord>> commands;
};

// The address of the first player of the bot's arena named `name`.
hostsim::Word playerNamed(CheckingHost& host, std::uint32_t handle, const char* name) {
    hostsim::PlayerRecord* player = host.arena(handle).findPlayer(name);
    return player != nullptr ? player->address() : 0;
}

// One host action: arranges the arenas as the host would, then names the event to deliver.
// `after` runs once the event has been delivered (a departed player's record is freed there).
struct Step {
    const char* what;
    // Whether the plug-in allocates while handling the event (Allocates) or gets by with
    // literals and what it already holds (Literal).
    bool allocates;
    std::function<HostEvent(ScenarioRun&)> prepare;
    std::function<void(CheckingHost&)> after;
};

// Two flags of team 3, two members on team 3 in ships, a spectator on team 3 and players of
// teams 5, 7 and 150 for the first bot; ten players and a flag of team 0 for the second; one
// player and a flag of team 4 for handle 0.
void furnishArenas(CheckingHost& host) {
    hostsim::Arena& first = host.arena(FirstBot);
    first.addPlayer("Ann", 1, 3, 1);
    first.addPlayer("Bob", 2, 3, 2);
    first.addPlayer("Watcher", 3, 3, 8);
    first.addPlayer("Cy", 4, 5, 1);
    first.addPlayer("Gus", 5, 7, 1);
    first.addPlayer("Eve", 6, 150, 1);
    first.addFlag(3);
    first.addFlag(3);
    hostsim::Arena& second = host.arena(SecondBot);
    for (std::uint16_t ident = 0; ident < 10; ++ident) {
        second.addPlayer("Crew" + std::to_string(ident), ident, 0, 1);
    }
    second.addFlag(0);
    host.arena(SilentBot).addPlayer("Quiet", 1, 4, 1);
    host.arena(SilentBot).addFlag(4);
}

HostEvent event(std::uint32_t handle, std::uint32_t code, hostsim::Word p1 = 0,
                hostsim::Word p2 = 0, hostsim::Word p3 = 0) {
    return makeEvent(handle, code, p1, p2, p3);
}

// A command record that lives until the end of the run.
hostsim::CommandRecord& keptCommand(ScenarioRun& run, const char* word, const char* rest) {
    run.commands.push_back(std::make_unique<hostsim::CommandRecord>(word, rest));
    return *run.commands.back();
}

// The scenario, in order; every step names what it exercises.
std::vector<Step> scenario() {
    auto init = [](std::uint32_t handle) {
        return [handle](ScenarioRun& run) { return run.host.initEvent(handle); };
    };
    auto plain = [](std::uint32_t handle, std::uint32_t code) {
        return [handle, code](ScenarioRun&) { return event(handle, code); };
    };
    auto command = [](std::uint32_t code, const char* word, const char* rest, std::int32_t access) {
        return [code, word, rest, access](ScenarioRun& run) {
            run.host.arena(FirstBot).findPlayer("Dan")->setAccess(access);
            return event(FirstBot, code, playerNamed(run.host, FirstBot, "Dan"),
                         keptCommand(run, word, rest).address());
        };
    };
    // Eve grabs the first bot's flag number `flag`, then carries `carried` flags; the step
    // after the event takes that flag off the host's list.
    auto eveGrabs = [](std::size_t flag, std::uint16_t carried) {
        return [flag, carried](ScenarioRun& run) {
            hostsim::Arena& arena = run.host.arena(FirstBot);
            arena.findPlayer("Eve")->setFlagCount(carried);
            return event(FirstBot, hostsim::CodeFlagGrab, 0, arena.flags()[flag]->address());
        };
    };
    auto unlistFlag = [](std::size_t flag) {
        return [flag](CheckingHost& host) {
            host.arena(FirstBot).setFlagListed(*host.arena(FirstBot).flags()[flag], false);
        };
    };
    return {
        {"the first bot connects: a new instance", Allocates, init(FirstBot), nullptr},
        {"the second bot connects: a second instance", Allocates, init(SecondBot), nullptr},
        {"the first bot enters: lock on 3 with two names and passes", Allocates,
         plain(FirstBot, hostsim::CodeArenaEnter), nullptr},
        {"Ann leaves", Literal,
         [](ScenarioRun& run) {
             return event(FirstBot, hostsim::CodePlayerLeaving,
                          playerNamed(run.host, FirstBot, "Ann"));
         },
         [](CheckingHost& host) {
             host.arena(FirstBot).removePlayer(*host.arena(FirstBot).findPlayer("Ann"));
         }},
        {"ANN arrives: a pass and the welcome line", Allocates,
         [](ScenarioRun& run) {
             CheckingHost& host = run.host;
             return event(FirstBot, hostsim::CodePlayerEntering,
                          host.arena(FirstBot).addPlayer("ANN", 11, 4, 8).address());
         },
         nullptr},
        {"Dan arrives: the locked line", Allocates,
         [](ScenarioRun& run) {
             CheckingHost& host = run.host;
             return event(FirstBot, hostsim::CodePlayerEntering,
                          host.arena(FirstBot).addPlayer("Dan", 12, 5, 8).address());
         },
         nullptr},
        {"Dan takes a ship on team 3: sent back to 5", Allocates,
         [](ScenarioRun& run) {
             CheckingHost& host = run.host;
             hostsim::PlayerRecord& dan = *host.arena(FirstBot).findPlayer("Dan");
             dan.setTeam(3);
             dan.setShip(1);
             return event(FirstBot, hostsim::CodePlayerChange, dan.address(), 5, 1);
         },
         nullptr},
        {"command about", Literal, command(hostsim::CodeCommand, "about", "", 0), nullptr},
        {"command version", Literal, command(hostsim::CodeCommand, "version", "", 5), nullptr},
        {"help without a topic", Literal, command(hostsim::CodeHelp, "help", "", 0), nullptr},
        {"help about", Literal, command(hostsim::CodeHelp, "help", "About", 7), nullptr},
        {"Eve grabs a flag: ownership split, unlock", Literal, eveGrabs(0, 1), unlistFlag(0)},
        {"Eve grabs the other flag: lock on 150, private announcement", Allocates, eveGrabs(1, 2),
         unlistFlag(1)},
        {"both flags dropped as team 7's: the lock moves to 7", Allocates,
         [](ScenarioRun& run) {
             CheckingHost& host = run.host;
             hostsim::Arena& arena = host.arena(FirstBot);
             arena.findPlayer("Eve")->setFlagCount(0);
             for (const auto& flag : arena.flags()) {
                 flag->setTeam(7);
                 arena.setFlagListed(*flag, true);
             }
             return event(FirstBot, hostsim::CodeFlagDrop);
         },
         nullptr},
        {"the first bot is told to terminate", Literal, plain(FirstBot, hostsim::CodeTerm),
         nullptr},
        {"the second bot enters: lock on 0 with ten names", Allocates,
         plain(SecondBot, hostsim::CodeArenaEnter), nullptr},
        {"the second bot's flag game ends", Literal, plain(SecondBot, hostsim::CodeFlagGameOver),
         nullptr},
        {"the first bot's flags reset", Literal, plain(FirstBot, hostsim::CodeFlagReset), nullptr},
        {"the first bot leaves the arena", Literal, plain(FirstBot, hostsim::CodeArenaLeave),
         nullptr},
        {"a late bot's first event is a flag drop", Allocates,
         plain(LateBot, hostsim::CodeFlagDrop), nullptr},
        {"the late bot connects", Literal, init(LateBot), nullptr},
        {"handle 0 connects", Allocates, init(SilentBot), nullptr},
        {"handle 0 enters and locks, though it can tell nobody", Allocates,
         plain(SilentBot, hostsim::CodeArenaEnter), nullptr},
    };
}

// Where one run fails: the `ordinal`-th allocation of step `step`; ordinal 0 fails nothing.
struct FailurePoint {
    std::size_t step;
    std::size_t ordinal;
};

struct RunOutcome {
    bool struck = false;
    std::vector<std::string> breaches;
    std::vector<std::string> lines;
    // Blocks allocated during the run and not freed by its end.
    std::uint64_t blocksLeft = 0;
};

// Empty unless the failed step broke the promised degradation: the event is dropped (no line
// goes out), a lock that could not be built is lifted, and an instance that could not be made
// leaves the registry as it was, its handshake refused with one console line (whose text the
// checking host checks) unless the bot has handle 0.
std::string findDegradationBreach(const HostEvent& event, std::uint32_t registeredBefore,
                                  unsigned lines) {
    const tarnwick::BotInstance* instance = tarnwick::findInstance(event.handle);
    const unsigned refusals =
        instance == nullptr && event.code == hostsim::CodeInit && event.handle != SilentBot;
    if (lines != refusals) {
        return refusals != 0 ? "a handshake without an instance was not refused"
                             : "a line went out for an event whose allocation failed";
    }
    if (instance == nullptr) {
        return tarnwick::registeredInstances().count() == registeredBefore
                   ? ""
                   : "the registry changed although no instance was made";
    }
    const bool lockEvent = event.code == hostsim::CodeArenaEnter ||
                           event.code == hostsim::CodeFlagGrab ||
                           event.code == hostsim::CodeFlagDrop;
    return lockEvent && instance->locked ? "a lock that failed to build was kept" : "";
}

// Plays the whole scenario once with the given failure, from an empty registry to teardown.
// Lines are kept only when asked for; otherwise the heap must be back where it was at the end.
RunOutcome play(const std::vector<Step>& steps, FailurePoint failure, bool keepLines = false) {
    RunOutcome outcome;
    const hostsim::AllocationCounts before = hostsim::allocationCounts();
    {
        ScenarioRun run;
        CheckingHost& host = run.host;
        furnishArenas(host);
        for (std::size_t index = 0; index < steps.size(); ++index) {
            const Step& step = steps[index];
            const HostEvent event = step.prepare(run);
            const std::uint32_t registeredBefore = tarnwick::registeredInstances().count();
            if (index == failure.step) {
                harness::failNextTalkAt(failure.ordinal);
            }
            host.deliver(event);
            if (index == failure.step) {
                outcome.struck = harness::lastTalkFailed();
            }
            if (index == failure.step && outcome.struck) {
                const std::string breach =
                    findDegradationBreach(event, registeredBefore, host.linesOfLastDelivery());
                if (!breach.empty()) {
                    outcome.breaches.push_back(std::string(step.what) + ": " + breach);
                }
            }
            if (step.after) {
                step.after(host);
            }
        }
        for (const std::uint32_t handle : {FirstBot, SecondBot, LateBot, SilentBot}) {
            if (tarnwick::findInstance(handle) == nullptr) {
                outcome.breaches.push_back("no instance for handle " + std::to_string(handle) +
                                           " although later events retried");
            }
        }
        for (const std::string& breach : host.breaches()) {
            outcome.breaches.push_back(breach);
        }
        if (keepLines) {
            for (const hostsim::SentEvent& sent : host.sent()) {
                outcome.lines.push_back(sent.text);
            }
        }
        tarnwick::destroyAllInstances();
    }
    if (outcome.breaches.empty() && outcome.lines.empty()) {
        const hostsim::AllocationCounts after = hostsim::allocationCounts();
        outcome.blocksLeft =
            (after.allocations - before.allocations) - (after.releases - before.releases);
    }
    return outcome;
}

TEST(AllocationSweep, UndisturbedScenarioTakesEveryPathThatSends) {
    const RunOutcome outcome = play(scenario(), {0, 0}, true);
    EXPECT_TRUE(outcome.breaches.empty()) << ::testing::PrintToString(outcome.breaches);
    const std::vector<std::string> expected = {
        "DLL plugin connected.",
        "DLL plugin connected.",
        "*arena Freq 3 LOCKED -- No freq-hopping.",
        "Welcome back. You may still enter team 3",
        "Team 3 is locked to prevent freq-hopping",
        "*setfreq 5",
        "When one team owns all the flags, I disallow freq-hopping.",
        "[name:tarnwick.dll] [maker:maintainers@tarnwick.example] [build:2]",
        "!about (query me about my function)",
        "!about (query me about my function)",
        "*arena Private freq LOCKED -- No freq-hopping.",
        "*arena Freq 7 LOCKED -- No freq-hopping.",
        "DLL plugin disconnected.",
        "*arena Freq 0 LOCKED -- No freq-hopping.",
        "DLL plugin connected.",
    };
    EXPECT_EQ(outcome.lines, expected);
}

TEST(AllocationSweep, EveryAllocationOfEveryEventCanFailWithoutBreakingAnythingOrLeaking) {
    const std::vector<Step> steps = scenario();
    std::size_t failures = 0;
    for (std::size_t step = 0; step < steps.size(); ++step) {
        std::size_t ordinal = 1;
        for (;; ++ordinal) {
            const RunOutcome outcome = play(steps, {step, ordinal});
            const std::string where =
                std::string(steps[step].what) + ", allocation " + std::to_string(ordinal);
            EXPECT_TRUE(outcome.breaches.empty())
                << where << ": " << ::testing::PrintToString(outcome.breaches);
            EXPECT_EQ(outcome.blocksLeft, 0u)
                << where << ": blocks left on the heap after teardown";
            if (!outcome.struck) {
                break;
            }
            ++failures;
        }
        EXPECT_EQ(ordinal > 1, steps[step].allocates) << steps[step].what;
    }
    // Instances, ten-name rosters with their passes and every numbered line all allocate.
    EXPECT_GT(failures, 50u);
    RecordProperty("injected_failures", static_cast<int>(failures));
}

} // namespace
