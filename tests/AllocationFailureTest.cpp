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
    using tarnwick::PlayerTagList;
    constexpr tarnwick::HostAddress Ann = 0x10, Bob = 0x20, Cy = 0x30;
    const struct {
        const char* what;
        std::function<bool(PlayerTagList&)> add;
        std::size_t allocations;
    } additions[] = {
        {"setTag: the tag and its node",
         [](PlayerTagList& tags) { return tarnwick::setTag(tags, Cy, 0, 1); }, 2},
        {"append of a made tag: its node, the tag destroyed when that fails",
         [](PlayerTagList& tags) {
             tarnwick::PlayerTag* tag = nullptr;
             {
                 hostsim::AllocationFailurePause pause;
                 tag = new tarnwick::PlayerTag{Cy, 0, 1};
             }
             return tags.append(tag);
         },
         1},
    };
    for (const auto& addition : additions) {
        SCOPED_TRACE(addition.what);
        std::size_t failures = 0;
        for (std::size_t ordinal = 1;; ++ordinal) {
            PlayerTagList tags;
            tarnwick::setTag(tags, Ann, 0, 1);
            tarnwick::setTag(tags, Bob, 0, 1);
            const bool struck = failsAt(ordinal, [&] { return addition.add(tags); });
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
        EXPECT_EQ(failures, addition.allocations) << "every allocation was made to fail";
    }
}

// Whether a text an operation made is present; an absent one must read as the empty text.
bool madePresent(const tarnwick::Text& made) {
    if (!made.present()) {
        EXPECT_EQ(made.length(), 0u) << "an absent text reads as the empty text";
    }
    return made.present();
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
        {"copy construction", [](Text& text) { return madePresent(Text(text)); }},
        {"move construction", [](Text& text) { return madePresent(Text(std::move(text))); }},
        {"text + string", [](Text& text) { return madePresent(text + "def"); }},
        {"string + text", [](Text& text) { return madePresent("def" + text); }},
        {"integer construction", [](Text&) { return madePresent(Text(-2147483647 - 1)); }},
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

TEST_F(AllocationFailurePluginTest, InstanceThatCannotBeCreatedRefusesTheHandshakeAndIsMadeLater) {
    const std::string refusal = "DLL plugin cannot connect.  Out of memory.";
    const struct {
        const char* what;
        std::uint32_t handle;
        bool withCallback;
        std::vector<std::string> told;
    } cases[] = {
        {"the host is told through the handshake's callback", Handle, true, {refusal}},
        {"handle 0 sends nothing", 0, true, {}},
        {"a handshake without a callback sends nothing", Handle, false, {}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        const hostsim::HostEvent init =
            host.initEvent(row.handle, hostsim::versionWord(6, 5), row.withCallback);
        for (std::size_t ordinal = 1;; ++ordinal) {
            SCOPED_TRACE(ordinal);
            restart();
            if (!deliverFailingAt(ordinal, init)) {
                EXPECT_EQ(tarnwick::registeredInstances().count(), 1u);
                break;
            }
            // Nothing is restarted from here on: what the host heard is what a host would hear.
            EXPECT_EQ(tarnwick::registeredInstances().count(), 0u);
            EXPECT_TRUE(harness::isWholeList(tarnwick::registeredInstances()));
            EXPECT_EQ(sentTexts(), row.told);
            host.clearSent();
            host.deliver(hostsim::makeEvent(row.handle, hostsim::CodeTick));
            EXPECT_NE(harness::botFor(row.handle), nullptr) << "the next event makes the instance";
            EXPECT_TRUE(host.sent().empty());
        }
    }
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
