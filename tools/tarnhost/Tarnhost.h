// tarnhost's scenario language: words and safe text, the session that keeps every bot's arena
// and delivers events, and the runners that play a file or a person's typing.
#pragma once

#include "Host.h"
#include "LineEditor.h"
#include "PrintableText.h"

#include <cstdint>
#include <iosfwd>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarnhost {

// Everything tarnhost prints goes through these (see PrintableText.h).
using terminal::asPrinted;
using terminal::quoted;
using terminal::shown;
using terminal::shownLine;
using terminal::shownPath;

// A line tarnhost cannot carry out; the message names what is wrong.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of `line`, split at blanks; a word in double quotes keeps its blanks, with \" and
// \\ for a quote and a backslash; '#' outside quotes starts a comment. Throws on an unterminated
// quote and on a control byte in a word (a NUL would cut a host record's text short).
std::vector<std::string> splitWords(const std::string& line);
// What Tab completes at the end of `beforeCursor`, the part of a line typed before the cursor:
// the word under way (quoted or not) and each word of `words` it begins, as a line must give it
// to be read back by splitWords (in double quotes when it holds a blank, '#', '"' or '\\').
// Nothing inside a comment.
terminal::Completion completion(const std::string& beforeCursor,
                                const std::vector<std::string>& words);
// A whole number (decimal, 0x-hex, or negative) within [lowest, highest]; throws naming `what`.
std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what);
// The text after `mark` ('>' or '#') and one blank, when that is the line's first non-blank.
bool markedLine(const std::string& line, char mark, std::string& text);

// What one scenario line did: whether it acted (changed an arena or delivered an event, so its
// silence counts), delivered an event or ends the session; the line in words; what the plug-in
// sent and the server did, as expected lines state it (`output`) and as told to a reader.
struct LineResult {
    bool acted = false, delivered = false, quits = false;
    std::string action;
    std::vector<std::string> output, story;
};

// The host with every bot's arena, the bot lines act on, whether the game server's effects are on
// (the host takes them from here at each delivery), and the line being collected during a delivery.
struct Session {
    // Delivers to `talk`, handing the plug-in `hostCallback` in the handshake; bot 1, effects off.
    explicit Session(hostsim::EventFunction talk,
                     hostsim::Word hostCallback = hostsim::Host::recordingCallback());
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    hostsim::Host host;
    std::uint32_t current = 1;
    bool effects = false;
    LineResult* collecting = nullptr;
};

// Carries out one line; one that cannot be carried out throws and changes nothing. An unknown
// verb's message names the nearest verb, if one is near.
LineResult perform(Session& session, const std::string& line);
// What Tab completes: verbs, keywords, `events`, and the current bot's player and flag names.
std::vector<std::string> wordsToComplete(Session& session);
// The current bot's arena, made empty on first use.
hostsim::Arena& currentArena(Session& session);
// Delivers an event to the current bot and collects every line sent, and what the server did,
// into `result`.
void deliver(Session& session, LineResult& result, std::uint32_t code, hostsim::Word p1 = 0,
             hostsim::Word p2 = 0, hostsim::Word p3 = 0, hostsim::Word p4 = 0, hostsim::Word p5 = 0,
             hostsim::Word p6 = 0);

// Plain prints the short form of what each line set off, differences on the error stream;
// Check prints the differences, then "ok   NAME" or "FAIL NAME"; Transcript tells comments as
// narration and each line in words, marking differences in place.
enum class PlayStyle { Plain, Check, Transcript };

// Whether a play passed, or was refused naming a line (one that cannot be carried out, or an
// expected line that follows none); the expected lines the file states, and those compared.
struct PlayReport {
    bool passed = false, refused = false;
    std::size_t expectedLines = 0, comparedLines = 0;
};

// Plays the scenario in `in`, named `name` in messages. In every style each line that acts is
// compared with the expected lines ('>') below it, silence included; a file without expected
// lines passes, except in the check style (nothing to check). A UTF-8 byte-order mark and
// "\r\n" ends are accepted, UTF-16 text is refused; `quit` or `exit` ends the scenario, and what
// follows it is left unread. The scenario is read before it is played, at about a byte of memory
// per byte; a read that fails throws (the stream's own exception when its exceptions include
// badbit, else std::ios_base::failure), and so does a failed allocation (std::bad_alloc).
PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors);

// On a terminal: a prompt, and line editing with history where built in. The handshake is
// delivered to each bot the first time a line selects it, if automatic. What was typed is
// saved with what it printed as expected lines, unless the record path is empty.
struct InteractiveOptions {
    bool terminal = false, automaticInit = true;
    std::string modulePath, recordPath;
};

// Answers each line read until `quit`, `exit` or the end, a byte-order mark at the start
// skipped; a line that cannot be carried out gets a message on `errors` naming its number.
// Returns 0; 1 when not on a terminal and a line was refused; 2 when the record cannot be
// written. On leaving, says so when the recording holds nothing for --check to compare.
int runInteractive(Session& session, std::istream& in, std::ostream& out, std::ostream& errors,
                   const InteractiveOptions& options);

} // namespace tarnhost
