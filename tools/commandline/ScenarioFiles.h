// The scenario files a command line names: the files given, the .scn files under a folder
// given, and on Windows the files a wildcard matches, each with the reason it cannot be played.
// A file named whole, a walk and a wildcard ask the system the same questions about a name.
// Every path is UTF-8, on Windows too.
#pragma once

#include "Streams.h"

#include <functional>
#include <istream>
#include <string>
#include <vector>

namespace commandline {

// A scenario file to play, or what stands in its place: why it cannot be played, naming it
// (empty when it is to be tried).
struct ScenarioFile {
    std::string path;
    std::string failure;
    bool operator<(const ScenarioFile& other) const { return path < other.path; }
};

// Appends the scenario files a command-line path stands for, in name order, never none: the .scn
// files under a directory, passing over names that begin with a dot, folders reached through
// links, special files (FIFOs, devices, sockets) and the file standard output writes to; where
// the program expands wildcards, the files a path with '*' or '?' in any of its parts matches;
// otherwise the path itself. What a walk finds but cannot tell or enter, a name the system
// cannot open as it is spelt, a folder without a scenario and a wildcard matching no file are
// appended with their failure.
void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files);

// Runs `read` over the scenario at `path` (one addScenarioFiles gave without a failure), or over
// `standardInput` for "-" (where what `read` leaves unread stays for the next), through a stream
// that throws when a read fails. Returns why it could not be read, naming it: it cannot be opened
// or read, it is the file standard output writes to, or memory ran out; else empty.
std::string readScenarioFile(const std::string& path, DescriptorReader& standardInput,
                             const std::function<void(std::istream&)>& read);

} // namespace commandline
