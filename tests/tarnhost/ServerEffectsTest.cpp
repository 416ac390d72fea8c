// The simulated game server: "*setfreq N" moves the player and reports the change to the
// plug-in only after the plug-in's callback has returned; "*arena" lines are shown to the
// arena; nothing happens with effects off.
#include "FakePlugin.h"
#include "Tarnhost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class ServerEffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeplugin::reset();
        session.effects = true;
        tarnhost::perform(session, "init");
        tarnhost::perform(session, "player Cid team 2 ship 1");
    }

    // How many team changes the fake plug-in was told of.
    std::size_t changesDelivered() const {
        std::size_t count = 0;
        for (const hostsim::HostEvent& event : fakeplugin::recording().events) {
            count += event.code == hostsim::CodePlayerChange ? 1 : 0;
        }
        return count;
    }

    tarnhost::Session session{&fakeplugin::talk};
};

TEST_F(ServerEffectsTest, MovesThePlayerAndReportsTheChangeAfterTheCallbackReturned) {
    fakeplugin::recording().answerToChange = "*setfreq 2";
    const tarnhost::LineResult result = tarnhost::perform(session, "change Cid team 3");
    EXPECT_EQ(result.output, (Lines{"to Cid: *setfreq 2", "server: moves Cid to team 2"}));
    EXPECT_EQ(result.story.back(), "host -> plug-in: Cid changes to team 2 (was team 3)");
    EXPECT_EQ(changesDelivered(), 2u);
    EXPECT_FALSE(fakeplugin::recording().reentered);
    const hostsim::HostEvent& reported = fakeplugin::recording().events.back();
    EXPECT_EQ(reported.parameters[1], 3u) << "the previous team";
    EXPECT_EQ(reported.parameters[2], 1u) << "the ship, unchanged";
}

TEST_F(ServerEffectsTest, LeavesAPlayerAlreadyOnTheTeamWhereHeIsAndReportsNothing) {
    fakeplugin::recording().answerToChange = "*setfreq 3";
    const tarnhost::LineResult result = tarnhost::perform(session, "change Cid team 3");
    EXPECT_EQ(result.output, (Lines{"to Cid: *setfreq 3",
                                    "server: ignores \"*setfreq 3\" (Cid is on team 3 already)"}));
    EXPECT_EQ(changesDelivered(), 1u);
}

// A plug-in that sends a player who came from team 7 back to 7, and anyone else to 7's rival 8.
void alternatingTalk(hostsim::HostEvent* event) {
    if (event->code == hostsim::CodePlayerChange) {
        fakeplugin::recording().answerToChange =
            event->parameters[1] == 7 ? "*setfreq 7" : "*setfreq 8";
    }
    fakeplugin::talk(event);
}

TEST(ServerEffectsChainTest, CutsOffAPlugInAndServerThatKeepAnsweringEachOther) {
    fakeplugin::reset();
    tarnhost::Session looping(&alternatingTalk);
    looping.effects = true;
    tarnhost::perform(looping, "init");
    tarnhost::perform(looping, "player Eve team 7 ship 1");
    const tarnhost::LineResult result = tarnhost::perform(looping, "change Eve team 8");
    // The first answer, then 64 moves each answered again, then the cut.
    ASSERT_EQ(result.output.size(), 1u + 64u * 2u + 1u);
    EXPECT_EQ(result.output.back(), "server: stops after 64 moves");
    EXPECT_EQ(tarnhost::perform(looping, "state").output[1],
              "  player Eve: team 8, ship 1, ident 0, access 0");
}

TEST_F(ServerEffectsTest, IgnoresLinesItCannotCarryOut) {
    struct Case {
        const char* answer;
        const char* serverLine;
    };
    for (const Case& tried : {Case{"*setfreq two", "server: ignores \"*setfreq two\" (not a team "
                                                   "number)"},
                              Case{"*setfreq 70000", "server: ignores \"*setfreq 70000\" (not a "
                                                     "team number)"},
                              Case{"*setfreq 0x2", "server: ignores \"*setfreq 0x2\" (not a "
                                                   "team number)"}}) {
        fakeplugin::recording().answerToChange = tried.answer;
        const tarnhost::LineResult result = tarnhost::perform(session, "change Cid team 4");
        EXPECT_EQ(result.output.back(), tried.serverLine);
    }
    EXPECT_EQ(changesDelivered(), 3u) << "only the three changes of the lines themselves";
}

TEST_F(ServerEffectsTest, DoesNothingWithEffectsOff) {
    tarnhost::perform(session, "effects off");
    fakeplugin::recording().answerToChange = "*setfreq 2";
    const tarnhost::LineResult result = tarnhost::perform(session, "change Cid team 3");
    EXPECT_EQ(result.output, (Lines{"to Cid: *setfreq 2"}));
    EXPECT_EQ(changesDelivered(), 1u);
    EXPECT_NE(tarnhost::perform(session, "state").output[1].find("team 3"), std::string::npos);
}

// The host's callback, as the plug-in below keeps it.
hostsim::EventFunction keptCallback = nullptr;

// A plug-in that answers a team change with an event the host has no words for.
void unwordedTalk(hostsim::HostEvent* event) {
    if (event->code == hostsim::CodeInit) {
        keptCallback = reinterpret_cast<hostsim::EventFunction>(event->parameters[1]);
    } else if (event->code == hostsim::CodePlayerChange) {
        hostsim::HostEvent unworded = hostsim::makeEvent(event->handle, 99, 7, 8);
        keptCallback(&unworded);
    }
    fakeplugin::talk(event);
}

// An event without words is shown by its code and parameters; a line sent while no line of the
// scenario is carried out (from a thread of the plug-in's own), and what the server does about
// it, belong to no line.
TEST(PlugInSendsTest, AnUnwordedEventShowsItsCodeAndALineSentBetweenLinesIsNoLinesOutput) {
    fakeplugin::reset();
    tarnhost::Session session(&unwordedTalk);
    session.effects = true;
    tarnhost::perform(session, "init");
    tarnhost::perform(session, "player Cid team 2 ship 1");
    EXPECT_EQ(tarnhost::perform(session, "change Cid team 3").output,
              (Lines{"event code 99 7 8 0 0 0 0"}));
    const std::string text = "*arena Between lines";
    hostsim::HostEvent stray = hostsim::makeEvent(1, hostsim::CodeSay, hostsim::ModePublic, 0, 0,
                                                  reinterpret_cast<hostsim::Word>(text.c_str()));
    keptCallback(&stray);
    EXPECT_EQ(tarnhost::perform(session, "tick").output, Lines{});
}

} // namespace
