// Test harness: drives the plug-in's core through hostsim's host and inspects a bot's state.
#pragma once

#include "Host.h"
#include "plugin/BotInstance.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// Hands an event laid out by the host to the core's `talk`, as the module's export does.
void talkFromHost(hostsim::HostEvent* event);

// The host callback as the core calls it: hands the event on to the recording host. Its own
// signature keeps the call free of a function-type mismatch inside one process.
void receiveFromCore(tarnwick::BotEvent* event);

// The address of `receiveFromCore`, as `EventInit` carries it.
hostsim::Word coreCallbackWord();

// The instance registered for `handle`, or null.
tarnwick::BotInstance* botFor(std::uint32_t handle);

// The roster's names, first recorded first.
std::vector<std::string> rosterNames(const tarnwick::BotInstance& bot);

// The player addresses holding a tag, head to tail.
std::vector<hostsim::Word> taggedPlayers(const tarnwick::BotInstance& bot);

// Success when the lock's invariants hold: unlocked means an empty roster and no tags, locked
// means every tag is a team pass (key 0, value 1).
::testing::AssertionResult lockStateIsConsistent(const tarnwick::BotInstance& bot);

// A fixture with a fresh registry and one host; `Handle` is the bot most tests talk to.
class PluginTest : public ::testing::Test {
protected:
    static constexpr std::uint32_t Handle = 1;

    void SetUp() override;
    void TearDown() override;

    // Destroys every instance and forgets what was sent, as between two tests.
    void restart();
    // The arena of the bot `handle`, which `init` hands over as its lists.
    hostsim::Arena& arena(std::uint32_t handle = Handle) { return host.arena(handle); }
    // The instance for `handle`; fails the test when there is none.
    tarnwick::BotInstance& bot(std::uint32_t handle = Handle);
    // Delivers `EventInit` for `handle` with version major.minor, the recording callback (or
    // none) and the heads of that bot's lists.
    void init(std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5,
              bool withCallback = true);
    // Connects `handle` with version 6.5 and forgets the connection echo.
    void connect(std::uint32_t handle = Handle);
    // Delivers one event to `Handle`.
    void deliver(std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
                 hostsim::Word p3 = 0);
    // The texts of every recorded event, in order.
    std::vector<std::string> sentTexts() const;
    // The texts of the recorded public lines.
    std::vector<std::string> publicTexts() const;

    hostsim::Host host{&talkFromHost};
};

} // namespace harness
