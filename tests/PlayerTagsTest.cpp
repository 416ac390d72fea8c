#include "PluginHarness.h"

#include "bot/PlayerTags.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using tarnwick::appendTag;
using tarnwick::getTag;
using tarnwick::PlayerTagList;
using tarnwick::removeAllTags;
using tarnwick::removePlayerTags;
using tarnwick::setTag;

// Stand-in player addresses: tags compare them and never read through them.
constexpr tarnwick::HostAddress Ann = 0x1000, Bob = 0x2000, Cy = 0x3000;

using PlayerAndKey = std::pair<tarnwick::HostAddress, std::uint32_t>;

std::vector<PlayerAndKey> tagOrder(const PlayerTagList& tags) {
    std::vector<PlayerAndKey> order;
    for (auto* node = tags.head(); node != nullptr; node = node->next) {
        order.emplace_back(node->item->player, node->item->key);
    }
    return order;
}

TEST(PlayerTags, SetTagTwiceKeepsOneTagWithTheSecondValue) {
    PlayerTagList tags;
    setTag(tags, Ann, 0, 1);
    setTag(tags, Bob, 0, 1);
    setTag(tags, Ann, 0, 7);
    EXPECT_TRUE(harness::isWholeList(tags));
    EXPECT_EQ(tags.count(), 2u);
    EXPECT_EQ(getTag(tags, Ann, 0), 7u);
    EXPECT_EQ(tagOrder(tags), (std::vector<PlayerAndKey>{{Ann, 0}, {Bob, 0}}));
}

TEST(PlayerTags, NewPairGoesToTheTailBehindEarlierTags) {
    PlayerTagList tags;
    setTag(tags, Ann, 0, 1);
    setTag(tags, Bob, 0, 1);
    setTag(tags, Cy, 0, 1);
    setTag(tags, Ann, 5, 2);
    EXPECT_TRUE(harness::isWholeList(tags));
    EXPECT_EQ(tagOrder(tags), (std::vector<PlayerAndKey>{{Ann, 0}, {Bob, 0}, {Cy, 0}, {Ann, 5}}));
}

TEST(PlayerTags, GetTagWithoutAMatchingPairIsZero) {
    PlayerTagList tags;
    EXPECT_EQ(getTag(tags, Ann, 0), 0u);
    setTag(tags, Ann, 0, 1);
    EXPECT_EQ(getTag(tags, Ann, 1), 0u) << "key mismatch";
    EXPECT_EQ(getTag(tags, Bob, 0), 0u) << "unknown player";
    EXPECT_EQ(getTag(tags, Ann, 0), 1u);
}

TEST(PlayerTags, RemovePlayerTagsTakesEveryTagOfThatPlayerAndKeepsOthersInOrder) {
    struct Case {
        const char* name;
        std::vector<PlayerAndKey> before;
        std::vector<PlayerAndKey> after;
    };
    const Case cases[] = {
        {"adjacent at head", {{Bob, 0}, {Bob, 1}, {Ann, 0}, {Cy, 0}}, {{Ann, 0}, {Cy, 0}}},
        {"adjacent in middle", {{Ann, 0}, {Bob, 0}, {Bob, 1}, {Cy, 0}}, {{Ann, 0}, {Cy, 0}}},
        {"adjacent at tail", {{Ann, 0}, {Cy, 0}, {Bob, 0}, {Bob, 1}}, {{Ann, 0}, {Cy, 0}}},
        {"interleaved", {{Bob, 0}, {Ann, 0}, {Bob, 1}, {Cy, 0}, {Bob, 2}}, {{Ann, 0}, {Cy, 0}}},
        {"every tag", {{Bob, 0}, {Bob, 1}, {Bob, 2}}, {}},
        {"equal tags of a player listed twice", {{Bob, 0}, {Ann, 0}, {Bob, 0}}, {{Ann, 0}}},
        {"only tag", {{Bob, 0}}, {}},
        {"player without tags", {{Ann, 0}, {Cy, 0}}, {{Ann, 0}, {Cy, 0}}},
        {"empty list", {}, {}},
    };
    for (const Case& removal : cases) {
        SCOPED_TRACE(removal.name);
        PlayerTagList tags;
        for (const auto& [player, key] : removal.before) {
            appendTag(tags, player, key, 1);
        }
        removePlayerTags(tags, Bob);
        EXPECT_TRUE(harness::isWholeList(tags));
        EXPECT_EQ(tagOrder(tags), removal.after);
    }
}

TEST(PlayerTags, RemoveAllTagsEmptiesAnyListAndLeavesNoValue) {
    PlayerTagList tags;
    removeAllTags(tags);
    EXPECT_TRUE(harness::isWholeList(tags));
    setTag(tags, Ann, 0, 1);
    setTag(tags, Bob, 3, 9);
    removeAllTags(tags);
    EXPECT_TRUE(harness::isWholeList(tags));
    EXPECT_EQ(tags.count(), 0u);
    EXPECT_EQ(getTag(tags, Ann, 0), 0u);
    EXPECT_EQ(getTag(tags, Bob, 3), 0u);
}

using PlayerLeavingTest = harness::PluginTest;

TEST_F(PlayerLeavingTest, LeavingDropsOnlyThatPlayersPassAndKeepsTheRoster) {
    hostsim::PlayerRecord& ace = arena().addPlayer("Ace", 1, 3, 1);
    hostsim::PlayerRecord& bea = arena().addPlayer("Bea", 2, 3, 2);
    hostsim::PlayerRecord& cid = arena().addPlayer("Cid", 3, 3, 3);
    arena().addFlag(3);
    connect();
    deliver(hostsim::CodeFlagDrop);
    host.clearSent();
    deliver(hostsim::CodePlayerLeaving, 0);
    EXPECT_EQ(bot().tags.count(), 3u) << "a null player is harmless";
    deliver(hostsim::CodePlayerLeaving, bea.address());
    EXPECT_EQ(harness::taggedPlayers(bot()),
              (std::vector<hostsim::Word>{ace.address(), cid.address()}));
    EXPECT_EQ(harness::rosterNames(bot()), (std::vector<std::string>{"Ace", "Bea", "Cid"}));
    EXPECT_TRUE(host.sent().empty());
}

} // namespace
