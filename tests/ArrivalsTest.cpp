#include "PluginHarness.h"

#include "bot/PlayerTags.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using hostsim::SpectatorShip;
using hostsim::Word;

std::string welcomeBack(std::uint32_t team) {
    return "Welcome back. You may still enter team " + std::to_string(team);
}

std::string teamLocked(std::uint32_t team) {
    return "Team " + std::to_string(team) + " is locked to prevent freq-hopping";
}

class ArrivalsTest : public harness::PluginTest {
protected:
    // Connects and locks on `team` with the one flag owned by it; forgets what was sent.
    void lockOn(std::uint16_t team) {
        while (!arena().flags().empty()) {
            arena().removeFlag(*arena().flags().front());
        }
        arena().addFlag(team);
        connect();
        deliver(hostsim::CodeFlagDrop);
        ASSERT_TRUE(bot().locked);
        ASSERT_EQ(bot().lockedTeam, team);
        host.clearSent();
    }
    // Adds a player and delivers its arrival.
    hostsim::PlayerRecord& arrive(const std::string& name, std::uint16_t team = 0,
                                  std::uint8_t ship = SpectatorShip) {
        hostsim::PlayerRecord& player = arena().addPlayer(name, arena().freeIdent(), team, ship);
        deliver(hostsim::CodePlayerEntering, player.address());
        return player;
    }
    std::uint32_t passOf(const hostsim::PlayerRecord& player) {
        return tarnwick::getTag(bot().tags, player.address(), tarnwick::TeamPassKey);
    }
    // The texts sent privately to `player`, checking that nothing else was sent.
    std::vector<std::string> linesTo(const hostsim::PlayerRecord& player) {
        std::vector<std::string> lines;
        for (const hostsim::SentEvent& sent : host.sent()) {
            EXPECT_TRUE(sent.isPrivate());
            EXPECT_EQ(sent.target(), player.ident());
            lines.push_back(sent.text);
        }
        return lines;
    }
};

TEST_F(ArrivalsTest, ArrivalIsWelcomedBackOnlyByAWholeNameWithAsciiCaseFolding) {
    struct Case {
        const char* name;
        std::uint16_t team;
        std::uint8_t ship;
        bool welcomed;
    };
    const Case cases[] = {
        {"aCE", 0, SpectatorShip, true},
        {"ACE", 4, 1, true},
        {"Ace ", 0, SpectatorShip, false},
        {"Ac", 0, SpectatorShip, false},
        {"Acer", 3, 1, false},
        {"\xC4SA", 0, SpectatorShip, true},
        {"\xE4sa", 0, SpectatorShip, false},
        {"", 0, SpectatorShip, true},
        {"Watcher", 3, SpectatorShip, false},
        {"Stranger", 3, 1, false},
    };
    arena().addPlayer("Ace", 1, 3, 1);
    arena().addPlayer("Ace", 2, 3, 2);
    arena().addPlayer("\xC4sa", 3, 3, 1);
    arena().addPlayer("", 4, 3, 1);
    arena().addPlayer("Watcher", 5, 3, SpectatorShip);
    lockOn(3);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        host.clearSent();
        const hostsim::PlayerRecord& player = arrive(row.name, row.team, row.ship);
        EXPECT_EQ(linesTo(player),
                  std::vector<std::string>{row.welcomed ? welcomeBack(3) : teamLocked(3)});
        EXPECT_EQ(passOf(player), row.welcomed ? 1u : 0u);
    }
    EXPECT_EQ(bot().roster.count(), 4u) << "arrivals never change the roster";
}

TEST_F(ArrivalsTest, EmptyRosterToldLockedAndTeamNumbersAboveOneHundredAreWritten) {
    for (std::uint16_t team : {std::uint16_t{3}, std::uint16_t{150}}) {
        SCOPED_TRACE(team);
        restart();
        lockOn(team);
        const hostsim::PlayerRecord& spectator = arrive("Watcher" + std::to_string(team));
        EXPECT_EQ(linesTo(spectator), std::vector<std::string>{teamLocked(team)});
    }
    arena().addPlayer("Ace", 0, 150, 1);
    restart();
    lockOn(150);
    const hostsim::PlayerRecord& ace = arrive("ace");
    EXPECT_EQ(linesTo(ace), std::vector<std::string>{welcomeBack(150)});
}

TEST_F(ArrivalsTest, WithoutALockArrivalsAndChangesAreLeftAlone) {
    connect();
    hostsim::PlayerRecord& player = arrive("Ace", 3, 1);
    deliver(hostsim::CodePlayerChange, player.address(), 4, 1);
    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(bot().tags.count(), 0u);
}

TEST_F(ArrivalsTest, NullPlayerSendsNothingAndSetsNoTag) {
    arena().addPlayer("", 1, 3, 1);
    lockOn(3);
    const std::uint32_t tagsBefore = bot().tags.count();
    deliver(hostsim::CodePlayerEntering, 0);
    deliver(hostsim::CodePlayerChange, 0, 4, 8);
    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(bot().tags.count(), tagsBefore);
}

TEST_F(ArrivalsTest, PasslessPlayerInAShipOnTheLockedTeamIsSentBack) {
    struct Case {
        const char* name;
        std::uint16_t lockedTeam;
        Word previousTeam, previousShip;
        const char* line;
    };
    const Case cases[] = {
        {"from spectating onto team 0", 0, 4, 8, "*setfreq 1"},
        {"from spectating onto team 1", 1, 4, 8, "*setfreq 0"},
        {"from spectating onto team 7", 7, 4, 8, "*setfreq 0"},
        {"from team 4 in ship 3", 2, 4, 3, "*setfreq 4"},
        {"high half of p2 ignored", 2, 0xFFFF0005u, 3, "*setfreq 5"},
        {"high half of p3 ignored", 2, 4, 0x00010008u, "*setfreq 0"},
        {"previous team 65535", 2, 65535, 1, "*setfreq 65535"},
        {"previous team is the locked team", 2, 2, 1, "*setfreq 2"},
        {"team 150", 150, 149, 0, "*setfreq 149"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        restart();
        while (!arena().players().empty()) {
            arena().removePlayer(*arena().players().front());
        }
        arena().addPlayer("Member", 1, row.lockedTeam, 1);
        lockOn(row.lockedTeam);
        hostsim::PlayerRecord& hopper = arena().addPlayer("Hopper", 2, row.lockedTeam, 2);
        deliver(hostsim::CodePlayerChange, hopper.address(), row.previousTeam, row.previousShip);
        deliver(hostsim::CodePlayerChange, hopper.address(), row.previousTeam, row.previousShip);
        EXPECT_EQ(linesTo(hopper), (std::vector<std::string>{row.line, row.line}))
            << "sent back on every change";
        EXPECT_EQ(passOf(hopper), 0u);
        EXPECT_EQ(harness::rosterNames(bot()), std::vector<std::string>{"Member"});
    }
}

TEST_F(ArrivalsTest, SpectatorsPassHoldersAndOtherTeamsAreNotSentBack) {
    hostsim::PlayerRecord& member = arena().addPlayer("Member", 1, 3, 1);
    lockOn(3);
    hostsim::PlayerRecord& spectator = arena().addPlayer("Watcher", 2, 3, SpectatorShip);
    hostsim::PlayerRecord& elsewhere = arena().addPlayer("Else", 3, 4, 1);
    for (const hostsim::PlayerRecord* player : {&member, &spectator, &elsewhere}) {
        deliver(hostsim::CodePlayerChange, player->address(), 5, 8);
    }
    EXPECT_TRUE(host.sent().empty());
    EXPECT_EQ(harness::taggedPlayers(bot()), std::vector<Word>{member.address()});
}

TEST_F(ArrivalsTest, MemberWhoLeavesAndReturnsIsWelcomedBackAndNotSentBack) {
    hostsim::PlayerRecord& member = arena().addPlayer("Ace", 1, 3, 1);
    lockOn(3);
    deliver(hostsim::CodePlayerLeaving, member.address());
    arena().removePlayer(member);
    EXPECT_EQ(bot().tags.count(), 0u);
    hostsim::PlayerRecord& back = arrive("Ace", 0, SpectatorShip);
    back.setTeam(3);
    back.setShip(1);
    deliver(hostsim::CodePlayerChange, back.address(), 0, 8);
    EXPECT_EQ(linesTo(back), std::vector<std::string>{welcomeBack(3)});
    EXPECT_EQ(passOf(back), 1u);
}

} // namespace
