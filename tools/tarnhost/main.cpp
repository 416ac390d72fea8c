// tarnhost: plays scenarios against the plug-in module, or lets a person type them.
#include "Module.h"
#include "PrintableText.h"
#include "ScenarioFiles.h"
#include "Streams.h"
#include "System.h"
#include "Tarnhost.h"

#include <getopt.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace {

using commandline::ScenarioFile;
using terminal::shown;
using terminal::shownPath;

constexpr char Help[] =
    "usage: tarnhost [OPTIONS] [FILE...]\n"
    "Plays scenario files against the plug-in module, printing what it sends; with\n"
    "no FILE, on a terminal, answers each scenario line typed ('help' lists them).\n"
    "A FILE may be a directory (its .scn files, walked in name order) or - (standard\n"
    "input); standard input that is not a terminal is played as a file is.\n"
    "  --check         print only the lines that differ, then \"N passed, M failed\"\n"
    "  --transcript    tell each scenario as a story in words\n"
    "  --module PATH   the plug-in to load (default: the one beside tarnhost, or\n"
    "                  " TARNWICK_MODULE_FROM_PROGRAM " from tarnhost's folder, as installed)\n"
    "  --effects       game-server effects from the first line (interactive default)\n"
    "  --no-effects    no game-server effects until 'effects on' (default for files)\n"
    "  --no-init       interactive: deliver no handshake for you\n"
    "  --record FILE   interactive: save what is typed, with what it printed, as a\n"
    "                  scenario\n"
    "  -i              interactive even when standard input is not a terminal\n"
    "  -h, --help      this help\n"
    "      --version   the version\n"
    "Exit status: 0 everything printed what the files expect; 1 some line differs or\n"
    "cannot be carried out (or --check found nothing to check); 2 bad usage,\n"
    "unreadable input or output that cannot be written.\n" TARNHOST_EDITING_NOTE;

// A mistake on the command line, which the help explains; the message names it.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The module beside the real program, as in a build tree or the Windows package; where there is
// none, the one an installed tree keeps, found from the program's own folder so that the tree can
// move. The path beside the program when neither is there.
std::string defaultModulePath() {
    const std::string beside = platform::besideProgram(TARNWICK_MODULE_NAME);
    const std::string installed =
        platform::besideProgram(TARNWICK_MODULE_FROM_PROGRAM "/" TARNWICK_MODULE_NAME);
    int error = 0;
    const bool useInstalled = platform::kindOf(beside, true, error) != platform::Kind::File &&
                              platform::kindOf(installed, true, error) == platform::Kind::File;
    return useInstalled ? installed : beside;
}

// The command line as read: what was asked, and the scenario files its operands name.
struct Options {
    bool check = false, transcript = false, effects = false, noEffects = false, noInit = false,
         interactive = false, help = false, version = false;
    std::string module, record;
    std::vector<std::string> operands;
    std::vector<ScenarioFile> files;
};

// The long options, each with the letter getopt_long gives for it.
const option LongOptions[] = {
    {"check", no_argument, nullptr, 'c'},        {"transcript", no_argument, nullptr, 't'},
    {"effects", no_argument, nullptr, 'e'},      {"no-effects", no_argument, nullptr, 'E'},
    {"no-init", no_argument, nullptr, 'n'},      {"module", required_argument, nullptr, 'm'},
    {"record", required_argument, nullptr, 'r'}, {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'v'},      {nullptr, 0, nullptr, 0}};

// Why getopt_long refused `argument`: a value missing after an option taking one, an
// abbreviation that fits several options, or an option it does not know.
UsageError refusal(int missing, const std::string& argument) {
    if (missing == 'm' || missing == 'r') {
        return UsageError(missing == 'm' ? "--module needs a path" : "--record needs a file");
    }
    const std::string name = argument.substr(0, argument.find('='));
    const auto fits =
        std::count_if(std::begin(LongOptions), std::end(LongOptions) - 1, [&](const option& known) {
            return name.size() > 2 && std::string("--").append(known.name).rfind(name, 0) == 0;
        });
    return UsageError((fits > 1 ? "ambiguous option " : "unknown option ") + shown(name));
}

// Reads the options of `arguments`, the program's name first, GNU style: abbreviations,
// bundled letters, "--option=value", and "--" ending them. --help and --version end the reading
// and are all that is kept. Throws UsageError on a mistake, an empty value included.
Options readOptions(std::vector<std::string> arguments) {
    Options options;
    for (std::size_t at = 1; at < arguments.size() && arguments[at] != "--"; ++at) {
        if (platform::asksForHelp(arguments[at])) { // GCOVR_EXCL_BR_LINE only Windows' /? asks
            options.help = true;                    // GCOVR_EXCL_LINE
            return options;                         // GCOVR_EXCL_LINE
        }
    }
    std::vector<char*> words;
    for (std::string& argument : arguments) {
        words.push_back(argument.data());
    }
    words.push_back(nullptr);
    opterr = 0;
    optind = 1;
    for (int letter; (letter = getopt_long(static_cast<int>(arguments.size()), words.data(), ":hi",
                                           LongOptions, nullptr)) != -1;) {
        const std::pair<int, bool*> switches[] = {
            {'c', &options.check},     {'t', &options.transcript}, {'e', &options.effects},
            {'E', &options.noEffects}, {'n', &options.noInit},     {'i', &options.interactive},
            {'h', &options.help},      {'v', &options.version}};
        const auto given =
            std::find_if(std::begin(switches), std::end(switches),
                         [letter](const auto& known) { return known.first == letter; });
        if (given != std::end(switches)) {
            *given->second = true;
            if (options.help || options.version) {
                return options;
            }
        } else if ((letter == 'm' || letter == 'r') && *optarg != '\0') {
            (letter == 'm' ? options.module : options.record) = optarg;
        } else { // an empty value, ':' for a missing one, '?' for an option it does not know
            throw refusal(letter == ':' ? optopt : letter,
                          letter == '?' && optopt != 0
                              ? std::string("-") + static_cast<char>(optopt)
                              : std::string(words[static_cast<std::size_t>(optind) - 1]));
        }
    }
    options.operands.assign(words.begin() + optind, words.end() - 1); // options moved before them
    return options;
}

// Reads the command line and the files it names. Returns at once on --help or --version; throws
// UsageError on a mistake.
Options parseOptions(const std::vector<std::string>& arguments) {
    Options options = readOptions(arguments);
    if (options.help || options.version) {
        return options;
    }
    std::vector<std::string>& paths = options.operands;
    if (options.check && options.transcript) {
        throw UsageError("--check and --transcript cannot be combined");
    } else if (options.effects && options.noEffects) {
        throw UsageError("--effects and --no-effects cannot be combined");
    } else if (options.interactive && !paths.empty()) {
        throw UsageError("-i plays no files");
    } else if (paths.empty() && !options.interactive &&
               !platform::isTerminal(platform::Stream::Input)) {
        paths.push_back("-"); // standard input plays as a file does
    }
    for (const auto& [given, option, needsFiles] : {std::tuple{options.check, "--check", true},
                                                    {options.transcript, "--transcript", true},
                                                    {options.noInit, "--no-init", false},
                                                    {!options.record.empty(), "--record", false}}) {
        if (given && paths.empty() == needsFiles) {
            throw UsageError(option + std::string(needsFiles
                                                      ? " needs a FILE, or - for standard input"
                                                      : " applies to interactive mode only"));
        }
    }
    for (const std::string& path : paths) {
        commandline::addScenarioFiles(path, options.files);
    }
    options.module =
        options.module.empty() ? defaultModulePath() : platform::absolutePath(options.module);
    return options;
}

// Plays the files named, or runs the interactive mode, or shows the help or the version; the exit
// status says how it went (see Help). A file that cannot be opened or read fails alone, named,
// with exit status 2, and the others are still played. Each file's bots take handles the module
// has not met (see hostsim::Host::fresh), so none meets a bot an earlier file left.
int play(Options& options) {
    if (options.help || options.version) {
        std::cout << (options.version ? "tarnhost " TARNWICK_VERSION "\n" : Help);
        return 0;
    }
    const auto style = options.check        ? tarnhost::PlayStyle::Check
                       : options.transcript ? tarnhost::PlayStyle::Transcript
                                            : tarnhost::PlayStyle::Plain;
    const int input = platform::descriptorOf(platform::Stream::Input);
    platform::Identity inputFile, recordFile;
    if (!options.record.empty() && platform::identityOf(input, inputFile) &&
        platform::identityOf(options.record, recordFile) && inputFile == recordFile) {
        std::cerr << "tarnhost: " << shownPath(options.record) << ": input file is output file\n";
        return 2; // recording into it would empty the scenario, or grow it without end
    }
    commandline::DescriptorReader standardInput(input, false);
    int passed = 0, failed = 0;
    bool unreadable = false;
    std::optional<hostsim::Module> module;
    for (std::size_t at = 0; at < std::max<std::size_t>(options.files.size(), 1); ++at) {
        if (!module || module->fresh.spent()) {
            module.emplace(options.module); // once the old one is unloaded: it would keep its bots
        }
        if (!module->loaded()) {
            std::cerr << "tarnhost: " << shownPath(module->error()) << "\n";
            return 2;
        }
        tarnhost::Session session(module->talk());
        session.host.fresh = &module->fresh;
        session.effects = options.files.empty() ? !options.noEffects : options.effects;
        if (options.files.empty()) {
            return tarnhost::runInteractive(session, std::cin, std::cout, std::cerr,
                                            {platform::isTerminal(platform::Stream::Input),
                                             !options.noInit, options.module, options.record});
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
    platform::prepareStandardStreams();
    commandline::FailureKeeper output(std::cout);
    Options options;
    try {
        options = parseOptions(platform::commandLine(argumentCount, arguments));
    } catch (const UsageError& error) {
        std::cerr << "tarnhost: " << error.what() << "\nTry 'tarnhost --help'.\n";
        return 2;
    } catch (const std::bad_alloc&) {
        // GCOVR_EXCL_START: memory runs out outside a file's play only as the program starts,
        // which no limit on its memory reaches alone.
        std::cerr << "tarnhost: out of memory\n";
        return 2;
        // GCOVR_EXCL_STOP
    }
    return commandline::closeStandardOutput(play(options), output, "tarnhost");
}
