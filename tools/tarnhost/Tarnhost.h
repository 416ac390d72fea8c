// tarnhost's scenario language: words and safe text, the session that keeps every bot's arena
// and delivers events, and the runners that play a file or a person's typing.
#pragma once

#include "Host.h"

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace tarnhost {

// A line tarnhost cannot carry out; the message names what is wrong.
struct ScenarioError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The words of `line`, split at blanks; a word in double quotes keeps its blanks, with \" and
// \\ for a quote and a backslash; '#' outside quotes starts a comment. Throws on an unterminated
// quote and on a control byte in a word (a NUL would cut a host record's text short).
std::vector<std::string> splitWords(const std::string& line);
// A whole number (decimal, 0x-hex, or negative) within [lowest, highest]; throws naming `what`.
std::int64_t parseNumber(const std::string& word, std::int64_t lowest, std::int64_t highest,
                         const std::string& what);
// `text` with each control byte and each byte outside valid UTF-8 written as \xNN; `quoted`
// puts that in single quotes.
std::string shown(const std::string& text);
std::string quoted(const std::string& text);
// The texts joined with ", "; "none" when there are none.
std::string listText(const std::vector<std::string>& texts);
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

// A flag known by name; a carried flag is off the host's flag list and names its carrier.
struct NamedFlag {
    std::string name;
    hostsim::FlagRecord* record;
    std::string carrier;
};

// One bot as the host knows it, with its players by name and ident; every ident below
// `lowestFreeIdent` is held, so the search for a free one starts there.
struct Bot {
    hostsim::Arena* arena = nullptr;
    std::unordered_map<std::string, hostsim::PlayerRecord*> players;
    std::unordered_map<std::uint32_t, hostsim::PlayerRecord*> idents;
    std::uint32_t lowestFreeIdent = 0;
    std::vector<NamedFlag> flags;
    bool handshakeDelivered = false;
    std::string handshakeAnswer, lastAnnouncement;
};

// Every bot's arena, the bot lines act on, whether "*setfreq" moves the player and "*arena"
// lines are shown (effects), and the moves and line being collected during a delivery.
struct Session {
    // Delivers to `talk`, handing the plug-in `hostCallback` in the handshake; bot 1, effects off.
    explicit Session(hostsim::EventFunction talk,
                     hostsim::Word hostCallback = hostsim::Host::recordingCallback());
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    hostsim::Host host;
    std::map<std::uint32_t, Bot> bots;
    std::uint32_t current = 1;
    bool effects = false;
    std::deque<hostsim::SentEvent> pendingMoves;
    LineResult* collecting = nullptr;
};

// Carries out one line; one that cannot be carried out throws and changes nothing.
LineResult perform(Session& session, const std::string& line);
// The bot with this handle (the current one without), made empty on first use.
Bot& bot(Session& session, std::uint32_t handle);
Bot& bot(Session& session);
// Delivers an event to the current bot, collects every line sent into `result`, then makes
// the moves asked for.
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
// "\r\n" ends are accepted; `quit` or `exit` ends the scenario.
PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors);

// On a terminal: a prompt, and line editing with history where built in. The handshake is
// delivered to each bot the first time a line selects it, if automatic. What was typed is
// saved with what it printed as expected lines, unless the record path is empty.
struct InteractiveOptions {
    bool terminal = false, automaticInit = true;
    std::string modulePath, recordPath;
};

// Answers each line read until `quit`, `exit` or the end; a line that cannot be carried out
// gets a message naming its number. Returns 0, or 2 when the record cannot be written.
int runInteractive(Session& session, std::istream& in, std::ostream& out,
                   const InteractiveOptions& options);

} // namespace tarnhost
