// What differs between Windows and Linux for a command-line program: its arguments and its own
// path. Every text here is UTF-8.
#pragma once

#include <string>
#include <vector>

namespace commandline {

// The program's arguments, its name first: on Windows read in UTF-16 from the process's command
// line and turned into UTF-8, elsewhere `arguments` as given.
std::vector<std::string> commandLine(int count, char** arguments);
// The real program's path, symbolic links resolved; empty when it cannot be found.
std::string programPath();

} // namespace commandline
