// The lines typed at an application's prompt, kept in a file that every session of it shares.
#pragma once

#include <histedit.h>

#include <string>

namespace terminal {

// The history file of `application`, its folder made if need be:
// $XDG_STATE_HOME/APPLICATION/history for an absolute XDG_STATE_HOME (a relative one is ignored),
// else ~/.local/state/APPLICATION/history; empty when HOME is not set either.
std::string historyPath(const std::string& application);

// Keeps at most `lines` lines in `history`, adjacent repeats once, and loads the last of the
// file's, making the file if it is missing; cuts the file to them when it holds more.
void loadHistory(History* history, const std::string& path, int lines);

// Adds `line` to `history` and at once to the end of the file, so that sessions open together
// keep all their lines and a session that hangs up has lost none. A file that cannot be written
// is let go without a word.
void addToHistory(History* history, const std::string& path, const std::string& line);

} // namespace terminal
