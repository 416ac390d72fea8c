// The interactive mode, driven through an input stream as a person at a terminal drives it.
#include "Interactive.h"
#include "RealModule.h"

#include <sstream>
#include <string>

namespace {

class InteractiveTest : public tarnhosttest::RealModuleTest {
protected:
    // Runs a session over `typed` and returns everything it printed.
    std::string session(const std::string& typed) {
        std::istringstream in(typed);
        std::ostringstream out;
        EXPECT_EQ(tarnhost::runInteractive(module.talk(), in, out, options), 0);
        return out.str();
    }

    static bool contains(const std::string& printed, const std::string& part) {
        return printed.find(part) != std::string::npos;
    }

    tarnhost::InteractiveOptions options = withoutPrompt();

    static tarnhost::InteractiveOptions withoutPrompt() {
        tarnhost::InteractiveOptions chosen;
        chosen.prompt = false;
        return chosen;
    }
};

TEST_F(InteractiveTest, ConnectsBotOneOnStartAndSaysSo) {
    const std::string printed = session("");
    EXPECT_TRUE(contains(printed, "  the bot connects: the host offers the handshake as version "
                                  "6.5\n      plug-in -> host console: DLL plugin connected.\n"));
    EXPECT_TRUE(contains(printed, "That handshake was 'init', done for you"));
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
                                        "state\n");
    EXPECT_TRUE(contains(printed, "line 2: unknown command 'dance' (try 'help'); nothing "
                                  "changed\n"));
    EXPECT_TRUE(contains(printed, "line 4: bad team 'x' (a whole number from 0 to 65535 "
                                  "expected); nothing changed\n"));
    EXPECT_TRUE(contains(printed, "line 5: unknown player 'Zed' on bot 1 (players: Ace); "
                                  "nothing changed\n"));
    EXPECT_TRUE(contains(printed, "player Ace: team 3, ship 1, ident 0, access 0\n"));
}

TEST_F(InteractiveTest, SendsAHopperBackWithServerEffectsOnByDefault) {
    const std::string printed = session("player Ace team 3 ship 1\n"
                                        "player Cid team 2 ship 1\n"
                                        "flag north team 3\n"
                                        "arena-enter\n"
                                        "change Cid team 3\n"
                                        "state\n");
    EXPECT_TRUE(contains(printed, "game server: every player in the arena reads \"Freq 3 LOCKED "
                                  "-- No freq-hopping.\"\n"));
    EXPECT_TRUE(contains(printed, "      plug-in -> Cid, privately: *setfreq 2\n"
                                  "      game server: moves Cid to team 2\n"
                                  "      host -> plug-in: Cid changes to team 2 (was team 3)\n"));
    EXPECT_TRUE(contains(printed, "player Cid: team 2, ship 1"));
}

TEST_F(InteractiveTest, ConnectsEachNewBotAndKeepsItsArenaApart) {
    options.prompt = true;
    const std::string printed = session("player Ace team 3 ship 1\n"
                                        "flag north team 3\n"
                                        "arena-enter\n"
                                        "bot 2\n"
                                        "player Ace team 2 ship 1\n"
                                        "change Ace team 3\n"
                                        "state\n");
    EXPECT_TRUE(contains(printed, "bot 1> "));
    EXPECT_TRUE(contains(printed, "  switch to bot 2: its own arena, and its own state in the "
                                  "plug-in; tarnhost delivers its handshake (init)\n"
                                  "      plug-in -> host console: DLL plugin connected.\n"));
    EXPECT_TRUE(contains(printed, "bot 2> "));
    EXPECT_TRUE(contains(printed, "  [bot 2] Ace changes to team 3 (was team 2)\n"
                                  "      (the plug-in sends nothing)\n"));
    EXPECT_TRUE(contains(printed, "  bot 1: handshake answered"));
    EXPECT_TRUE(contains(printed, "  bot 2 (current): handshake answered"));
}

TEST_F(InteractiveTest, StopsReadingAtQuit) {
    const std::string printed = session("arrive Ace\n  quit \narrive Bea\n");
    EXPECT_TRUE(contains(printed, "Ace arrives"));
    EXPECT_FALSE(contains(printed, "Bea"));
}

TEST_F(InteractiveTest, ListsTheLanguageOnHelp) {
    const std::string printed = session("help\n");
    for (const char* command : {"  bot HANDLE", "  arrive NAME", "  grab NAME FLAG",
                                "  effects on|off", "  state", "  command NAME WORD"}) {
        EXPECT_TRUE(contains(printed, command)) << command;
    }
}

} // namespace
