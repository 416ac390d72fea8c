// The one fixture for plug-in tests: the checking host driving the plug-in's core linked into
// the test program, with helpers to inspect a bot's state.
#pragma once

#include "CheckingHost.h"
#include "RegistryInvariants.h"
#include "bot/BotInstance.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// The instance registered for `handle`, or null.
tarnwick::BotInstance* botFor(std::uint32_t handle);

// The roster's names, first recorded first.
std::vector<std::string> rosterNames(const tarnwick::BotInstance& bot);

// The player addresses holding a tag, head to tail.
std::vector<hostsim::Word> taggedPlayers(const tarnwick::BotInstance& bot);

// Success when `list` is whole, as `checks::findListBreach` tells.
template <typename Item>
::testing::AssertionResult isWholeList(const tarnwick::OwnedList<Item>& list) {
    const std::string breach = checks::findListBreach(list);
    if (breach.empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << breach;
}

// A fixture with a fresh registry and one checking host; `Handle` is the bot most tests talk to.
// Every line and the whole registry are checked as the events go, and a test fails at its end
// if any check found a breach.
class PluginTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t Handle = 1;

    // The host joined to `link`: the linked core with the recording callback unless told
    // otherwise.
    explicit PluginTest(hostsim::PluginLink link = hostsim::linkedCore()) : host(link) {}

    void SetUp() override;
    void TearDown() override;

    // Destroys every instance and forgets what was sent, as between two tests.
    void restart();
    // The arena of the bot `handle`, which `init` hands over as its lists.
    hostsim::Arena& arena(std::uint32_t handle = Handle) { return host.arena(handle); }
    // The instance for `handle`; fails the test when there is none.
    tarnwick::BotInstance& bot(std::uint32_t handle = Handle);
    // Delivers the handshake for `handle` with version major.minor and the host's callback (or
    // none).
    void init(std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5,
              bool withCallback = true);
    // Connects `handle` with version 6.5 and forgets the connection echo.
    void connect(std::uint32_t handle = Handle);
    // Delivers one event to `Handle`.
    void deliver(std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
                 hostsim::Word p3 = 0);
    // Connects `Handle` and locks it on team 3 with Ace (ident 0xFFFF, in ship 1) as the one
    // member holding a pass; forgets what was sent.
    hostsim::PlayerRecord& lockOnTeamThree();
    // The texts of every recorded event, in order.
    std::vector<std::string> sentTexts() const;
    // The texts of the recorded public lines.
    std::vector<std::string> publicTexts() const;

    checks::CheckingHost host;
};

} // namespace harness
