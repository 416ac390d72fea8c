#include "Arena.h"

#include "teamlock/FlagSurvey.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tarnwick::NoTeamSeen;
using tarnwick::surveyFlags;

struct Carrier {
    std::uint16_t team;
    std::uint16_t flagCount;
    std::uint8_t ship;
};

struct Case {
    const char* name;
    std::vector<Carrier> players;
    std::vector<std::uint16_t> flags;
    int excludedFlag; // index into `flags`, or -1 for none
    bool unanimous;
    std::uint32_t owner; // AnyOwner when the first team met is of no interest
};

constexpr std::uint32_t AnyOwner = 0xFFFFFFFFu;

TEST(FlagSurvey, CountsCarriersOnceAndListedFlagsExceptTheExcludedOne) {
    const Case cases[] = {
        {"both lists empty", {}, {}, -1, false, NoTeamSeen},
        {"only the excluded flag", {{5, 0, 0}}, {3}, 0, false, NoTeamSeen},
        {"three flags of team 3", {}, {3, 3, 3}, -1, true, 3},
        {"carrier and flags of team 3", {{3, 1, 0}}, {3, 3}, -1, true, 3},
        {"carrier counted once whatever its count", {{3, 40, 0}}, {}, -1, true, 3},
        {"carrier of 3 beside an unowned flag", {{3, 1, 0}}, {0xFFFF}, -1, false, AnyOwner},
        {"only unowned flags", {}, {0xFFFF, 0xFFFF}, -1, false, 0xFFFF},
        {"grabbed flag of team 5 left out", {{3, 1, 0}}, {3, 5, 3}, 1, true, 3},
        {"same lists on a drop", {{3, 1, 0}}, {3, 5, 3}, -1, false, 3},
        {"player without flags passed over", {{5, 0, 0}}, {3, 3}, -1, true, 3},
        {"spectating carrier counted", {{5, 2, 8}}, {3, 3}, -1, false, 5},
        {"team 0 is a real team", {{0, 1, 1}}, {0, 0}, -1, true, 0},
        {"team 65534 is a real team", {}, {65534, 65534}, -1, true, 65534},
        {"teams above 255 kept whole", {{65535, 1, 0}, {511, 1, 0}}, {255}, -1, false, 65535},
        {"carriers of two teams", {{3, 1, 0}, {4, 1, 0}}, {}, -1, false, 3},
        {"late disagreement in flag list", {}, {3, 3, 3, 4}, -1, false, 3},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        hostsim::Arena arena;
        for (const Carrier& carrier : row.players) {
            arena.addPlayer("P", 0, carrier.team, carrier.ship).setFlagCount(carrier.flagCount);
        }
        for (std::uint16_t team : row.flags) {
            arena.addFlag(team);
        }
        tarnwick::BotInstance bot(1);
        bot.playerList = arena.playerList().headAddress();
        bot.flagList = arena.flagList().headAddress();
        const tarnwick::HostAddress excluded =
            row.excludedFlag < 0
                ? 0
                : arena.flags()[static_cast<std::size_t>(row.excludedFlag)]->address();
        const tarnwick::FlagSurvey survey = surveyFlags(bot, excluded);
        EXPECT_EQ(survey.unanimous, row.unanimous);
        if (row.unanimous || row.owner != AnyOwner) {
            EXPECT_EQ(survey.owner, row.owner);
        }
    }
}

TEST(FlagSurvey, ExclusionComparesRecordAddressesOnly) {
    hostsim::Arena arena;
    hostsim::FlagRecord& grabbed = arena.addFlag(3);
    arena.addFlag(3);
    hostsim::FlagRecord lookalike;
    lookalike.setTeam(5);
    tarnwick::BotInstance bot(1);
    bot.flagList = arena.flagList().headAddress();
    arena.addFlag(5);
    EXPECT_FALSE(surveyFlags(bot, grabbed.address()).unanimous)
        << "a flag of the same team as the excluded one still counts";
    EXPECT_FALSE(surveyFlags(bot, lookalike.address()).unanimous)
        << "a record outside the list excludes nothing";
    EXPECT_TRUE(surveyFlags(bot, arena.flags().back()->address()).unanimous);
}

TEST(FlagSurvey, AbsentListsCountNothing) {
    hostsim::Arena arena;
    arena.addFlag(3);
    arena.addPlayer("P", 0, 3, 0).setFlagCount(1);
    tarnwick::BotInstance bot(1);
    EXPECT_FALSE(surveyFlags(bot, 0).unanimous);
    EXPECT_EQ(surveyFlags(bot, 0).owner, NoTeamSeen);
    bot.flagList = arena.flagList().headAddress();
    EXPECT_EQ(surveyFlags(bot, 0).owner, 3u) << "only the flag list present";
    bot.flagList = 0;
    bot.playerList = arena.playerList().headAddress();
    EXPECT_EQ(surveyFlags(bot, 0).owner, 3u) << "only the player list present";
}

} // namespace
