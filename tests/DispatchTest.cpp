#include "PluginHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using harness::PluginTest;
using hostsim::makeEvent;

constexpr char Connected[] = "DLL plugin connected.";
constexpr char OutOfDate[] = "DLL plugin cannot connect.  This plugin is out of date.";
constexpr char RequiresLatest[] =
    "DLL plugin cannot connect.  This plugin requires the latest version of Corvane.";

using DispatchTest = PluginTest;

TEST_F(DispatchTest, HandshakeConnectsOnlyMajorSixWithMinorFiveOrMore) {
    struct Case {
        std::uint32_t major;
        std::uint32_t minor;
        const char* echo;
        bool disabled;
    };
    const Case cases[] = {
        {6, 5, Connected, false},         {6, 65535, Connected, false},
        {6, 4, RequiresLatest, true},     {6, 0, RequiresLatest, true},
        {5, 65535, RequiresLatest, true}, {7, 0, OutOfDate, true},
        {65535, 5, OutOfDate, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::to_string(row.major) + "." + std::to_string(row.minor));
        restart();
        init(Handle, row.major, row.minor);
        EXPECT_EQ(sentTexts(), std::vector<std::string>{row.echo});
        EXPECT_EQ(bot().disabled, row.disabled);
        EXPECT_EQ(bot().hostCallback,
                  reinterpret_cast<tarnwick::HostCallback>(hostsim::linkedCore().callback))
            << "the callback is stored whatever the outcome";
        EXPECT_EQ(bot().playerList, arena().playerList().headAddress());
        EXPECT_EQ(bot().flagList, arena().flagList().headAddress());
    }
}

TEST_F(DispatchTest, DisabledInstanceIgnoresEverythingIncludingAGoodInit) {
    hostsim::PlayerRecord& player = arena().addPlayer("Ace", 1, 3, 1);
    player.setAccess(0);
    arena().addFlag(3);
    init(Handle, 6, 4);
    host.clearSent();
    hostsim::CommandRecord about("about", "");
    hostsim::HostEvent bareInit = host.initEvent(Handle, hostsim::versionWord(6, 5), false);
    bareInit.parameters[2] = bareInit.parameters[3] = 0; // nor any list head
    const hostsim::HostEvent ignored[] = {
        bareInit,
        makeEvent(Handle, hostsim::CodeTerm),
        makeEvent(Handle, hostsim::CodeArenaEnter),
        makeEvent(Handle, hostsim::CodeFlagDrop),
        makeEvent(Handle, hostsim::CodePlayerEntering, player.address()),
        makeEvent(Handle, hostsim::CodeCommand, player.address(), about.address()),
    };
    for (const hostsim::HostEvent& event : ignored) {
        host.deliver(event);
    }
    EXPECT_TRUE(host.sent().empty());
    EXPECT_TRUE(bot().disabled);
    EXPECT_FALSE(bot().locked);
    EXPECT_NE(bot().hostCallback, nullptr) << "the second init was not stored";
}

TEST_F(DispatchTest, InitWithoutCallbackRoutesButCannotSendUntilALaterInit) {
    arena().addPlayer("Ace", 1, 3, 1);
    arena().addFlag(3);
    init(Handle, 6, 5, false);
    deliver(hostsim::CodeFlagDrop);
    EXPECT_TRUE(host.sent().empty());
    EXPECT_FALSE(bot().disabled);
    EXPECT_TRUE(bot().locked) << "events are still routed";
    init(Handle);
    EXPECT_EQ(sentTexts(), std::vector<std::string>{Connected});
    EXPECT_TRUE(bot().locked) << "an accepted init leaves the lock as it was";
}

TEST_F(DispatchTest, HandleZeroRefusedSilentlyIsStillDisabled) {
    init(0, 5, 0);
    EXPECT_TRUE(host.sent().empty());
    EXPECT_TRUE(bot(0).disabled);
}

TEST_F(DispatchTest, OutboundEventsCarryTheHandleAndZeroInUnusedWords) {
    hostsim::PlayerRecord& member = lockOnTeamThree();
    hostsim::CommandRecord about("about", "");
    member.setAccess(0);
    deliver(hostsim::CodeTerm);
    deliver(hostsim::CodeArenaEnter);
    deliver(hostsim::CodeCommand, member.address(), about.address());
    ASSERT_EQ(host.sent().size(), 3u);
    const hostsim::SentEvent& echo = host.sent()[0];
    const hostsim::SentEvent& announcement = host.sent()[1];
    const hostsim::SentEvent& reply = host.sent()[2];
    EXPECT_TRUE(echo.isEcho());
    for (int word = 1; word < 6; ++word) {
        EXPECT_EQ(echo.parameters[word], 0u) << "echo p" << word + 1;
    }
    EXPECT_TRUE(announcement.isPublic());
    EXPECT_TRUE(reply.isPrivate());
    EXPECT_EQ(reply.target(), 65535u) << "ident 0xFFFF zero-extended";
    EXPECT_EQ(announcement.target(), 0u);
    for (const hostsim::SentEvent& say : {announcement, reply}) {
        EXPECT_EQ(say.parameters[1], 0u) << "sound";
        EXPECT_EQ(say.parameters[4], 0u);
        EXPECT_EQ(say.parameters[5], 0u);
    }
    for (const hostsim::SentEvent& sent : host.sent()) {
        EXPECT_EQ(sent.handle, Handle);
    }
}

} // namespace
