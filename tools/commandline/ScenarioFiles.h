// The scenario files a command line names: the files given, the .scn files under a folder
// given, and on Windows the files a wildcard matches, each with the reason it cannot be read.
// Every path is UTF-8, on Windows too.
#pragma once

#include <string>
#include <system_error>
#include <vector>

namespace commandline {

// A scenario file to play, or the reason it cannot be, found while listing (empty when none).
struct ScenarioFile {
    std::string path;
    std::error_code problem;
    bool operator<(const ScenarioFile& other) const { return path < other.path; }
};

// Why `file` cannot be opened, naming it.
std::string openFailure(const std::string& file, std::error_code problem);

// Appends the scenario files a command-line path stands for, in name order: the .scn files
// under a directory; on Windows, the files (not folders) a last part with '*' or '?' matches;
// otherwise the path itself. A folder found that cannot be read is appended with its problem;
// throws std::runtime_error when a directory or wildcard stands for no file at all.
void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files);

} // namespace commandline
