// The scenario files a command line names: the files given, the .scn files under a folder
// given, and on Windows the files a wildcard matches, each with the reason it cannot be played.
// Every path is UTF-8, on Windows too.
#pragma once

#include "Streams.h"

#include <functional>
#include <istream>
#include <string>
#include <system_error>
#include <vector>

namespace commandline {

// A scenario file to play, or what stands in its place: why it cannot be played, naming it
// (empty when it is to be tried).
struct ScenarioFile {
    std::string path;
    std::string failure;
    bool operator<(const ScenarioFile& other) const { return path < other.path; }
};

// Why `file` cannot be opened, naming it ('' for the empty name).
std::string openFailure(const std::string& file, std::error_code problem);

// Appends the scenario files a command-line path stands for, in name order, never none: the .scn
// files under a directory, passing over names that begin with a dot, folders reached through
// links and special files (FIFOs, devices, sockets); on Windows, the files a path with '*' or
// '?' in any of its parts matches; otherwise the path itself. What a walk finds but cannot tell
// or enter, a folder without a scenario and a wildcard matching no file are appended with their
// failure.
void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files);

// Runs `read` over the scenario at `path`, or over `standardInput` for "-" (where what `read`
// leaves unread stays for the next), through a stream that throws when a read fails. Returns why
// it could not be read, naming it: it cannot be opened or read, or memory ran out; else empty.
std::string readScenarioFile(const std::string& path, DescriptorReader& standardInput,
                             const std::function<void(std::istream&)>& read);

} // namespace commandline
