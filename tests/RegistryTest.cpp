#include "PluginHarness.h"

#include "bot/InstanceRegistry.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using harness::PluginTest;
using hostsim::makeEvent;

std::vector<std::uint32_t> registeredHandles() {
    std::vector<std::uint32_t> handles;
    for (auto* node = tarnwick::registeredInstances().head(); node != nullptr; node = node->next) {
        handles.push_back(node->item->handle);
    }
    return handles;
}

using RegistryTest = PluginTest;

TEST_F(RegistryTest, InstancesAreCreatedOncePerHandleInOrderOfFirstEvent) {
    const std::uint32_t handles[] = {5, 2, 0xFFFFFFFFu, 5, 2, 9, 0xFFFFFFFFu};
    for (std::uint32_t handle : handles) {
        host.deliver(makeEvent(handle, hostsim::CodeTick));
        EXPECT_TRUE(harness::isWholeList(tarnwick::registeredInstances()));
    }
    EXPECT_EQ(registeredHandles(), (std::vector<std::uint32_t>{5, 2, 0xFFFFFFFFu, 9}));
    EXPECT_EQ(tarnwick::findInstance(2), tarnwick::registeredInstances().head()->next->item);
    EXPECT_EQ(tarnwick::findInstance(3), nullptr);
}

TEST_F(RegistryTest, NewInstanceStartsUnlockedAndUnconnected) {
    host.deliver(makeEvent(7, hostsim::CodeTick));
    const tarnwick::BotInstance& created = bot(7);
    EXPECT_FALSE(created.disabled);
    EXPECT_FALSE(created.locked);
    EXPECT_EQ(created.hostCallback, nullptr);
    EXPECT_EQ(created.playerList, 0u);
    EXPECT_EQ(created.flagList, 0u);
    EXPECT_EQ(created.tags.count(), 0u);
    EXPECT_EQ(created.roster.count(), 0u);
}

TEST_F(RegistryTest, AnyCodeMayCreateTheInstanceAndALaterInitConnectsIt) {
    const std::uint32_t firstCodes[] = {hostsim::CodeTerm, hostsim::CodeFlagDrop, 42};
    for (std::uint32_t firstCode : firstCodes) {
        SCOPED_TRACE(firstCode);
        restart();
        deliver(firstCode);
        EXPECT_NE(harness::botFor(Handle), nullptr);
        EXPECT_TRUE(host.sent().empty());
        init(Handle);
        EXPECT_EQ(sentTexts(), std::vector<std::string>{"DLL plugin connected."});
        EXPECT_EQ(tarnwick::registeredInstances().count(), 1u);
    }
}

TEST_F(RegistryTest, StateCarriesAcrossTermAndMessagesStillFlow) {
    hostsim::PlayerRecord& member = arena().addPlayer("Ace", 1, 3, 0);
    hostsim::FlagRecord& flag = arena().addFlag(3);
    connect();
    deliver(hostsim::CodeFlagDrop);
    host.clearSent();
    deliver(hostsim::CodeTerm);
    EXPECT_EQ(sentTexts(), std::vector<std::string>{"DLL plugin disconnected."});
    EXPECT_TRUE(bot().locked);
    EXPECT_EQ(bot().lockedTeam, 3u);
    EXPECT_EQ(harness::rosterNames(bot()), std::vector<std::string>{"Ace"});
    EXPECT_EQ(harness::taggedPlayers(bot()), std::vector<hostsim::Word>{member.address()});
    flag.setTeam(4);
    member.setTeam(4);
    deliver(hostsim::CodeFlagDrop);
    EXPECT_EQ(publicTexts(), std::vector<std::string>{"*arena Freq 4 LOCKED -- No freq-hopping."});
}

TEST_F(RegistryTest, DestroyAllInstancesEmptiesTheRegistryWithoutSending) {
    for (std::uint32_t handle : {1u, 2u, 3u}) {
        arena(handle).addPlayer("Ace", 1, 3, 0);
        arena(handle).addFlag(3);
        init(handle);
        host.deliver(makeEvent(handle, hostsim::CodeFlagDrop));
        EXPECT_EQ(bot(handle).tags.count(), 1u);
    }
    host.clearSent();
    tarnwick::destroyAllInstances();
    EXPECT_TRUE(harness::isWholeList(tarnwick::registeredInstances()));
    EXPECT_EQ(tarnwick::registeredInstances().count(), 0u);
    EXPECT_TRUE(host.sent().empty());
    deliver(hostsim::CodeTick);
    EXPECT_EQ(registeredHandles(), std::vector<std::uint32_t>{Handle});
}

} // namespace
