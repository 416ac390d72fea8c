// The interactive mode, driven through an input stream as a person at a terminal drives it.
#include "LineEditor.h"
#include "RealModule.h"
#include "Tarnhost.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class InteractiveTest : public tarnhosttest::RealModuleTest {
protected:
    // Runs a session over `typed` and returns everything it printed, errors in place; its exit
    // status goes to `status`.
    std::string session(const std::string& typed) {
        std::istringstream in(typed);
        std::ostringstream out;
        tarnhost::Session session(module.talk());
        session.effects = true;
        status = tarnhost::runInteractive(session, in, out, out, options);
        return out.str();
    }

    static bool contains(const std::string& printed, const std::string& part) {
        return printed.find(part) != std::string::npos;
    }

    tarnhost::InteractiveOptions options;
    int status = -1;
};

TEST_F(InteractiveTest, ConnectsBotOneOnStartAndSaysSo) {
    const std::string printed = session("");
    EXPECT_TRUE(contains(printed, "  the bot connects: the host offers the handshake as version "
                                  "6.5\n      plug-in -> host console: DLL plugin connected.\n"));
    EXPECT_TRUE(contains(printed, "each bot's handshake (init) is done for you"));
}

TEST_F(InteractiveTest, LeavesTheHandshakeToThePersonWithNoInit) {
    options.automaticInit = false;
    const std::string printed = session("command Ace about\narrive Ace\ncommand Ace about\n");
    EXPECT_FALSE(contains(printed, "DLL plugin connected."));
    EXPECT_FALSE(contains(printed, "I disallow freq-hopping"))
        << "a bot without a handshake has no callback to answer through";
}

TEST_F(InteractiveTest, NamesTheFailingLineAndCarriesOnUnchanged) {
    const std::string printed = session("arrive Ace team 3 ship 1\n"
                                        "dance\n"
                                        "\n"
                                        "set Ace team x\n"
                                        "change Zed team 2\n"
                                        "set Ace ident 9 access 2\n"
                                        "state\n");
    EXPECT_TRUE(contains(printed, "line 2: unknown verb 'dance' (try 'help'); nothing "
                                  "changed\n"));
    EXPECT_TRUE(contains(printed, "line 4: bad team 'x' (a whole number from 0 to 65535 "
                                  "expected); nothing changed\n"));
    EXPECT_TRUE(contains(printed, "line 5: unknown player 'Zed' on bot 1 (players: Ace); "
                                  "nothing changed\n"));
    EXPECT_TRUE(contains(printed, "player Ace: team 3, ship 1, ident 9, access 2\n"));
    EXPECT_EQ(status, 1) << "a session not on a terminal that refused a line";
}

TEST_F(InteractiveTest, SendsAHopperBackWithServerEffectsOnByDefault) {
    const std::string printed = session("player Ace team 3 ship 1\n"
                                        "player Cid team 2 ship 1\n"
                                        "flag north team 3\n"
                                        "arena-enter\n"
                                        "change Cid team 3\n"
                                        "state\n");
    EXPECT_TRUE(contains(printed, "game server: every player reads \"Freq 3 LOCKED "
                                  "-- No freq-hopping.\"\n"));
    EXPECT_TRUE(contains(printed, "      plug-in -> Cid, privately: *setfreq 2\n"
                                  "      game server: moves Cid to team 2\n"
                                  "      host -> plug-in: Cid changes to team 2 (was team 3)\n"));
    EXPECT_TRUE(contains(printed, "player Cid: team 2, ship 1"));
}

TEST_F(InteractiveTest, ConnectsEachNewBotAndKeepsItsArenaApart) {
    options.terminal = true;
    const std::string printed = session("player Ace team 3 ship 1\n"
                                        "flag north team 3\n"
                                        "arena-enter\n"
                                        "bot 2\n"
                                        "player Ace team 2 ship 1\n"
                                        "change Ace team 3\n"
                                        "state\n");
    EXPECT_TRUE(contains(printed, "bot 1> "));
    EXPECT_TRUE(contains(printed, "  switch to bot 2: its own arena, and its own state in the "
                                  "plug-in\n  [bot 2] the bot connects: the host offers the "
                                  "handshake as version 6.5\n"
                                  "      plug-in -> host console: DLL plugin connected.\n"));
    EXPECT_TRUE(contains(printed, "bot 2> "));
    EXPECT_TRUE(contains(printed, "  [bot 2] Ace changes from team 2, ship 1 to team 3, ship 1\n"
                                  "      (the plug-in sends nothing)\n"));
    EXPECT_TRUE(contains(printed, "  bot 1: handshake answered"));
    EXPECT_TRUE(contains(printed, "  bot 2 (current): handshake answered"));
}

TEST_F(InteractiveTest, StopsReadingAtQuit) {
    const std::string printed = session("arrive Ace\n  quit \narrive Bea\n");
    EXPECT_TRUE(contains(printed, "Ace arrives"));
    EXPECT_FALSE(contains(printed, "Bea"));
}

// Every verb the language carries out is listed by `help`, on the line `help VERB` gives.
TEST_F(InteractiveTest, HelpListsEveryVerbOnTheLineItsOwnHelpGives) {
    tarnhost::Session looking(module.talk());
    const std::vector<std::string> listed = tarnhost::perform(looking, "help").output;
    std::size_t verbs = 0;
    for (const std::string& word : tarnhost::languageWords()) {
        std::vector<std::string> own;
        try {
            own = tarnhost::perform(looking, "help " + word).output;
        } catch (const tarnhost::ScenarioError&) {
            continue; // a keyword or a value, not a verb
        }
        verbs += word == "events" ? 0u : 1u;
        EXPECT_TRUE(word == "events" ||
                    std::find(listed.begin(), listed.end(), own.back()) != listed.end())
            << word;
    }
    EXPECT_EQ(verbs, 27u);
}

TEST_F(InteractiveTest, RecordsWhatWasTypedAsAScenarioThatPassesItsCheck) {
    options.recordPath = ::testing::TempDir() + "recorded.scn";
    session("# Cid hops and is sent back.\n"
            "player Ace team 3 ship 1\nplayer Cid team 2 ship 1\nflag north team 3\n"
            "dance\narena-enter\nchange Cid team 3\nbot 2\nhelp\nstate\n");
    std::ifstream recorded(options.recordPath);
    std::ostringstream out, errors;
    tarnhost::Session replay(module.talk());
    const tarnhost::PlayReport report = tarnhost::playScenario(
        replay, "recorded.scn", recorded, tarnhost::PlayStyle::Check, out, errors);
    EXPECT_TRUE(report.passed) << out.str() << errors.str();
    // init, the lock (2), the hopper (2) and bot 2's init; help and state are not recorded.
    EXPECT_EQ(report.expectedLines, 6u);
}

// Tab at the end of what was typed: the word under way is completed when one word fits, grown to
// what every fitting word begins with when that is longer, and otherwise the fitting words are
// listed; inside a comment nothing is offered.
TEST(TabCompletionTest, CompletesListsOrLeavesTheWordUnderWayAsItsCompletionsAllow) {
    struct Row {
        const char* typed;
        std::vector<std::string> words;
        std::size_t wordStart;
        const char* replacement;
        std::vector<std::string> listed;
    };
    const Row rows[] = {
        {"arr", {"arena-enter", "arrive"}, 0, "arrive ", {}},
        {"ar",
         {"arena-enter", "arena-leave", "arrive"},
         0,
         "",
         {"arena-enter", "arena-leave", "arrive"}},
        {"event fl", {"event", "flag-drop", "flag-grab"}, 6, "flag-", {}},
        {"command An", {"Ann Lee", "Bea"}, 8, "\"Ann Lee\" ", {}},
        {"command ", {"Ann", "Bea"}, 8, "", {"Ann", "Bea"}},
        {"command A", {"A\"B\\C"}, 8, "\"A\\\"B\\\\C\" ", {}},
        // The beginning two names share ends inside a character: they are listed instead.
        {"command Zo", {"Zo\xC3\xA9", "Zo\xC3\xAB"}, 8, "", {"Zo\xC3\xA9", "Zo\xC3\xAB"}},
        {"arrive Ann # ar", {"arrive"}, 15, "", {}},
    };
    for (const Row& row : rows) {
        const terminal::TabAnswer answer = tarnhost::tabAnswer(row.typed, row.words);
        EXPECT_EQ(answer.wordStart, row.wordStart) << row.typed;
        EXPECT_EQ(answer.replacement, row.replacement) << row.typed;
        EXPECT_EQ(answer.listed, row.listed) << row.typed;
    }
}

} // namespace
