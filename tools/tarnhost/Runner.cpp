#include "Tarnhost.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#if defined(TARNHOST_LINE_EDITING)
#include <editline/readline.h>
#endif

namespace tarnhost {

namespace {

constexpr char TranscriptLegend[] =
    "How to read this: each line in words is something that happens in the arena and that the\n"
    "host tells the plug-in about. Indented under it are the lines the plug-in sent back through\n"
    "the host (\"plug-in -> ...\"), what the game server did with them (\"game server: ...\")\n"
    "and what the host then told the plug-in (\"host -> plug-in: ...\"). Things done \"quietly\"\n"
    "change the host's lists without telling the plug-in.\n";

// One line of a scenario and the expected lines below it.
struct Step {
    int number;
    std::string text;
    std::vector<std::string> expected;
};

// Reads the steps of a scenario up to its end or its `quit`/`exit`. An expected line must
// follow a line or another expected line: returns the number of one that does not, else 0.
int readSteps(std::istream& in, std::vector<Step>& steps, std::size_t& expectedLines) {
    std::string text, expected, comment;
    for (int number = 1; std::getline(in, text); ++number) {
        text.erase(0, number == 1 && text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
        text.erase(text.empty() || text.back() != '\r' ? text.size() : text.size() - 1);
        const bool placed = !steps.empty() && !markedLine(steps.back().text, '#', comment) &&
                            steps.back().text.find_first_not_of(" \t") != std::string::npos;
        if (markedLine(text, '>', expected) && !placed) {
            return number;
        } else if (markedLine(text, '>', expected)) {
            steps.back().expected.push_back(shown(expected)); // as the output is compared
            ++expectedLines;
        } else {
            steps.push_back({number, text, {}});
            try {
                const std::vector<std::string> words = splitWords(text);
                if (words.size() == 1 && (words[0] == "quit" || words[0] == "exit")) {
                    break;
                }
            } catch (const ScenarioError&) {
            }
        }
    }
    return 0;
}

// Writes what a line did for a reader: its action, and indented under it every line the
// plug-in sent and the server did; an event answered with nothing says so.
void tell(const LineResult& result, std::ostream& out) {
    if (!result.action.empty()) {
        out << "  " << result.action << "\n";
    }
    const char* indent = result.action.empty() ? "  " : "      ";
    for (const std::string& line : result.story) {
        out << indent << line << "\n";
    }
    if (result.delivered && result.story.empty()) {
        out << indent << "(the plug-in sends nothing)\n";
    }
}

// Shows where a line's output differs from its expected lines, each line after `margin`.
void showDifference(const Step& step, const std::string& name, const std::vector<std::string>& got,
                    const char* margin, std::ostream& out) {
    out << margin << name << ":" << step.number << ": after " << quoted(step.text) << "\n";
    for (const std::string& want : step.expected) {
        out << margin << "  - " << want << "\n";
    }
    for (const std::string& printed : got) {
        out << margin << "  + " << printed << "\n";
    }
}

} // namespace

PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors) {
    PlayReport report;
    std::vector<Step> steps;
    const std::string shownName = shown(name);
    if (const int misplaced = readSteps(in, steps, report.expectedLines)) {
        errors << shownName << ":" << misplaced
               << ": an expected line ('>') must follow the line that prints it\n";
        report.refused = true;
        steps.clear();
    } else if (style == PlayStyle::Transcript) {
        out << "Tarnwick, played by tarnhost from " << shownName << "\n\n" << TranscriptLegend;
    }
    bool differs = false;
    // In a transcript a paragraph of narration stands apart from the actions around it, and a
    // blank line in the file starts a new paragraph.
    bool lastWasNarration = false, blankSince = true;
    for (const Step& step : steps) {
        std::string comment;
        if (style == PlayStyle::Transcript && markedLine(step.text, '#', comment)) {
            out << (!lastWasNarration || blankSince ? "\n" : "")
                << shown(comment.substr(0, comment.find_last_not_of(" \t") + 1)) << "\n";
            lastWasNarration = true;
            blankSince = false;
            continue;
        }
        LineResult result;
        try {
            result = perform(session, step.text);
        } catch (const ScenarioError& error) {
            errors << shownName << ":" << step.number << ": " << shown(error.what()) << "\n";
            report.refused = true;
            break;
        }
        for (const std::string& printed :
             style == PlayStyle::Plain ? result.output : std::vector<std::string>()) {
            out << printed << "\n";
        }
        if (style == PlayStyle::Transcript && result.action.empty() && result.story.empty()) {
            blankSince = true;
        } else if (style == PlayStyle::Transcript) {
            out << (lastWasNarration ? "\n" : "");
            lastWasNarration = false;
            tell(result, out);
        }
        if (report.expectedLines != 0 && (result.acted || !step.expected.empty())) {
            report.comparedLines += step.expected.size();
            if (result.output != step.expected) {
                differs = true;
                showDifference(step, shownName, result.output,
                               style == PlayStyle::Transcript ? "      !! " : "",
                               style == PlayStyle::Plain ? errors : out);
            }
        }
    }
    const bool nothingToCheck = report.expectedLines == 0 && !report.refused;
    report.passed = !report.refused && !differs && !(style == PlayStyle::Check && nothingToCheck);
    if (style == PlayStyle::Check) {
        out << (report.passed ? "ok   " : "FAIL ") << shownName
            << (nothingToCheck ? ": nothing to check (no expected lines)" : "") << "\n";
    } else if (style == PlayStyle::Transcript && differs) {
        out << "\nSome lines differ from what " << shownName << " expects (marked !! above).\n";
    }
    return report;
}

namespace {

// Reads one line typed, with the prompt and line editing on a terminal; false at the end.
bool readTyped(const std::string& prompt, std::istream& in, std::ostream& out, bool terminal,
               std::string& line) {
#if defined(TARNHOST_LINE_EDITING)
    if (terminal && &in == &std::cin) {
        out << std::flush;
        char* typed = readline(prompt.c_str());
        if (typed == nullptr) {
            return false;
        }
        line = typed;
        if (!line.empty()) {
            add_history(typed);
        }
        std::free(typed);
        return true;
    }
#endif
    out << (terminal ? prompt : "") << std::flush;
    const bool read = static_cast<bool>(std::getline(in, line));
    line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
    return read;
}

// Writes a line carried out, and what it printed as expected lines, to the record.
void record(std::ofstream& file, const std::string& line, const LineResult& result) {
    file << line << "\n";
    for (const std::string& printed : result.output) {
        file << "> " << printed << "\n";
    }
    file.flush();
}

} // namespace

int runInteractive(Session& session, std::istream& in, std::ostream& out,
                   const InteractiveOptions& options) {
    std::ofstream file;
    if (!options.recordPath.empty()) {
        file.open(options.recordPath, std::ios::binary);
        if (!file) {
            std::cerr << "tarnhost: cannot write " << shown(options.recordPath) << "\n";
            return 2;
        }
        file << "# Recorded by tarnhost.\n" << (session.effects ? "effects on\n" : "");
    }
    out << "tarnhost: a stand-in bot host and game server, playing " << shown(options.modulePath)
        << "\nType scenario lines: 'help' lists them, 'state' shows the arenas, 'quit' ends.\n"
        << "Game-server effects are " << (session.effects ? "on" : "off") << " ('effects "
        << (session.effects ? "off" : "on") << "' to change).\n";
    bool greeted = false;
    std::string line;
    for (int number = 1;; ++number) {
        const bool handshake = options.automaticInit && !bot(session).handshakeDelivered;
        if (handshake) {
            line = "init";
            --number;
        } else if (!readTyped("bot " + std::to_string(session.current) + "> ", in, out,
                              options.terminal, line)) {
            break;
        }
        std::string expected;
        if (markedLine(line, '>', expected)) {
            out << "line " << number << ": expected lines ('>') belong in scenario files\n";
            continue;
        }
        try {
            const LineResult result = perform(session, line);
            if (result.quits) {
                break;
            }
            tell(result, out);
            const std::vector<std::string> words = splitWords(line);
            if (file.is_open() && (words.empty() || words[0] != "help")) {
                record(file, line, result);
            }
        } catch (const ScenarioError& error) {
            out << "line " << number << ": " << shown(error.what()) << "; nothing changed\n";
        }
        if (handshake && !greeted) {
            out << "(That handshake was 'init', done for you. Try: arrive Ace team 3 ship 1)\n";
            greeted = true;
        }
        out << std::flush;
    }
    out << (options.terminal ? "\n" : "");
    return 0;
}

} // namespace tarnhost
