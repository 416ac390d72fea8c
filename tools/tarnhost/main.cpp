// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Module.h"
#include "Tarnhost.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#define isatty _isatty
constexpr bool OnWindows = true;
#else
#include <unistd.h>
constexpr bool OnWindows = false;
#endif

namespace {

namespace fs = std::filesystem;
using tarnhost::shown;

constexpr char Help[] =
    "usage: tarnhost [OPTIONS]                     type scenario lines, each answered at once\n"
    "       tarnhost [OPTIONS] FILE...             play scenarios, print what the plug-in sends\n"
    "       tarnhost [OPTIONS] --check FILE...     play scenarios, print only the differences\n"
    "       tarnhost [OPTIONS] --transcript FILE...  tell scenarios as stories in words\n"
    "A FILE may be a directory (its .scn files, walked in name order) or - (standard input).\n"
    "Without a FILE, tarnhost is interactive on a terminal ('help' there lists the lines of a\n"
    "scenario); otherwise it plays its standard input as it plays a file.\n"
    "  --module PATH   the plug-in to load (default: the module beside tarnhost)\n"
    "  --effects       game-server effects from the first line (the interactive default)\n"
    "  --no-effects    no game-server effects until 'effects on' (the default for files)\n"
    "  --no-init       interactive: deliver no handshake for you\n"
    "  --record FILE   interactive: save what is typed, with what it printed, as a scenario\n"
    "  -i              interactive even when standard input is not a terminal\n"
    "  -h, --help      this help;  --version  the version\n"
    "Exit status: 0 everything printed what the files expect, 1 some line differs or cannot\n"
    "be carried out (or --check found nothing to check), 2 bad usage or unreadable input.\n";

// A mistake on the command line, or input that cannot be read: the message names it.
using UsageError = std::runtime_error;

// The options given, each with its value ("" for a switch), and the files named.
struct Options {
    std::map<std::string, std::string> values;
    std::vector<std::string> files;
    bool has(const char* option) const { return values.count(option) != 0; }
};

// The module beside the real executable, symbolic links resolved, however it was started.
std::string defaultModulePath() {
    fs::path program;
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    program = std::string(path, length < MAX_PATH ? length : 0);
#else
    std::error_code error;
    program = fs::canonical("/proc/self/exe", error);
#endif
    return program.parent_path().append(TARNWICK_MODULE_NAME).string();
}

// Whether `name` matches `pattern`, where '*' stands for any run of characters and '?' for
// one; letter case is ignored, as on Windows.
bool matches(const char* pattern, const char* name) {
    if (*pattern == '*') {
        return matches(pattern + 1, name) || (*name != '\0' && matches(pattern, name + 1));
    }
    return *pattern == '\0' || *name == '\0'
               ? *pattern == *name
               : (*pattern == '?' || std::tolower(static_cast<unsigned char>(*pattern)) ==
                                         std::tolower(static_cast<unsigned char>(*name))) &&
                     matches(pattern + 1, name + 1);
}

// Appends the scenario files a command-line path stands for, in name order: the .scn files
// under a directory; on Windows, the files a last part with '*' or '?' matches; otherwise the
// path itself. Throws when that names no readable file.
void addScenarioFiles(const std::string& path, std::vector<std::string>& files) {
    std::vector<std::string> found;
    std::error_code error;
    const std::size_t slash = path.find_last_of("/\\") + 1;
    if (fs::is_directory(path, error)) {
        for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
            if (entry.path().extension() == ".scn" && !entry.is_directory(error)) {
                found.push_back(entry.path().string());
            }
        }
    } else if (OnWindows && path.find_first_of("*?", slash) != std::string::npos) {
        for (const auto& entry :
             fs::directory_iterator(slash == 0 ? "." : path.substr(0, slash), error)) {
            const std::string name = entry.path().filename().string();
            if (matches(path.c_str() + slash, name.c_str())) {
                found.push_back(path.substr(0, slash) + name);
            }
        }
    } else {
        found.push_back(path);
    }
    std::sort(found.begin(), found.end());
    if (found.empty() && fs::exists(path, error)) {
        throw UsageError("no scenario files in " + shown(path));
    }
    for (const std::string& file : found.empty() ? std::vector{path} : found) {
        errno = 0;
        if (file != "-" && (!fs::exists(file, error) || found.empty())) {
            throw UsageError("no such file: " + shown(file));
        } else if (file != "-" && !std::ifstream(file)) {
            throw UsageError(shown(file) +
                             (errno == EACCES ? ": permission denied" : ": cannot be read"));
        }
        files.push_back(file);
    }
}

// Reads the command line. Prints the help or the version and exits 0 when asked; throws
// UsageError on any mistake.
Options parseOptions(int argumentCount, char** arguments) {
    static const std::set<std::string> switches{"--check",      "--transcript", "--effects",
                                                "--no-effects", "--no-init",    "-i"};
    Options options;
    for (int index = 1; index < argumentCount; ++index) {
        const std::string argument = arguments[index];
        const bool takesValue = argument == "--module" || argument == "--record";
        if (argument == "-h" || argument == "--help" || argument == "--version") {
            std::cout << (argument == "--version" ? "tarnhost " TARNWICK_VERSION "\n" : Help);
            std::exit(0);
        } else if (switches.count(argument) != 0 ||
                   (takesValue && index + 1 < argumentCount && arguments[index + 1][0] != '\0')) {
            options.values[argument] = takesValue ? arguments[++index] : "";
        } else if (takesValue) {
            throw UsageError(argument +
                             (argument == "--module" ? " needs a path" : " needs a file"));
        } else if (argument.size() > 1 && argument[0] == '-') {
            throw UsageError("unknown option " + shown(argument));
        } else {
            options.files.push_back(argument);
        }
    }
    for (const auto& [one, other] :
         {std::pair{"--check", "--transcript"}, {"--effects", "--no-effects"}}) {
        if (options.has(one) && options.has(other)) {
            throw UsageError(std::string(one) + " and " + other + " cannot be combined");
        }
    }
    if (options.has("-i") && !options.files.empty()) {
        throw UsageError("-i plays no files");
    } else if (options.files.empty() && !options.has("-i") && !isatty(STDIN_FILENO)) {
        options.files.push_back("-"); // standard input plays as a file does
    }
    for (const auto& [option, needsFiles] : {std::pair{"--check", true},
                                             {"--transcript", true},
                                             {"--no-init", false},
                                             {"--record", false}}) {
        if (options.has(option) && options.files.empty() == needsFiles) {
            throw UsageError(option + std::string(needsFiles
                                                      ? " needs a FILE, or - for standard input"
                                                      : " applies to interactive mode only"));
        }
    }
    for (const std::string& path : std::exchange(options.files, {})) {
        addScenarioFiles(path, options.files);
    }
    const std::string& module = options.values["--module"];
    options.values["--module"] =
        module.empty() ? defaultModulePath() : fs::absolute(module).string();
    return options;
}

} // namespace

// Plays the files named, each with the module loaded afresh so no bot state carries over, or
// runs the interactive mode; the exit status says how it went (see Help).
int main(int argumentCount, char** arguments) {
    Options options;
    try {
        options = parseOptions(argumentCount, arguments);
    } catch (const std::exception& error) {
        std::cerr << "tarnhost: " << error.what() << "\nTry 'tarnhost --help'.\n";
        return 2;
    }
    const auto style = options.has("--check")        ? tarnhost::PlayStyle::Check
                       : options.has("--transcript") ? tarnhost::PlayStyle::Transcript
                                                     : tarnhost::PlayStyle::Plain;
    int passed = 0, failed = 0;
    for (std::size_t at = 0; at < std::max<std::size_t>(options.files.size(), 1); ++at) {
        hostsim::Module module(options.values["--module"]);
        if (!module.loaded()) {
            std::cerr << "tarnhost: " << shown(module.error()) << "\n";
            return 2;
        }
        tarnhost::Session session(module.talk());
        session.effects =
            options.files.empty() ? !options.has("--no-effects") : options.has("--effects");
        if (options.files.empty()) {
            return tarnhost::runInteractive(session, std::cin, std::cout, std::cerr,
                                            {isatty(STDIN_FILENO) != 0, !options.has("--no-init"),
                                             options.values["--module"],
                                             options.values["--record"]});
        }
        const std::string& path = options.files[at];
        std::ifstream file(path == "-" ? "" : path, std::ios::binary);
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
