// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Arguments.h"
#include "Console.h"
#include "Module.h"
#include "Options.h"
#include "PrintableText.h"
#include "ScenarioFiles.h"
#include "Streams.h"
#include "Tarnhost.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using commandline::ScenarioFile;
using terminal::shown;
using terminal::shownPath;

constexpr char Help[] =
    "usage: tarnhost [OPTIONS]                     type scenario lines, each answered at once\n"
    "       tarnhost [OPTIONS] FILE...             play scenarios, print what the plug-in sends\n"
    "       tarnhost [OPTIONS] --check FILE...     play scenarios, print only the differences\n"
    "       tarnhost [OPTIONS] --transcript FILE...  tell scenarios as stories in words\n"
    "A FILE may be a directory (its .scn files, walked in name order) or - (standard input).\n"
    "Without a FILE, tarnhost is interactive on a terminal ('help' there lists the lines of a\n"
    "scenario); otherwise it plays its standard input as it plays a file.\n"
    "  --module PATH   the plug-in to load (default: the one beside tarnhost, else the one in\n"
    "                  " TARNWICK_MODULE_FROM_PROGRAM " from tarnhost's folder, as installed)\n"
    "  --effects       game-server effects from the first line (the interactive default)\n"
    "  --no-effects    no game-server effects until 'effects on' (the default for files)\n"
    "  --no-init       interactive: deliver no handshake for you\n"
    "  --record FILE   interactive: save what is typed, with what it printed, as a scenario\n"
    "  -i              interactive even when standard input is not a terminal\n"
    "  -h, --help      this help;  --version  the version\n"
    "Exit status: 0 everything printed what the files expect, 1 some line differs or cannot\n"
    "be carried out (or --check found nothing to check), 2 bad usage, unreadable input or\n"
    "output that cannot be written.\n" TARNHOST_EDITING_NOTE;

using commandline::UsageError;

// The module beside the real program, as in a build tree or the Windows package; where there is
// none, the one where an installed tree keeps it, found from the program's own folder so that
// the tree can move. The path beside the program when neither is there.
std::string defaultModulePath() {
    const fs::path folder = fs::u8path(commandline::programPath()).parent_path();
    const fs::path beside = folder / TARNWICK_MODULE_NAME;
    const fs::path installed =
        (folder / fs::u8path(TARNWICK_MODULE_FROM_PROGRAM) / TARNWICK_MODULE_NAME)
            .lexically_normal();
    std::error_code ignored;
    const bool useInstalled = !fs::exists(beside, ignored) && fs::exists(installed, ignored);
    return (useInstalled ? installed : beside).u8string();
}

// The options given, and the scenario files their operands name.
struct Options : commandline::GivenOptions {
    std::vector<ScenarioFile> files;
};

const commandline::OptionTable TarnhostOptions{
    {"--check", "--transcript", "--effects", "--no-effects", "--no-init", "-i"},
    {"-h", "--help", "--version"},
    {{"--module", "a path"}, {"--record", "a file"}}};

// Reads the command line and the files it names. Returns at once on --help or --version; throws
// UsageError on a mistake.
Options parseOptions(const std::vector<std::string>& arguments) {
    const commandline::GivenOptions given = commandline::readOptions(arguments, TarnhostOptions);
    if (given.has("-h") || given.has("--help") || given.has("--version")) {
        return {{{{given.has("--version") ? "--version" : "--help", ""}}, {}}, {}};
    }
    Options options{given, {}};
    std::vector<std::string>& paths = options.operands;
    for (const auto& [one, other] :
         {std::pair{"--check", "--transcript"}, {"--effects", "--no-effects"}}) {
        if (options.has(one) && options.has(other)) {
            throw UsageError(std::string(one) + " and " + other + " cannot be combined");
        }
    }
    if (options.has("-i") && !paths.empty()) {
        throw UsageError("-i plays no files");
    } else if (paths.empty() && !options.has("-i") && !isatty(STDIN_FILENO)) {
        paths.push_back("-"); // standard input plays as a file does
    }
    for (const auto& [option, needsFiles] : {std::pair{"--check", true},
                                             {"--transcript", true},
                                             {"--no-init", false},
                                             {"--record", false}}) {
        if (options.has(option) && paths.empty() == needsFiles) {
            throw UsageError(option + std::string(needsFiles
                                                      ? " needs a FILE, or - for standard input"
                                                      : " applies to interactive mode only"));
        }
    }
    for (const std::string& path : paths) {
        commandline::addScenarioFiles(path, options.files);
    }
    const std::string& module = options.values["--module"];
    options.values["--module"] =
        module.empty() ? defaultModulePath() : fs::absolute(fs::u8path(module)).u8string();
    return options;
}

// Plays the files named, each with the module loaded afresh so no bot state carries over, or
// runs the interactive mode, or shows the help or the version; the exit status says how it went
// (see Help). A file that cannot be opened or read fails alone, named, with exit status 2, and
// the others are still played.
int play(Options& options) {
    if (options.has("--help") || options.has("--version")) {
        std::cout << (options.has("--version") ? "tarnhost " TARNWICK_VERSION "\n" : Help);
        return 0;
    }
    const auto style = options.has("--check")        ? tarnhost::PlayStyle::Check
                       : options.has("--transcript") ? tarnhost::PlayStyle::Transcript
                                                     : tarnhost::PlayStyle::Plain;
    commandline::DescriptorReader standardInput(STDIN_FILENO, false);
    int passed = 0, failed = 0;
    bool unreadable = false;
    for (std::size_t at = 0; at < std::max<std::size_t>(options.files.size(), 1); ++at) {
        hostsim::Module module(options.values["--module"]);
        if (!module.loaded()) {
            std::cerr << "tarnhost: " << shownPath(module.error()) << "\n";
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
        const ScenarioFile& scenario = options.files[at];
        bool ok = false;
        const auto playIn = [&](std::istream& in) {
            ok = tarnhost::playScenario(session, scenario.path, in, style, std::cout, std::cerr)
                     .passed;
        };
        const std::string failure =
            !scenario.failure.empty()
                ? scenario.failure
                : commandline::readScenarioFile(scenario.path, standardInput, playIn);
        if (!failure.empty()) {
            std::cerr << "tarnhost: " << failure << "\n";
            std::cout << (style == tarnhost::PlayStyle::Check
                              ? "FAIL " + shownPath(scenario.path) + "\n"
                              : "");
            unreadable = true;
        }
        (ok ? passed : failed) += 1;
    }
    if (style == tarnhost::PlayStyle::Check) {
        std::cout << passed << " passed, " << failed << " failed\n";
    }
    return unreadable ? 2 : failed == 0 ? 0 : 1;
}

} // namespace

// Runs tarnhost; standard output is checked for write errors however the run ends.
int main(int argumentCount, char** arguments) {
    commandline::holdStandardDescriptors();
    terminal::showUtf8OnConsoles();
    commandline::FailureKeeper output(std::cout);
    Options options;
    try {
        options = parseOptions(commandline::commandLine(argumentCount, arguments));
    } catch (const UsageError& error) {
        std::cerr << "tarnhost: " << error.what() << "\nTry 'tarnhost --help'.\n";
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "tarnhost: " << error.what() << "\n";
        return 2;
    }
    return commandline::closeStandardOutput(play(options), output, "tarnhost");
}
