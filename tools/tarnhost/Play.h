// Playing a scenario file: plainly, as a check against its expected lines, or as a story.
#pragma once

#include "Session.h"

#include <cstddef>
#include <iosfwd>
#include <string>

namespace tarnhost {

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
// per byte whatever the shape of its lines; a read that fails throws the stream buffer's own
// exception, and a failed allocation throws std::bad_alloc.
PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors);

} // namespace tarnhost
