// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Interactive.h"
#include "Module.h"
#include "Runner.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// The module's file name, with the platform's directory separator in front.
#if defined(_WIN32)
constexpr char ModuleFileName[] = "\\tarnwick.dll";
#else
constexpr char ModuleFileName[] = "/tarnwick.so";
#endif

constexpr char Usage[] =
    "usage: tarnhost [OPTIONS] [-i]               type scenario lines, each answered at once\n"
    "       tarnhost [OPTIONS] FILE               play a scenario, print what the plug-in sends\n"
    "       tarnhost [OPTIONS] --transcript FILE  play a scenario as a story told in words\n"
    "       tarnhost [OPTIONS] --check FILE...    play scenarios, compare with their expected\n"
    "                                             lines, exit 1 on any difference (a directory\n"
    "                                             stands for the .scn files in it)\n"
    "options:\n"
    "  --module PATH  the plug-in to load (default: the module beside tarnhost)\n"
    "  --effects      with a FILE: game-server effects from the first line on\n"
    "  --no-effects   interactive: no game-server effects\n"
    "  --no-init      interactive: no handshake delivered for you\n"
    "Exit status: 0 success, 1 a scenario failed, 2 bad usage or no module.\n";

// The path of this program: the executable's own path on Windows, where argv[0] may be a bare
// name; argv[0] elsewhere.
std::string programPath(const char* argumentZero) {
#if defined(_WIN32)
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        return std::string(path, length);
    }
#endif
    return argumentZero;
}

// The module beside this program, where every build and package puts it.
std::string defaultModulePath(const std::string& program) {
    const std::size_t slash = program.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "." : program.substr(0, slash);
    return directory + ModuleFileName;
}

// Whether standard input is a terminal (a person typing) rather than a pipe or a file.
bool inputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdin)) != 0;
#else
    return isatty(STDIN_FILENO) != 0;
#endif
}

// The paths with each directory replaced by the .scn files in it, in name order.
std::vector<std::string> expandDirectories(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        if (!std::filesystem::is_directory(path, error)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
            if (entry.path().extension() == ".scn") {
                found.push_back(entry.path().string());
            }
        }
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

struct Options {
    std::string modulePath;
    tarnhost::PlayOptions play;
    bool noEffects = false, noInit = false, interactive = false;
    std::vector<std::string> files;
};

// Reads the command line into `options`; false (after printing why) when it is not usable.
bool parseOptions(int argumentCount, char** arguments, Options& options) {
    bool check = false, transcript = false;
    for (int index = 1; index < argumentCount; ++index) {
        const std::string argument = arguments[index];
        if (argument == "--module" && index + 1 < argumentCount) {
            options.modulePath = arguments[++index];
        } else if (argument == "--check") {
            check = true;
        } else if (argument == "--transcript") {
            transcript = true;
        } else if (argument == "--effects") {
            options.play.effects = true;
        } else if (argument == "--no-effects") {
            options.noEffects = true;
        } else if (argument == "--no-init") {
            options.noInit = true;
        } else if (argument == "-i") {
            options.interactive = true;
        } else if (!argument.empty() && argument[0] == '-') {
            std::cerr << "tarnhost: unknown option " << argument << "\n" << Usage;
            return false;
        } else {
            options.files.push_back(argument);
        }
    }
    const bool named = !options.files.empty();
    options.files = expandDirectories(options.files);
    if (named && options.files.empty()) {
        std::cerr << "tarnhost: no .scn files in the directories named\n";
        return false;
    }
    const bool tooManyFiles = !check && options.files.size() > 1;
    const bool modesClash =
        (check && transcript) || (options.interactive && !options.files.empty());
    const bool fileless = (check || transcript) && options.files.empty();
    if (tooManyFiles || modesClash || fileless) {
        std::cerr << Usage;
        return false;
    }
    options.play.style = check        ? tarnhost::PlayStyle::Check
                         : transcript ? tarnhost::PlayStyle::Transcript
                                      : tarnhost::PlayStyle::Plain;
    return true;
}

// Plays one file with a freshly loaded module, so no bot state carries over from another file.
// Returns the exit status for this file.
int playFile(const Options& options, const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        std::cerr << "tarnhost: cannot read " << path << "\n";
        return 1;
    }
    hostsim::Module module(options.modulePath);
    if (!module.loaded()) {
        std::cerr << "tarnhost: " << module.error() << "\n";
        return 2;
    }
    const bool passed = tarnhost::playScenario(module.talk(), path, tarnhost::readScenario(file),
                                               options.play, std::cout, std::cerr);
    return passed ? 0 : 1;
}

} // namespace

// Plays the files named, or runs the interactive mode when none is; the exit status says how
// it went (see Usage).
int main(int argumentCount, char** arguments) {
    for (int index = 1; index < argumentCount; ++index) {
        const std::string argument = arguments[index];
        if (argument == "-h" || argument == "--help") {
            std::cout << Usage;
            return 0;
        }
    }
    Options options;
    if (!parseOptions(argumentCount, arguments, options)) {
        return 2;
    }
    if (options.modulePath.empty()) {
        options.modulePath = defaultModulePath(programPath(arguments[0]));
    }
    if (options.files.empty()) {
        hostsim::Module module(options.modulePath);
        if (!module.loaded()) {
            std::cerr << "tarnhost: " << module.error() << "\n";
            return 2;
        }
        tarnhost::InteractiveOptions interactive;
        interactive.prompt = inputIsTerminal();
        interactive.automaticInit = !options.noInit;
        interactive.effects = !options.noEffects;
        interactive.modulePath = options.modulePath;
        return tarnhost::runInteractive(module.talk(), std::cin, std::cout, interactive);
    }
    int status = 0;
    for (const std::string& path : options.files) {
        const int fileStatus = playFile(options, path);
        status = fileStatus > status ? fileStatus : status;
    }
    return status;
}
