#include "PluginHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using hostsim::Word;

constexpr int Unlocked = -1;

class TeamLockTest : public harness::PluginTest {
protected:
    // Gives the arena exactly two flags, owned by `first` and `second`.
    void setFlags(std::uint16_t first, std::uint16_t second) {
        while (!arena().flags().empty()) {
            arena().removeFlag(*arena().flags().front());
        }
        arena().addFlag(first);
        arena().addFlag(second);
    }
    // Locks on `team` through a drop with every flag owned by it, and forgets what was sent.
    void lockOn(std::uint16_t team) {
        setFlags(team, team);
        deliver(hostsim::CodeFlagDrop);
        ASSERT_TRUE(bot().locked);
        host.clearSent();
    }
    // The names and record addresses of every non-spectating player on `team`, in list order.
    void expectRosterAndPassesOf(std::uint32_t team) {
        std::vector<std::string> names;
        std::vector<Word> members;
        for (const auto& player : arena().players()) {
            if (player->team() == team && player->ship() != hostsim::SpectatorShip) {
                names.push_back(player->name());
                members.push_back(player->address());
            }
        }
        EXPECT_EQ(harness::rosterNames(bot()), names);
        EXPECT_EQ(harness::taggedPlayers(bot()), members);
    }
};

TEST_F(TeamLockTest, EachSurveyLocksMovesKeepsOrLiftsByTheDecisionTable) {
    struct Case {
        const char* name;
        int lockedBefore;
        std::uint16_t firstFlag, secondFlag;
        std::uint32_t code;
        bool grabSecondFlag;
        int lockedAfter;
        bool announced;
    };
    using namespace hostsim;
    const Case cases[] = {
        {"unlocked, split flags, drop", Unlocked, 3, 5, CodeFlagDrop, false, Unlocked, false},
        {"unlocked, unowned flags, drop", Unlocked, NobodysTeam, NobodysTeam, CodeFlagDrop, false,
         Unlocked, false},
        {"unlocked, all 3, drop", Unlocked, 3, 3, CodeFlagDrop, false, 3, true},
        {"unlocked, all 5, grab", Unlocked, 5, 5, CodeFlagGrab, false, 5, true},
        {"unlocked, grab leaves out the only flag of 5", Unlocked, 3, 5, CodeFlagGrab, true, 3,
         true},
        {"unlocked, all 3, arena enter", Unlocked, 3, 3, CodeArenaEnter, false, 3, true},
        {"unlocked, split, arena enter", Unlocked, 3, 5, CodeArenaEnter, false, Unlocked, false},
        {"unlocked, all 3, arena leave", Unlocked, 3, 3, CodeArenaLeave, false, Unlocked, false},
        {"locked 3, all 3, drop", 3, 3, 3, CodeFlagDrop, false, 3, false},
        {"locked 3, all 3, grab", 3, 3, 3, CodeFlagGrab, false, 3, false},
        {"locked 3, all 5, drop", 3, 5, 5, CodeFlagDrop, false, 5, true},
        {"locked 3, all 5, grab", 3, 5, 5, CodeFlagGrab, false, 5, true},
        {"locked 3, split, drop", 3, 3, 5, CodeFlagDrop, false, Unlocked, false},
        {"locked 3, split, grab", 3, 3, 5, CodeFlagGrab, false, Unlocked, false},
        {"locked 3, unowned, drop", 3, NobodysTeam, NobodysTeam, CodeFlagDrop, false, Unlocked,
         false},
        {"locked 3, arena leave", 3, 3, 3, CodeArenaLeave, false, Unlocked, false},
        {"locked 3, flag game over", 3, 3, 3, CodeFlagGameOver, false, Unlocked, false},
        {"locked 3, flag reset", 3, 3, 3, CodeFlagReset, false, Unlocked, false},
        {"locked 3, all 3, arena enter re-announces", 3, 3, 3, CodeArenaEnter, false, 3, true},
        {"locked 3, all 5, arena enter", 3, 5, 5, CodeArenaEnter, false, 5, true},
        {"locked 3, nothing counted, arena enter", 3, NobodysTeam, NobodysTeam, CodeArenaEnter,
         false, Unlocked, false},
    };
    arena().addPlayer("Ann", 1, 3, 0);
    arena().addPlayer("Bob", 2, 5, 1);
    arena().addPlayer("Cy", 3, 3, SpectatorShip);
    arena().addPlayer("Dee", 4, 5, 2);
    arena().addPlayer("Eve", 5, 9, 1);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        restart();
        connect();
        if (row.lockedBefore != Unlocked) {
            lockOn(static_cast<std::uint16_t>(row.lockedBefore));
        }
        setFlags(row.firstFlag, row.secondFlag);
        deliver(row.code, 0, row.grabSecondFlag ? arena().flags()[1]->address() : 0);
        EXPECT_EQ(bot().locked, row.lockedAfter != Unlocked);
        if (row.lockedAfter != Unlocked) {
            EXPECT_EQ(bot().lockedTeam, static_cast<std::uint32_t>(row.lockedAfter));
            expectRosterAndPassesOf(static_cast<std::uint32_t>(row.lockedAfter));
        }
        const std::string line =
            "*arena Freq " + std::to_string(row.lockedAfter) + " LOCKED -- No freq-hopping.";
        EXPECT_EQ(sentTexts(),
                  row.announced ? std::vector<std::string>{line} : std::vector<std::string>{});
    }
}

TEST_F(TeamLockTest, AnnouncementNamesTeamsBelowOneHundredOnly) {
    const std::pair<std::uint16_t, const char*> cases[] = {
        {0, "*arena Freq 0 LOCKED -- No freq-hopping."},
        {3, "*arena Freq 3 LOCKED -- No freq-hopping."},
        {7, "*arena Freq 7 LOCKED -- No freq-hopping."},
        {99, "*arena Freq 99 LOCKED -- No freq-hopping."},
        {100, "*arena Private freq LOCKED -- No freq-hopping."},
        {65534, "*arena Private freq LOCKED -- No freq-hopping."},
    };
    for (const auto& [team, line] : cases) {
        SCOPED_TRACE(team);
        restart();
        connect();
        setFlags(team, team);
        deliver(hostsim::CodeFlagDrop);
        EXPECT_EQ(publicTexts(), std::vector<std::string>{line});
        EXPECT_EQ(host.sent().size(), 1u);
    }
}

TEST_F(TeamLockTest, RosterTakesNonSpectatorsOfTheTeamInListOrderEqualAndEmptyNamesIncluded) {
    arena().addPlayer("Two", 1, 2, 0);
    arena().addPlayer("Seven", 2, 7, 0);
    arena().addPlayer("Watcher", 3, 7, hostsim::SpectatorShip);
    arena().addPlayer("Late", 4, 7, 3);
    arena().addPlayer("Seven", 5, 7, 1);
    arena().addPlayer("", 6, 7, 2);
    connect();
    lockOn(7);
    EXPECT_EQ(harness::rosterNames(bot()),
              (std::vector<std::string>{"Seven", "Late", "Seven", ""}));
    expectRosterAndPassesOf(7);
}

TEST_F(TeamLockTest, TeamWithoutShipsLocksWithAnEmptyRosterAndIsStillAnnounced) {
    arena().addPlayer("Watcher", 1, 9, hostsim::SpectatorShip);
    connect();
    setFlags(9, 9);
    deliver(hostsim::CodeFlagDrop);
    EXPECT_TRUE(bot().locked);
    EXPECT_EQ(bot().roster.count(), 0u);
    EXPECT_EQ(bot().tags.count(), 0u);
    EXPECT_EQ(publicTexts(), std::vector<std::string>{"*arena Freq 9 LOCKED -- No freq-hopping."});
}

TEST_F(TeamLockTest, AnnouncementGoesOutOnceAfterRosterAndPassesAreInPlace) {
    arena().addPlayer("Ann", 1, 3, 0);
    arena().addPlayer("Bob", 2, 5, 1);
    connect();
    struct Seen {
        bool locked;
        std::uint32_t team;
        std::vector<std::string> roster;
        std::vector<Word> tagged;
    };
    std::vector<Seen> seen;
    host.onLine = [&](const hostsim::SentEvent& sent) {
        if (sent.isPublic()) {
            const tarnwick::BotInstance& inside = bot();
            seen.push_back({inside.locked, inside.lockedTeam, harness::rosterNames(inside),
                            harness::taggedPlayers(inside)});
        }
    };
    setFlags(3, 3);
    deliver(hostsim::CodeFlagDrop);
    setFlags(5, 5);
    deliver(hostsim::CodeFlagGrab);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].locked);
    EXPECT_EQ(seen[0].team, 3u);
    EXPECT_EQ(seen[0].roster, std::vector<std::string>{"Ann"});
    EXPECT_EQ(seen[0].tagged, std::vector<Word>{arena().players()[0]->address()});
    EXPECT_TRUE(seen[1].locked);
    EXPECT_EQ(seen[1].team, 5u);
    EXPECT_EQ(seen[1].roster, std::vector<std::string>{"Bob"});
    EXPECT_EQ(seen[1].tagged, std::vector<Word>{arena().players()[1]->address()});
}

TEST_F(TeamLockTest, KeptLockKeepsPassesGivenSinceAndRetakenLockIsAnnouncedAgain) {
    hostsim::PlayerRecord& ann = arena().addPlayer("Ann", 1, 3, 0);
    connect();
    lockOn(3);
    deliver(hostsim::CodePlayerLeaving, ann.address());
    arena().removePlayer(ann);
    hostsim::PlayerRecord& back = arena().addPlayer("ANN", 1, 0, hostsim::SpectatorShip);
    deliver(hostsim::CodePlayerEntering, back.address());
    host.clearSent();
    deliver(hostsim::CodeFlagDrop);
    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(harness::taggedPlayers(bot()), std::vector<Word>{back.address()});

    deliver(hostsim::CodeFlagReset);
    deliver(hostsim::CodeFlagDrop);
    EXPECT_EQ(publicTexts(), std::vector<std::string>{"*arena Freq 3 LOCKED -- No freq-hopping."});
}

TEST_F(TeamLockTest, TwoBotsNeverSeeEachOthersState) {
    hostsim::PlayerRecord& ann = arena(1).addPlayer("Ann", 1, 3, 0);
    arena(1).addFlag(3);
    arena(2).addPlayer("Bob", 1, 5, 0);
    arena(2).addFlag(5);
    arena(2).addFlag(6);
    connect(1);
    connect(2);
    host.deliver(hostsim::makeEvent(1, hostsim::CodeFlagDrop));
    EXPECT_FALSE(bot(2).locked);
    EXPECT_EQ(bot(2).tags.count(), 0u);
    EXPECT_EQ(bot(2).roster.count(), 0u);
    arena(2).flags()[1]->setTeam(5);
    host.deliver(hostsim::makeEvent(2, hostsim::CodeFlagDrop));
    host.deliver(hostsim::makeEvent(2, hostsim::CodeArenaLeave));
    EXPECT_TRUE(bot(1).locked);
    EXPECT_EQ(bot(1).lockedTeam, 3u);
    EXPECT_EQ(harness::taggedPlayers(bot(1)), std::vector<Word>{ann.address()});
    ASSERT_EQ(host.sent().size(), 2u);
    EXPECT_EQ(host.sent()[0].handle, 1u);
    EXPECT_EQ(host.sent()[1].handle, 2u);
    EXPECT_EQ(host.sent()[1].text, "*arena Freq 5 LOCKED -- No freq-hopping.");
}

} // namespace
