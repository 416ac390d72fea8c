// The lines typed at an application's prompt, kept in a file that every session of it shares.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace terminal {

// The history file of `application`, its folder made if need be:
// $XDG_STATE_HOME/APPLICATION/history, else $HOME/.local/state/APPLICATION/history, each taken
// only when it is an absolute path; empty when neither is.
std::string historyPath(const std::string& application);

// The file's last `lines` lines, oldest first, the file cut to them in place when it holds more
// (a symbolic link is written through, never replaced). Empty when the file cannot be read or is
// not a regular file (a FIFO is never waited on); the file is made when missing.
std::vector<std::string> loadHistory(const std::string& path, std::size_t lines);

// Adds `line` to the end of the file, at once and under a lock, so that sessions open together
// keep all their lines and a session that hangs up has lost none. A file that cannot be written,
// or is not a regular file, is let go without a word.
void appendToHistory(const std::string& path, const std::string& line);

} // namespace terminal
