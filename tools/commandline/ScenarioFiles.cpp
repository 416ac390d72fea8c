#include "ScenarioFiles.h"

#include "PrintableText.h"
#include "System.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <new>
#include <system_error>

namespace commandline {

namespace {

using platform::Kind;
using terminal::shownPath;

// What the walk and the wildcard pass over: the file standard output writes to, if it is one.
struct OwnOutput {
    platform::Identity identity;
    bool isFile = platform::identityOf(platform::descriptorOf(platform::Stream::Output), identity);
    // Whether `path` names that file.
    bool is(const std::string& path) const {
        platform::Identity other;
        return isFile && platform::identityOf(path, other) && other == identity;
    }
};

// Why `file` cannot be opened, naming it ('' for the empty name), `error` an errno value.
std::string openFailure(const std::string& file, int error) {
    if (error == ENOENT) {
        return "no such file: " + shownPath(file);
    }
    std::string reason = error == EACCES ? "permission denied" : platform::reason(error);
    reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
    return shownPath(file) + ": " + reason;
}

// `name` in `folder`, a separator between them unless the folder ends in one.
std::string joined(const std::string& folder, const std::string& name) {
    const bool separated =
        folder.empty() || folder.find_last_of(platform::separators()) == folder.size() - 1;
    return separated ? folder + name : folder + platform::separators()[0] + name;
}

// Whether the name ends in ".scn", compared as the file system compares names.
bool isScenarioName(const std::string& name) {
    const std::string compared = platform::comparedName(name);
    const std::string extension = platform::comparedName(".scn");
    return compared.size() > extension.size() &&
           compared.compare(compared.size() - extension.size(), extension.size(), extension) == 0;
}

// GCOVR_EXCL_START: the wildcard is expanded only where the system leaves it to the program
// (Windows), whose counts cannot be taken; the win32 leg plays wildcards under wine.
// Whether the UTF-8 `name` matches `pattern`, both as the file system compares names, where '*'
// stands for any run of characters and '?' for one. Only the last star is ever returned to, so
// the time is at most the product of the two lengths.
bool matches(const char* pattern, const char* name) {
    const auto pastCharacter = [](const char* at) { // past the rest of a UTF-8 sequence
        while ((static_cast<unsigned char>(*at) & 0xC0) == 0x80) {
            ++at;
        }
        return at;
    };
    const char *afterStar = nullptr, *retry = nullptr;
    while (*name != '\0') {
        const bool any = *pattern == '?';
        if (*pattern == '*') {
            afterStar = ++pattern;
            retry = name;
        } else if (any || (*pattern != '\0' && *pattern == *name)) {
            ++pattern;
            name = any ? pastCharacter(name + 1) : name + 1;
        } else if (afterStar != nullptr) {
            pattern = afterStar;
            name = retry = pastCharacter(retry + 1);
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

// Appends `path`, a file found by a walk or a wildcard, unless it is what standard output writes
// to: with its failure when the system cannot open it as it is spelt.
void addFound(const std::string& path, const OwnOutput& output, std::vector<ScenarioFile>& found) {
    const std::string failure = platform::nameFailure(path);
    if (!failure.empty() || !output.is(path)) {
        found.push_back({path, failure.empty() ? "" : shownPath(path) + ": " + failure});
    }
}

// Appends the files that `rest` matches under `folder` (empty, or a path that `rest` goes on
// from): a part of `rest` with '*' or '?' matches the names of folders, or of files when it is
// the last part; a part without them is taken as it is. A final path must name a file.
void expand(const std::string& folder, const std::string& rest, const OwnOutput& output,
            std::vector<ScenarioFile>& found) {
    int error = 0;
    const std::size_t wild = rest.find_first_of("*?", platform::prefixLength(folder + rest));
    if (wild == std::string::npos) {
        const Kind kind = platform::kindOf(folder + rest, true, error);
        if (kind != Kind::Folder && kind != Kind::Missing) {
            addFound(folder + rest, output, found);
        }
        return;
    }
    const std::size_t start = rest.find_last_of(platform::separators(), wild) + 1; // npos + 1 is 0
    const std::size_t end = rest.find_first_of(platform::separators(), wild);
    const std::string parent = folder + rest.substr(0, start);
    const std::string pattern = platform::comparedName(rest.substr(start, end - start));
    std::vector<platform::Entry> entries;
    platform::listFolder(parent.empty() ? "." : parent, entries, error);
    for (const platform::Entry& entry : entries) {
        if (!matches(pattern.c_str(), platform::comparedName(entry.name).c_str())) {
            continue;
        }
        const Kind kind = entry.kind == Kind::Link
                              ? platform::kindOf(parent + entry.name, true, error)
                              : entry.kind;
        if (end == std::string::npos && kind != Kind::Folder) {
            addFound(parent + entry.name, output, found);
        } else if (end != std::string::npos && kind == Kind::Folder) {
            expand(parent + entry.name, rest.substr(end), output, found);
        }
    }
}
// GCOVR_EXCL_STOP

// Appends every .scn file under `folder` and every folder that cannot be read, with its
// failure; names beginning with a dot, folders reached through links and special files are
// passed over. An entry whose kind cannot be told (a folder that can be listed but not entered,
// a path too long for the system) is appended with its failure: it may hold scenarios.
void walk(const std::string& folder, const OwnOutput& output, std::vector<ScenarioFile>& found) {
    std::vector<platform::Entry> entries;
    int error = 0;
    const bool listed = platform::listFolder(folder, entries, error);
    for (const platform::Entry& entry : entries) {
        const std::string path = joined(folder, entry.name);
        int linkError = 0;
        if (entry.name[0] == '.') {
            continue;
            // GCOVR_EXCL_START: only a listing without kinds, or Windows, gives an unknown entry.
        } else if (entry.kind == Kind::Unknown) {
            found.push_back({path, openFailure(path, entry.error)});
            // GCOVR_EXCL_STOP
        } else if (entry.kind == Kind::Folder && platform::nameFailure(path).empty()) {
            walk(path, output, found);
            // GCOVR_EXCL_START: only Windows fails a name as it is spelt.
        } else if (entry.kind == Kind::Folder) { // it may hold scenarios: failed by name
            addFound(path, output, found);
            // GCOVR_EXCL_STOP
        } else if (isScenarioName(entry.name)) {
            // What a link leads to: a file whose kind cannot be told is tried as a file.
            const Kind kind =
                entry.kind == Kind::Link ? platform::kindOf(path, true, linkError) : entry.kind;
            if (kind != Kind::Folder && kind != Kind::Special) {
                addFound(path, output, found);
            }
        }
    }
    if (!listed) {
        found.push_back({folder, openFailure(folder, error)});
    }
}

} // namespace

void addScenarioFiles(const std::string& path, std::vector<ScenarioFile>& files) {
    std::vector<ScenarioFile> found;
    std::string failure; // when the path stands for no file
    const OwnOutput output;
    int error = 0;
    // GCOVR_EXCL_START: a wildcard reaches the program only on Windows (see above).
    const bool wildcard =
        platform::expandsWildcards() &&
        path.find_first_of("*?", platform::prefixLength(path)) != std::string::npos;
    if (wildcard) {
        expand("", path, output, found);
        failure = "no such file: " + shownPath(path);
        // GCOVR_EXCL_STOP
        // GCOVR_EXCL_START: only Windows fails a name as it is spelt.
    } else if (!platform::nameFailure(path).empty()) {
        found.push_back({path, shownPath(path) + ": " + platform::nameFailure(path)});
        // GCOVR_EXCL_STOP
    } else if (platform::kindOf(path, true, error) == Kind::Folder) {
        walk(path, output, found);
        failure = "no scenario files in " + shownPath(path);
    } else {
        found.push_back({path, ""});
    }
    if (found.empty()) {
        found.push_back({path, failure});
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
}

std::string readScenarioFile(const std::string& path, DescriptorReader& standardInput,
                             const std::function<void(std::istream&)>& read) {
    const bool named = path != "-";
    int error = 0;
    const int descriptor = named ? platform::openForReading(path, error) : -1;
    if (named && descriptor < 0) {
        return openFailure(path, error);
    }
    DescriptorReader file(descriptor, true);
    const std::string shownName = named ? shownPath(path) : "standard input";
    platform::Identity input, output;
    if (platform::identityOf(named ? descriptor : platform::descriptorOf(platform::Stream::Input),
                             input) &&
        platform::identityOf(platform::descriptorOf(platform::Stream::Output), output) &&
        input == output) {
        return shownName + ": input file is output file";
    }
    std::istream in(named ? &file : &standardInput);
    in.exceptions(std::ios::badbit); // a read that fails throws the reader's reason
    try {
        read(in);
        return "";
    } catch (const std::system_error& failure) {
        return "read error on " + shownName + ": " + platform::reason(failure.code().value());
    } catch (const std::bad_alloc&) {
        return shownName + ": out of memory";
    }
}

} // namespace commandline
