#include "Allocations.h"
#include "FailureInsideTalk.h"
#include "PluginHarness.h"

#include "bot/InstanceRegistry.h"
#include "bot/PlayerTags.h"
#include "support/Text.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

using hostsim::FailingAllocation;

// Runs `operation` with its `ordinal`-th allocation failing; true when that failure struck,
// which the operation must have reported by answering false.
bool failsAt(std::size_t ordinal, const std::function<bool()>& operation) {
    bool reported = false;
    bool struck = false;
    {
        FailingAllocation failure(ordinal);
        reported = !operation();
        struck = failure.struck();
    }
    EXPECT_EQ(reported, struck) << "allocation " << ordinal;
    return struck;
}

TEST(AllocationFailure, SetTagThatCannotAllocateLeavesTheListWholeAndUnchanged) {
    constexpr tarnwick::HostAddress Ann = 0x10, Bob = 0x20, Cy = 0x30;
    std::size_t failures = 0;
    for (std::size_t ordinal = 1;; ++ordinal) {
        tarnwick::PlayerTagList tags;
        tarnwick::setTag(tags, Ann, 0, 1);
        tarnwick::setTag(tags, Bob, 0, 1);
        const bool struck = failsAt(ordinal, [&] { return tarnwick::setTag(tags, Cy, 0, 1); });
        EXPECT_TRUE(harness::isWholeList(tags));
        if (!struck) {
            EXPECT_EQ(tarnwick::getTag(tags, Cy, 0), 1u);
            break;
        }
        ++failures;
        EXPECT_EQ(tags.count(), 2u);
        EXPECT_EQ(tags.head()->item->player, Ann);
        EXPECT_EQ(tags.tail()->item->player, Bob);
        EXPECT_EQ(tarnwick::getTag(tags, Cy, 0), 0u);
    }
    EXPECT_GE(failures, 2u) << "both the tag and its node were made to fail";
}

TEST(AllocationFailure, TextOperationThatCannotAllocateLeavesTheValueAsItWas) {
    using tarnwick::Text;
    const std::pair<const char*, std::function<bool(Text&)>> operations[] = {
        {"append", [](Text& text) { return text.append("def", 3); }},
        {"prepend", [](Text& text) { return text.prepend("def", 3); }},
        {"append own characters",
         [](Text& text) { return text.append(text.chars(), text.length()); }},
        {"assign", [](Text& text) { return text.assign("0000", 4); }},
        {"copy assignment",
         [](Text& text) {
             const Text longer("longer text");
             return longer.present() && text.assign(longer);
         }},
        {"copy construction", [](Text& text) { return Text(text).present(); }},
        {"move construction", [](Text& text) { return Text(std::move(text)).present(); }},
        {"text + string", [](Text& text) { return (text + "def").present(); }},
        {"string + text", [](Text& text) { return ("def" + text).present(); }},
        {"integer construction", [](Text&) { return Text(-2147483647 - 1).present(); }},
    };
    for (const auto& entry : operations) {
        SCOPED_TRACE(entry.first);
        const std::function<bool(Text&)>& operation = entry.second;
        for (std::size_t ordinal = 1;; ++ordinal) {
            Text text("abc");
            const char* buffer = text.chars();
            if (!failsAt(ordinal, [&] { return operation(text); })) {
                EXPECT_GT(ordinal, 1u) << "the operation allocates";
                break;
            }
            EXPECT_EQ(text.chars(), buffer);
            EXPECT_EQ(std::string(text.chars(), text.length() + 1), std::string("abc", 4));
        }
    }
}

class AllocationFailurePluginTest : public harness::PluginTest {
protected:
    AllocationFailurePluginTest() : PluginTest(harness::linkedCoreFailingInsideTalk()) {}

    // Delivers one event with the `ordinal`-th allocation of its `talk` failing; true when the
    // failure struck.
    bool deliverFailingAt(std::size_t ordinal, const hostsim::HostEvent& event) {
        harness::failNextTalkAt(ordinal);
        host.deliver(event);
        return harness::lastTalkFailed();
    }
};

TEST_F(AllocationFailurePluginTest, LockThatCannotBeBuiltIsLiftedAndNotAnnounced) {
    const std::pair<int, std::uint16_t> cases[] = {{-1, 3}, {5, 3}, {3, 150}};
    for (const auto& [lockedBefore, team] : cases) {
        SCOPED_TRACE("from " + std::to_string(lockedBefore) + " to " + std::to_string(team));
        for (std::size_t ordinal = 1;; ++ordinal) {
            SCOPED_TRACE(ordinal);
            restart();
            while (!arena().players().empty()) {
                arena().removePlayer(*arena().players().front());
            }
            hostsim::FlagRecord& flag =
                arena().flags().empty() ? arena().addFlag(0) : *arena().flags().front();
            arena().addPlayer("Ann", 1, team, 1);
            arena().addPlayer("Bob", 2, team, 2);
            arena().addPlayer("Cy", 3, 5, 2);
            connect();
            if (lockedBefore >= 0) {
                flag.setTeam(static_cast<std::uint16_t>(lockedBefore));
                deliver(hostsim::CodeFlagDrop);
                host.clearSent();
            }
            flag.setTeam(team);
            const bool struck =
                deliverFailingAt(ordinal, hostsim::makeEvent(Handle, hostsim::CodeFlagDrop));
            EXPECT_TRUE(harness::isWholeList(bot().roster));
            EXPECT_TRUE(harness::isWholeList(bot().tags));
            if (!struck) {
                EXPECT_TRUE(bot().locked);
                EXPECT_EQ(bot().roster.count(), 2u);
                EXPECT_EQ(publicTexts().size(), 1u);
                EXPECT_GT(ordinal, 4u) << "names, tags and the line all allocate";
                break;
            }
            EXPECT_FALSE(bot().locked);
            EXPECT_EQ(bot().roster.count(), 0u);
            EXPECT_EQ(bot().tags.count(), 0u);
            EXPECT_TRUE(host.sent().empty());
        }
    }
}

TEST_F(AllocationFailurePluginTest, InstanceThatCannotBeCreatedDropsTheEventAndIsMadeLater) {
    const hostsim::HostEvent init = host.initEvent(Handle);
    for (std::size_t ordinal = 1;; ++ordinal) {
        restart();
        if (!deliverFailingAt(ordinal, init)) {
            EXPECT_EQ(tarnwick::registeredInstances().count(), 1u);
            break;
        }
        EXPECT_EQ(tarnwick::registeredInstances().count(), 0u);
        EXPECT_TRUE(harness::isWholeList(tarnwick::registeredInstances()));
    }
    restart();
    connect();
    EXPECT_NE(harness::botFor(Handle), nullptr);
}

TEST_F(AllocationFailurePluginTest, TeardownDestroysInstancesOldestFirstRosterThenTagsSilently) {
    const std::uint32_t handles[] = {7, 3, 5};
    for (std::uint32_t handle : handles) {
        arena(handle).addPlayer("Member" + std::to_string(handle), 1, 2, 1);
        arena(handle).addFlag(2);
        connect(handle);
        host.deliver(hostsim::makeEvent(handle, hostsim::CodeFlagDrop));
        ASSERT_EQ(publicTexts().size(), 1u) << "each bot announces its lock";
        host.clearSent();
    }
    struct Owned {
        const void* rosterName;
        const void* tag;
        const void* instance;
    };
    std::vector<Owned> owned;
    for (std::uint32_t handle : handles) {
        const tarnwick::BotInstance& instance = bot(handle);
        ASSERT_EQ(instance.roster.count(), 1u);
        ASSERT_EQ(instance.tags.count(), 1u);
        owned.push_back(
            {instance.roster.head()->item->chars(), instance.tags.head()->item, &instance});
    }

    hostsim::FreedBlockLog freed;
    tarnwick::destroyAllInstances();

    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(tarnwick::registeredInstances().count(), 0u);
    long previousInstance = -1;
    for (const Owned& blocks : owned) {
        const long name = freed.positionOf(blocks.rosterName);
        const long tag = freed.positionOf(blocks.tag);
        const long instance = freed.positionOf(blocks.instance);
        EXPECT_GT(name, previousInstance) << "an older instance goes entirely first";
        EXPECT_LT(name, tag) << "the roster is emptied before the tags";
        EXPECT_LT(tag, instance) << "the instance goes after what it owns";
        previousInstance = instance;
    }
}

} // namespace
