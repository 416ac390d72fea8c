#include "PluginHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The access levels every table below covers, in the order of its reply columns.
constexpr std::int32_t Levels[] = {-1, 0, 1, 2, 3, 12, 13};

constexpr char HelpLine[] = "!about (query me about my function)";
constexpr char PurposeLine[] = "When one team owns all the flags, I disallow freq-hopping.";
constexpr char VersionOpening[] = "[name:tarnwick.dll] [maker:";
constexpr char VersionClosing[] = "] [build:2]";

// One row: the word or topic, and per level of `Levels` the reply expected: '.' none,
// 'H' the help line, 'P' the purpose line, 'V' the version line.
struct Row {
    const char* text;
    const char* replies;
};

class CommandsTest : public harness::PluginTest {
protected:
    void SetUp() override {
        PluginTest::SetUp();
        player = &arena().addPlayer("Asker", 0xFFFF, 0, hostsim::SpectatorShip);
        connect();
    }
    // The one reply to `player`, as a table letter.
    char replyLetter() {
        if (host.sent().empty()) {
            return '.';
        }
        EXPECT_EQ(host.sent().size(), 1u);
        const hostsim::SentEvent& reply = host.sent().front();
        EXPECT_TRUE(reply.isPrivate());
        EXPECT_EQ(reply.target(), 0xFFFFu);
        if (reply.text == HelpLine) {
            return 'H';
        }
        if (reply.text == PurposeLine) {
            return 'P';
        }
        const std::string opening = VersionOpening, closing = VersionClosing;
        if (reply.text.size() > opening.size() + closing.size() &&
            reply.text.compare(0, opening.size(), opening) == 0 &&
            reply.text.compare(reply.text.size() - closing.size(), closing.size(), closing) == 0) {
            return 'V';
        }
        ADD_FAILURE() << "unexpected reply " << reply.text;
        return '?';
    }
    // Delivers `code` for every row at every level of `Levels` and compares the replies with
    // the row; each row's text is the command word when `textIsWord`, the help topic otherwise.
    void checkTable(std::uint32_t code, const std::vector<Row>& rows, bool textIsWord) {
        for (const Row& row : rows) {
            std::string replies;
            for (std::int32_t level : Levels) {
                player->setAccess(level);
                hostsim::CommandRecord command(textIsWord ? row.text : "help",
                                               textIsWord ? "" : row.text);
                host.clearSent();
                deliver(code, player->address(), command.address());
                replies += replyLetter();
            }
            EXPECT_EQ(replies, row.replies) << "'" << row.text << "' at levels -1 0 1 2 3 12 13";
        }
    }

    hostsim::PlayerRecord* player = nullptr;
};

TEST_F(CommandsTest, HelpIsAnsweredByTopicAndAccessLevel) {
    checkTable(hostsim::CodeHelp,
               {
                   {"", ".HH...."},
                   {"about", ".HHHHH."},
                   {"About", ".HHHHH."},
                   {"ABOUT", ".HHHHH."},
                   {"about ", "......."},
                   {" about", "......."},
                   {"abo", "......."},
                   {"aboutx", "......."},
                   {"mod", "......."},
                   {"version", "......."},
               },
               false);
}

TEST_F(CommandsTest, CommandsAreAnsweredByExactWordAndAccessLevel) {
    checkTable(hostsim::CodeCommand,
               {
                   {"about", ".PPPPP."},
                   {"version", "....VV."},
                   {"Version", "......."},
                   {"VERSION", "......."},
                   {"versions", "......."},
                   {"version ", "......."},
                   {"ABOUT", "......."},
                   {"abo", "......."},
                   {"mod", "......."},
                   {"", "......."},
               },
               true);
}

TEST_F(CommandsTest, CommandsAreAnsweredTheSameWhileATeamIsLocked) {
    arena().addFlag(0);
    deliver(hostsim::CodeFlagDrop);
    ASSERT_TRUE(bot().locked);
    checkTable(hostsim::CodeCommand, {{"about", ".PPPPP."}, {"mod", "......."}}, true);
}

TEST_F(CommandsTest, MissingPlayerCommandWordOrRestGetsNoReply) {
    player->setAccess(0);
    hostsim::CommandRecord about("about", "about");
    hostsim::CommandRecord withoutWord("about", "about");
    withoutWord.dropWord();
    hostsim::CommandRecord withoutRest("about", "about");
    withoutRest.dropRest();
    for (std::uint32_t code :
         {std::uint32_t{hostsim::CodeHelp}, std::uint32_t{hostsim::CodeCommand}}) {
        SCOPED_TRACE(code);
        deliver(code, 0, about.address());
        deliver(code, player->address(), 0);
        deliver(code, player->address(), withoutWord.address());
        deliver(code, player->address(), withoutRest.address());
        EXPECT_TRUE(host.sent().empty());
        deliver(code, player->address(), about.address());
        EXPECT_EQ(host.sent().size(), 1u) << "the whole record is answered";
        host.clearSent();
    }
}

} // namespace
