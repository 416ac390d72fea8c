// Playing a scenario (plainly, as a check of its expected lines, or as a transcript), and the
// interactive mode, where each line typed is answered at once.
#pragma once

#include "Session.h"

#include <istream>
#include <ostream>
#include <string>

namespace tarnhost {

enum class PlayStyle {
    // Print the short form of what each line set off; differences go to the error stream.
    Plain,
    // Print only the differences, then "ok   NAME" or "FAIL NAME".
    Check,
    // Tell the story: comments as narration, each line in words with what it set off, and
    // each difference marked where it happens.
    Transcript,
};

struct PlayReport {
    // Every line was carried out and printed what the file expects.
    bool passed = false;
    // The file was refused, naming the line: a line tarnhost cannot carry out, or an expected
    // line that follows no line.
    bool refused = false;
    // The file's expected lines, and how many of them were compared with what was printed.
    std::size_t expectedLines = 0;
    std::size_t comparedLines = 0;
};

// Plays the scenario read from `in`, named `name` in messages, in `session`. Every line that
// changes an arena or delivers an event is compared with the expected lines ('>') below it,
// silence included, in every style; a file without any expected line is told and passes,
// except in the check style, where it fails as having nothing to check. A line that cannot be
// carried out stops the play with "NAME:LINE: message" on `errors`. A UTF-8 byte-order mark
// and "\r\n" line ends are accepted; a line `quit` or `exit` ends the scenario.
PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors);

struct InteractiveOptions {
    // Show a prompt naming the current bot, and edit lines with history where available.
    bool terminal = false;
    // Deliver the handshake to each bot the first time a line selects it, bot 1 at the start.
    bool automaticInit = true;
    // Where the module was loaded from, for the greeting.
    std::string modulePath;
    // Where to save what was typed as a scenario that --check passes; empty for nowhere.
    std::string recordPath;
};

// Reads lines until `quit`, `exit` or the end of input, answering each at once. A line that
// cannot be carried out gets one message naming its number and changes nothing. Returns the
// exit status: 0, or 2 when the record file cannot be written.
int runInteractive(Session& session, std::istream& in, std::ostream& out,
                   const InteractiveOptions& options);

} // namespace tarnhost
