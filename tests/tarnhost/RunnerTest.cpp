// Playing scenario files: plainly, as a check against the expected lines, and as a transcript.
#include "RealModule.h"
#include "Streams.h"
#include "Tarnhost.h"

#include <cerrno>
#include <new>
#include <sstream>
#include <string>

namespace {

struct Played {
    bool passed;
    std::string out;
    std::string errors;
};

class RunnerTest : public tarnhosttest::RealModuleTest {
protected:
    Played play(const std::string& text, tarnhost::PlayStyle style, bool effects = false) {
        std::istringstream in(text);
        std::ostringstream out, errors;
        tarnhost::Session session(module.talk());
        session.effects = effects;
        const bool passed =
            tarnhost::playScenario(session, "story.scn", in, style, out, errors).passed;
        return {passed, out.str(), errors.str()};
    }
};

constexpr char Story[] = "# Team 3 owns the only flag.\n"
                         "# Nobody may hop.\n"
                         "init\n"
                         "> console: DLL plugin connected.\n"
                         "\n"
                         "player Ace team 3 ship 1\n"
                         "flag north team 3\n"
                         "arena-enter\n"
                         "> arena: *arena Freq 3 LOCKED -- No freq-hopping.\n";

TEST_F(RunnerTest, PlainPrintsOnlyWhatWasSent) {
    const Played played = play(Story, tarnhost::PlayStyle::Plain);
    EXPECT_TRUE(played.passed);
    EXPECT_EQ(played.out, "console: DLL plugin connected.\n"
                          "arena: *arena Freq 3 LOCKED -- No freq-hopping.\n");
}

TEST_F(RunnerTest, CheckPassesAFileThatMatchesAndShowsEachDifference) {
    EXPECT_EQ(play(Story, tarnhost::PlayStyle::Check).out, "ok   story.scn\n");

    const Played played = play(Story, tarnhost::PlayStyle::Check, true);
    EXPECT_FALSE(played.passed);
    EXPECT_EQ(played.out, "story.scn:8: after 'arena-enter'\n"
                          "  - arena: *arena Freq 3 LOCKED -- No freq-hopping.\n"
                          "  + arena: *arena Freq 3 LOCKED -- No freq-hopping.\n"
                          "  + server: every player reads \"Freq 3 LOCKED -- No freq-hopping.\"\n"
                          "FAIL story.scn\n");
    // A blank ending a line shows, so the two lines never look alike.
    EXPECT_NE(play("init\n> console: DLL plugin connected. \n", tarnhost::PlayStyle::Check)
                  .out.find("  - console: DLL plugin connected.\\x20\n"
                            "  + console: DLL plugin connected.\n"),
              std::string::npos);
}

TEST_F(RunnerTest, CheckComparesSilentLinesAndExpectationsAfterBlanks) {
    const Played played = play("init\n> console: DLL plugin connected.\ntick\n> console: tock\n",
                               tarnhost::PlayStyle::Check);
    EXPECT_FALSE(played.passed);
    EXPECT_NE(played.out.find("story.scn:3: after 'tick'\n  - console: tock\n"), std::string::npos);
}

TEST_F(RunnerTest, StopsAtTheFirstFailingLineNamingItsNumber) {
    for (tarnhost::PlayStyle style : {tarnhost::PlayStyle::Plain, tarnhost::PlayStyle::Check,
                                      tarnhost::PlayStyle::Transcript}) {
        const Played played = play("init\n\ngrab Ace north\nterm\n", style);
        EXPECT_FALSE(played.passed);
        EXPECT_EQ(played.errors, "story.scn:3: unknown player 'Ace' on bot 1 (players: none)\n");
        EXPECT_EQ(played.out.find("disconnected"), std::string::npos) << "line 4 never ran";
    }
}

TEST_F(RunnerTest, TranscriptNarratesCommentsAndTellsEachLine) {
    const Played played =
        play(std::string(Story) + "> server: every player reads \"Freq 3 LOCKED -- No "
                                  "freq-hopping.\"\n",
             tarnhost::PlayStyle::Transcript, true);
    EXPECT_TRUE(played.passed) << played.out;
    const std::string& out = played.out;
    EXPECT_NE(out.find("\nTeam 3 owns the only flag.\nNobody may hop.\n\n  the bot connects"),
              std::string::npos)
        << "narration lines in a row make one paragraph";
    EXPECT_NE(out.find("  Ace is in the arena on team 3, ship 1 (set up quietly)\n"),
              std::string::npos);
    EXPECT_NE(out.find("  the bot enters the arena\n"
                       "      plug-in -> everybody, public chat: *arena Freq 3 LOCKED -- No "
                       "freq-hopping.\n"
                       "      game server: every player reads \"Freq 3 LOCKED -- "
                       "No freq-hopping.\"\n"),
              std::string::npos);
    EXPECT_EQ(out.find("> arena:"), std::string::npos) << "expected lines are not narrated";
    EXPECT_NE(
        play("# One.\n\n# Two.\n", tarnhost::PlayStyle::Transcript).out.find("One.\n\nTwo.\n"),
        std::string::npos)
        << "a blank line starts a new paragraph";
}

TEST_F(RunnerTest, TranscriptMarksALineThatDiffersFromTheFile) {
    const Played played =
        play("init\n> console: DLL plugin welcomes you.\n", tarnhost::PlayStyle::Transcript);
    EXPECT_FALSE(played.passed);
    EXPECT_NE(played.out.find("      !! story.scn:1: after 'init'\n"
                              "      !!   - console: DLL plugin welcomes you.\n"
                              "      !!   + console: DLL plugin connected.\n"),
              std::string::npos);
}

TEST_F(RunnerTest, SkipsAByteOrderMarkAndReadsCarriageReturnsBlankLinesAndIndentedLines) {
    for (const char* text : {"\xEF\xBB\xBFinit\r\n> console: DLL plugin connected.\r\n",
                             "\n  init\n\t> console: DLL plugin connected.\n"}) {
        const Played played = play(text, tarnhost::PlayStyle::Check);
        EXPECT_TRUE(played.passed) << text << played.out;
    }
}

// A stream that fails as it is read fails the play; it is never taken for a short scenario.
TEST_F(RunnerTest, AStreamThatFailsToBeReadThrowsRatherThanPlaysWhatItGave) {
    std::istream broken(nullptr);
    std::ostringstream out, errors;
    tarnhost::Session session(module.talk());
    std::istringstream bad("init\n");
    bad.setstate(std::ios::badbit);
    for (std::istream* stream : {&broken, static_cast<std::istream*>(&bad)}) {
        EXPECT_THROW(tarnhost::playScenario(session, "story.scn", *stream,
                                            tarnhost::PlayStyle::Check, out, errors),
                     std::ios_base::failure);
    }
}

// What the runners print goes through a keeper of the first write failure's reason: a character
// written alone reaches the stream as text does, and its failure's reason is the one kept.
TEST(FailureKeeperTest, KeepsTheFirstFailedWritesReasonForOneCharacterAsForText) {
    std::ostringstream written;
    {
        commandline::FailureKeeper keeper(written);
        written << "ab" << std::endl;
        EXPECT_EQ(keeper.firstFailure(), 0);
    }
    EXPECT_EQ(written.str(), "ab\n");
    struct Full : std::streambuf {
        int_type overflow(int_type) override {
            errno = ENOSPC;
            return traits_type::eof();
        }
    } full;
    std::ostream to(&full);
    commandline::FailureKeeper keeper(to);
    EXPECT_FALSE(to.put('x'));
    EXPECT_EQ(keeper.firstFailure(), ENOSPC);
    errno = EPIPE;
    to.clear();
    EXPECT_FALSE(to.put('y'));
    EXPECT_EQ(keeper.firstFailure(), ENOSPC) << "the first failure's reason is kept";
}

// The plug-in's frames have no unwind tables: a failure inside the host's callback (memory running
// out while a line is recorded) must reach the runner after `talk` returns, not through it.
TEST_F(RunnerTest, AFailureInsideTheCallbackReachesTheRunnerOnceTalkHasReturned) {
    tarnhost::Session session(module.talk());
    session.host.onSend = [](const hostsim::SentEvent&) { throw std::bad_alloc(); };
    EXPECT_THROW(tarnhost::perform(session, "init"), std::bad_alloc);
    session.host.onSend = nullptr;
    EXPECT_EQ(session.host.log(1).handshakeAnswer, "DLL plugin connected.");
    tarnhost::perform(session, "term");
    EXPECT_EQ(session.host.sent().back().text, "DLL plugin disconnected.");
}

} // namespace
