// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Module.h"
#include "Tarnhost.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr bool OnWindows = true;
constexpr char ModuleFileName[] = "tarnwick.dll";
#else
constexpr bool OnWindows = false;
constexpr char ModuleFileName[] = "tarnwick.so";
#endif

constexpr char Help[] =
    "usage: tarnhost [OPTIONS]                     type scenario lines, each answered at once\n"
    "       tarnhost [OPTIONS] FILE...             play scenarios, print what the plug-in sends\n"
    "       tarnhost [OPTIONS] --check FILE...     play scenarios, print only the differences\n"
    "       tarnhost [OPTIONS] --transcript FILE...  tell scenarios as stories in words\n"
    "A FILE may be a directory (its .scn files, walked in name order) or - (standard input).\n"
    "Without a FILE, tarnhost is interactive on a terminal; otherwise it plays its standard\n"
    "input as it plays a file. 'help' inside lists the lines of a scenario.\n"
    "Options:\n"
    "  --module PATH   the plug-in to load (default: the module beside tarnhost)\n"
    "  --effects       game-server effects from the first line (the interactive default)\n"
    "  --no-effects    no game-server effects until 'effects on' (the default for files)\n"
    "  --no-init       interactive: deliver no handshake for you\n"
    "  --record FILE   interactive: save what is typed, with what it printed as expected\n"
    "                  lines, as a scenario that --check passes\n"
    "  -i              interactive even when standard input is not a terminal\n"
    "  -h, --help      this help;  --version  the version\n"
    "Exit status: 0 everything printed what the files expect, 1 some line differs or cannot\n"
    "be carried out (or --check found nothing to check), 2 bad usage or unreadable input.\n";

// A mistake on the command line; the message names it.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string modulePath;
    bool check = false, transcript = false, effects = false, noEffects = false;
    bool noInit = false, interactive = false;
    std::string recordPath;
    std::vector<std::string> files;
};

// The module beside the real executable, symbolic links resolved, however it was started.
std::string defaultModulePath() {
    fs::path program;
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    program = length > 0 && length < MAX_PATH ? fs::path(std::string(path, length)) : fs::path();
#else
    std::error_code error;
    program = fs::canonical("/proc/self/exe", error);
#endif
    return (program.parent_path() / ModuleFileName).string();
}

bool inputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

// Whether `name` matches `pattern`, where '*' stands for any run of characters and '?' for
// one; letter case is ignored, as on Windows.
bool matches(const char* pattern, const char* name) {
    if (*pattern == '*') {
        return matches(pattern + 1, name) || (*name != '\0' && matches(pattern, name + 1));
    }
    if (*pattern == '\0' || *name == '\0') {
        return *pattern == *name;
    }
    return (*pattern == '?' || std::tolower(static_cast<unsigned char>(*pattern)) ==
                                   std::tolower(static_cast<unsigned char>(*name))) &&
           matches(pattern + 1, name + 1);
}

// The files whose names match the wildcards of the path's last part, in name order, each
// written with the path's own directory part; empty when none does.
std::vector<std::string> expandWildcards(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string pattern = path.substr(directory.size());
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory.empty() ? "." : directory, error)) {
        const std::string name = entry.path().filename().string();
        if (matches(pattern.c_str(), name.c_str())) {
            found.push_back(directory + name);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The scenario files the paths name: a directory stands for the .scn files under it, in name
// order, and on Windows a path with '*' or '?' for the files it matches. Throws when a path
// names nothing, cannot be read, or is a directory without scenario files.
std::vector<std::string> scenarioFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        const bool wild = OnWindows && path.find_first_of("*?") != std::string::npos;
        std::vector<std::string> named = wild ? expandWildcards(path) : std::vector{path};
        if (fs::is_directory(path, error)) {
            named.clear();
            for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
                if (entry.path().extension() == ".scn" && !entry.is_directory(error)) {
                    named.push_back(entry.path().string());
                }
            }
            std::sort(named.begin(), named.end());
        }
        if (named.empty()) {
            throw UsageError((wild ? "no such file: " : "no scenario files in ") +
                             tarnhost::shown(path));
        }
        for (const std::string& file : named) {
            errno = 0;
            if (file != "-" && !fs::exists(file, error)) {
                throw UsageError("no such file: " + tarnhost::shown(file));
            } else if (file != "-" && !std::ifstream(file)) {
                throw UsageError(tarnhost::shown(file) +
                                 (errno == EACCES ? ": permission denied" : ": cannot be read"));
            }
            files.push_back(file);
        }
    }
    return files;
}

// Reads the command line. Prints the help or the version and exits 0 when asked; throws
// UsageError on any mistake.
Options parseOptions(int argumentCount, char** arguments) {
    Options options;
    for (int index = 1; index < argumentCount; ++index) {
        const std::string argument = arguments[index];
        bool* flag = argument == "--check"        ? &options.check
                     : argument == "--transcript" ? &options.transcript
                     : argument == "--effects"    ? &options.effects
                     : argument == "--no-effects" ? &options.noEffects
                     : argument == "--no-init"    ? &options.noInit
                     : argument == "-i"           ? &options.interactive
                                                  : nullptr;
        std::string* value = argument == "--module"   ? &options.modulePath
                             : argument == "--record" ? &options.recordPath
                                                      : nullptr;
        if (argument == "-h" || argument == "--help" || argument == "--version") {
            std::cout << (argument == "--version" ? "tarnhost " TARNWICK_VERSION "\n" : Help);
            std::exit(0);
        } else if (flag != nullptr) {
            *flag = true;
        } else if (value != nullptr && index + 1 < argumentCount && arguments[index + 1][0]) {
            *value = arguments[++index];
        } else if (value != nullptr) {
            throw UsageError(argument +
                             (argument == "--module" ? " needs a path" : " needs a file"));
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw UsageError("unknown option " + tarnhost::shown(argument));
        } else {
            options.files.push_back(argument);
        }
    }
    if (options.check && options.transcript) {
        throw UsageError("--check and --transcript cannot be combined");
    }
    if (options.effects && options.noEffects) {
        throw UsageError("--effects and --no-effects cannot be combined");
    }
    if (options.files.empty() && !options.interactive && !inputIsTerminal()) { // play the input
        options.files.push_back("-");
    }
    const bool interactive = options.files.empty() || options.interactive;
    if (interactive && (options.check || options.transcript)) {
        throw UsageError(std::string(options.check ? "--check" : "--transcript") +
                         " needs a FILE, or - for standard input");
    }
    if (!interactive && (options.noInit || !options.recordPath.empty())) {
        throw UsageError(std::string(options.noInit ? "--no-init" : "--record") +
                         " applies to interactive mode only");
    }
    if (options.interactive && !options.files.empty()) {
        throw UsageError("-i plays no files");
    }
    options.files = scenarioFiles(options.files);
    options.modulePath = options.modulePath.empty() ? defaultModulePath()
                                                    : fs::absolute(options.modulePath).string();
    return options;
}

// Loads the module afresh, so no bot state carries over from another file; prints why not.
bool load(hostsim::Module& module) {
    if (!module.loaded()) {
        std::cerr << "tarnhost: " << tarnhost::shown(module.error()) << "\n";
    }
    return module.loaded();
}

} // namespace

// Plays the files named, or runs the interactive mode; the exit status says how it went (see
// Help).
int main(int argumentCount, char** arguments) {
    Options options;
    try {
        options = parseOptions(argumentCount, arguments);
    } catch (const UsageError& error) {
        std::cerr << "tarnhost: " << error.what() << "\nTry 'tarnhost --help'.\n";
        return 2;
    }
    if (options.files.empty()) {
        hostsim::Module module(options.modulePath);
        if (!load(module)) {
            return 2;
        }
        tarnhost::Session session(module.talk());
        session.effects = !options.noEffects;
        tarnhost::InteractiveOptions interactive{inputIsTerminal(), !options.noInit,
                                                 options.modulePath, options.recordPath};
        return tarnhost::runInteractive(session, std::cin, std::cout, interactive);
    }
    const tarnhost::PlayStyle style = options.check        ? tarnhost::PlayStyle::Check
                                      : options.transcript ? tarnhost::PlayStyle::Transcript
                                                           : tarnhost::PlayStyle::Plain;
    int passed = 0, failed = 0;
    for (const std::string& path : options.files) {
        std::ifstream file;
        if (path != "-") {
            file.open(path, std::ios::binary);
        }
        hostsim::Module module(options.modulePath);
        if (!load(module)) {
            return 2;
        }
        tarnhost::Session session(module.talk());
        session.effects = options.effects;
        const bool ok = tarnhost::playScenario(session, path, path == "-" ? std::cin : file, style,
                                               std::cout, std::cerr)
                            .passed;
        (ok ? passed : failed) += 1;
    }
    if (style == tarnhost::PlayStyle::Check) {
        std::cout << passed << " passed, " << failed << " failed\n";
    }
    return failed == 0 ? 0 : 1;
}
