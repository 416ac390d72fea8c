// The interactive session: a person's lines, each answered at once, and recorded if asked, and
// what Tab does there.
#pragma once

#include "Session.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace terminal {
struct TabAnswer;
}

namespace tarnhost {

// On a terminal: a prompt, and line editing with history where built in. The handshake is
// delivered to each bot the first time a line selects it, if automatic. What was typed is
// saved with what it printed as expected lines, unless the record path is empty.
struct InteractiveOptions {
    bool terminal = false, automaticInit = true;
    std::string modulePath, recordPath;
};

// Answers each line read until `quit`, `exit` or the end, a byte-order mark at the start
// skipped; a line that cannot be carried out gets a message on `errors` naming its number.
// Returns 0; 1 when not on a terminal and a line was refused; 2 when the recording cannot be
// written or is removed meanwhile, naming it. On leaving, says so when the recording holds
// nothing for --check to compare.
int runInteractive(Session& session, std::istream& in, std::ostream& out, std::ostream& errors,
                   const InteractiveOptions& options);

// The answer to Tab at the end of `beforeCursor`, the part of a line typed before the cursor.
// The word under way (quoted or not) is replaced by its one completion and a blank, or by the
// longest beginning its completions share (never cut inside a character) when that is longer;
// otherwise its completions are listed. A completion is a word of `words` that the word under
// way begins, as a line must give it (in double quotes when it holds a blank, '#', '"' or '\\').
// Nothing is completed inside a comment.
terminal::TabAnswer tabAnswer(const std::string& beforeCursor,
                              const std::vector<std::string>& words);

} // namespace tarnhost
