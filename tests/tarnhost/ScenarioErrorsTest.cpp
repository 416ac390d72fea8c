// A line the scenario language cannot carry out is refused with a message naming what is
// wrong, and leaves every arena as it was: no event delivered, no record changed.
#include "FakePlugin.h"
#include "Tarnhost.h"

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct RefusedLine {
    const char* line;
    const char* message;
};

void PrintTo(const RefusedLine& refused, std::ostream* out) {
    *out << refused.line;
}

// A test name from the line: its letters and digits, every other run of bytes as one '_'.
std::string nameOf(const ::testing::TestParamInfo<RefusedLine>& info) {
    std::string name = std::to_string(info.index) + "_";
    for (const char* at = info.param.line; *at != '\0'; ++at) {
        const bool plain = std::isalnum(static_cast<unsigned char>(*at)) != 0;
        if (plain) {
            name += *at;
        } else if (name.back() != '_') {
            name += '_';
        }
    }
    return name;
}

// Bot 1 holds Ace (team 3, ship 1, carrying north) and Bea (team 2); south lies on the field.
void setUpArena(tarnhost::Session& session) {
    fakeplugin::reset();
    for (const char* line :
         {"init", "player Ace team 3 ship 1", "player Bea team 2 ship 1", "flag north team 3",
          "flag south team 2", "grab Ace north", "player Max flags 65535"}) {
        tarnhost::perform(session, line);
    }
}

class ScenarioErrorsTest : public ::testing::TestWithParam<RefusedLine> {
protected:
    void SetUp() override { setUpArena(session); }

    tarnhost::Session session{&fakeplugin::talk};
};

TEST_P(ScenarioErrorsTest, RefusesTheLineWithItsMessageAndChangesNothing) {
    const std::vector<std::string> stateBefore = tarnhost::perform(session, "state").output;
    const std::size_t eventsBefore = fakeplugin::recording().events.size();
    try {
        tarnhost::perform(session, GetParam().line);
        FAIL() << "carried out: " << GetParam().line;
    } catch (const tarnhost::ScenarioError& error) {
        EXPECT_EQ(error.what(), std::string(GetParam().message));
    }
    EXPECT_EQ(tarnhost::perform(session, "state").output, stateBefore);
    EXPECT_EQ(fakeplugin::recording().events.size(), eventsBefore);
    EXPECT_EQ(session.current, 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCommand, ScenarioErrorsTest,
    ::testing::Values(
        RefusedLine{"dance", "unknown verb 'dance' (try 'help')"},
        // A long word is cut before 60 bytes, never inside a character.
        RefusedLine{"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\xC3\xA9xxxxxxxxxx",
                    "unknown verb 'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx'... "
                    "(71 bytes) (try 'help')"},
        RefusedLine{"grab Zed south", "unknown player 'Zed' on bot 1 (players: Ace, Bea, Max)"},
        RefusedLine{"grab Bea west", "unknown flag 'west' on bot 1 (flags: north, south)"},
        RefusedLine{"grab Bea north", "flag 'north' is carried by Ace"},
        RefusedLine{"grab Bea", "usage: grab NAME FLAG"},
        RefusedLine{"set Ace team x", "bad team 'x' (a whole number from 0 to 65535 expected)"},
        RefusedLine{"set Ace team 12x", "bad team '12x' (a whole number from 0 to 65535 expected)"},
        RefusedLine{"grab \"Z\\\"ed\" south",
                    "unknown player 'Z\"ed' on bot 1 (players: Ace, Bea, Max)"},
        RefusedLine{"set Ace ship 8 team 65536",
                    "bad team '65536' (a whole number from 0 to 65535 expected)"},
        RefusedLine{"set Bea team 4 ident 0", "ident 0 is Ace's already on bot 1"},
        RefusedLine{"set Ace team 4 ship", "'ship' needs a value"},
        RefusedLine{"player Ace", "player 'Ace' is already in the arena of bot 1"},
        RefusedLine{"arrive Cid team 1 ident 1", "ident 1 is Bea's already on bot 1"},
        RefusedLine{"arrive Cid team 1 colour red",
                    "unexpected 'colour'; usage: arrive NAME [team N] [ship N] [ident N] "
                    "[access N] [flags N]"},
        RefusedLine{"player \"A\x01"
                    "B\"",
                    "'A\\x01B' holds a control byte"},
        RefusedLine{"player \"A\x1F"
                    "B\"",
                    "'A\\x1FB' holds a control byte"},
        RefusedLine{"player A\xC2\x85"
                    "B",
                    "'A\\xC2\\x85B' holds a control byte"},
        RefusedLine{"grab Max south", "'Max' carries 65535 flags, as many as a count holds"},
        RefusedLine{"arrive Cid access -18446744073709551615",
                    "bad access '-18446744073709551615' (a whole number from -2147483648 to "
                    "2147483647 expected)"},
        RefusedLine{"arrive Cid access 2147483648",
                    "bad access '2147483648' (a whole number from -2147483648 to 2147483647 "
                    "expected)"},
        RefusedLine{"arrive \"Cid", "unterminated quoted text"},
        RefusedLine{"player \"A\\", "unterminated quoted text"},
        // Valid UTF-8 up to U+10FFFF shows as it is; DEL and a cut sequence are escaped.
        RefusedLine{
            "x\x7F\xC2\xA9\xF0\x90\x80\x80\xF1\x80\x80\x80\xF4\x8F\xBF\xBF\xE2\x82",
            "'x\\x7F\xC2\xA9\xF0\x90\x80\x80\xF1\x80\x80\x80\xF4\x8F\xBF\xBF\\xE2\\x82' holds a "
            "control byte"},
        RefusedLine{"change Ace team 4 access 3",
                    "unexpected 'access'; usage: change NAME {team N|ship N}"},
        RefusedLine{"change Ace team", "'team' needs a value"},
        RefusedLine{"change Ace", "usage: change NAME {team N|ship N}"},
        RefusedLine{"depart Zed", "unknown player 'Zed' on bot 1 (players: Ace, Bea, Max)"},
        RefusedLine{"remove Ace Bea", "unexpected 'Bea'; usage: remove NAME"},
        RefusedLine{"drop Zed", "unknown player 'Zed' on bot 1 (players: Ace, Bea, Max)"},
        RefusedLine{"flag south", "flag 'south' already exists on bot 1"},
        RefusedLine{"flag west team", "'team' needs a value"},
        RefusedLine{"flag west owner 3", "unexpected 'owner'; usage: flag NAME [team N]"},
        RefusedLine{"set-flag south team nobody",
                    "bad flag team 'nobody' (a whole number from 0 to 65534 expected)"},
        RefusedLine{"flag west team 65535",
                    "bad flag team '65535' (a whole number from 0 to 65534 expected)"},
        RefusedLine{"set-flag south", "usage: set-flag FLAG {team N}"},
        RefusedLine{"remove-flag west", "unknown flag 'west' on bot 1 (flags: north, south)"},
        RefusedLine{"help dance", "no help on 'dance' (try 'help')"},
        RefusedLine{"init 6", "bad minor version '' (a whole number from 0 to 65535 expected)"},
        RefusedLine{"init 6.x", "bad minor version 'x' (a whole number from 0 to 65535 expected)"},
        RefusedLine{"tick now", "unexpected 'now'; usage: tick"},
        RefusedLine{"effects maybe", "usage: effects on|off"},
        RefusedLine{"command Ace", "usage: command NAME WORD [REST]"},
        RefusedLine{"ask Zed about", "unknown player 'Zed' on bot 1 (players: Ace, Bea, Max)"},
        RefusedLine{"event 24 null %west", "unknown flag 'west' on bot 1 (flags: north, south)"},
        RefusedLine{"event 0x", "bad event code or name '0x' (a whole number from 0 to "
                                "4294967295 expected)"},
        RefusedLine{"event player", "bad event code or name 'player' (a whole number from 0 to "
                                    "4294967295 expected)"},
        RefusedLine{"event grab null @Ace",
                    "p2 of event 24 is read as a flag's address: give %FLAG or null"},
        RefusedLine{"event 1 1 2 3 4 5 6 7", "unexpected '7'; usage: event CODE [PARAMETER...]"},
        RefusedLine{"event 10 5", "p1 of event 10 is read as a player's address: give @NAME or "
                                  "null"},
        RefusedLine{"event 17 %north 2 1",
                    "p1 of event 17 is read as a player's address: give @NAME or null"},
        RefusedLine{"event 24 @Ace @Ace",
                    "p2 of event 24 is read as a flag's address: give %FLAG or null"},
        RefusedLine{"event 21 @Ace 8", "p2 of event 21 is read as a command's address: give "
                                       "null, or use 'command' or 'ask'"},
        RefusedLine{"event 0 0x60005 4096",
                    "p2 of event 0 is read as an address: give null, or use 'init'"},
        RefusedLine{"event 17 @Ace -2147483649",
                    "bad parameter '-2147483649' (a whole number from -2147483648 to 0 "
                    "expected)"},
        RefusedLine{"bot -1", "bad handle '-1' (a whole number from 0 to 4294967295 expected)"}),
    nameOf);

// Lines carried out in the same arena, the last told in words as a transcript tells it.
TEST(CarriedOutLineTest, TellsWhatTheLastLineDid) {
    const struct {
        std::vector<std::string> lines;
        const char* told;
    } rows[] = {
        {{"remove Ace"}, "the flags Ace carried lie on the field"},
        {{"command Ace !about now"}, "types the command !about now"},
        {{"event flag-drop @Ace"}, "event 26 (drop) with @Ace"},
        {{"set Ace ident 0"}, "Ace's record now says ident 0"},
        // A flag taken out of the game never takes its carrier's count below nothing.
        {{"set Ace flags 0", "remove-flag north", "grab Ace south"},
         "Ace (team 3) grabs flag south"},
    };
    for (const auto& row : rows) {
        tarnhost::Session session{&fakeplugin::talk};
        setUpArena(session);
        tarnhost::LineResult result;
        for (const std::string& line : row.lines) {
            result = tarnhost::perform(session, line);
        }
        EXPECT_NE(result.action.find(row.told), std::string::npos)
            << row.lines.back() << " told: " << result.action;
    }
}

TEST(ScenarioNameLimitTest, RefusesANameLongerThanTheRecordHolds) {
    fakeplugin::reset();
    tarnhost::Session session(&fakeplugin::talk);
    EXPECT_THROW(tarnhost::perform(session, "player " + std::string(136, 'x')),
                 tarnhost::ScenarioError);
    EXPECT_NO_THROW(tarnhost::perform(session, "player " + std::string(135, 'x')));
}

} // namespace
