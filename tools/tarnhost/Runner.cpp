#include "LineEditor.h"
#include "Tarnhost.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace tarnhost {

namespace {

// The UTF-8 byte-order mark, skipped at the start of input.
constexpr char ByteOrderMark[] = "\xEF\xBB\xBF";

constexpr char TranscriptLegend[] =
    "How to read this: each line in words is something that happens in the arena, told to the\n"
    "plug-in. Under it: the lines the plug-in sent back (\"plug-in -> ...\"), what the game "
    "server\n"
    "did with them (\"game server: ...\") and what the host then told the plug-in (\"host ->\n"
    "plug-in: ...\"). Things done \"quietly\" change the host's lists without telling the "
    "plug-in.\n";

// One line of a scenario and the expected lines below it, shown as output is.
struct Step {
    int number;
    std::string text;
    std::vector<std::string> expected;
};

// A scenario's lines up to its end or its line `quit` or `exit`, each ended by "\n" (a "\r"
// before it and a byte-order mark at the start taken off), kept in one text so that a file costs
// about a byte of memory per byte; the expected lines among them; and, when the file is refused,
// "LINE: why".
struct ScenarioText {
    std::string lines;
    std::size_t expectedLines = 0;
    std::string refusal;
};

// Whether the line is `quit` or `exit` alone, blanks and a comment after it allowed.
bool endsScenario(std::string line) {
    line.erase(std::min(line.find('#'), line.size()));
    line.erase(0, line.find_first_not_of(" \t")).erase(line.find_last_not_of(" \t") + 1);
    return line == "quit" || line == "exit";
}

// Reads a scenario up to its end or its line `quit` or `exit`, leaving what follows unread. It is
// refused when it is UTF-16 text, or for the first expected line that follows no line nor other
// expected line. A read that fails throws (the stream's own exception when its exceptions include
// badbit, else std::ios_base::failure).
ScenarioText readScenario(std::istream& in) {
    ScenarioText text;
    std::string line, rest;
    bool placed = false; // whether an expected line may come next
    for (int number = 1; std::getline(in, line); ++number) {
        if (number == 1 && (line.rfind("\xFF\xFE", 0) == 0 || line.rfind("\xFE\xFF", 0) == 0)) {
            text.refusal = "1: UTF-16 text: save it as UTF-8";
        }
        line.erase(0, number == 1 && line.rfind(ByteOrderMark, 0) == 0 ? 3 : 0);
        line.erase(line.empty() || line.back() != '\r' ? line.size() : line.size() - 1);
        const bool expected = markedLine(line, '>', rest);
        if (expected && !placed && text.refusal.empty()) {
            text.refusal = std::to_string(number) +
                           ": an expected line ('>') must follow the line that prints it";
        }
        text.expectedLines += expected ? 1 : 0;
        placed = expected ? placed
                          : !markedLine(line, '#', rest) &&
                                line.find_first_not_of(" \t") != std::string::npos;
        if (text.refusal.empty()) {
            text.lines.append(line).push_back('\n');
        }
        if (!expected && endsScenario(line)) {
            break;
        }
    }
    if (in.bad()) {
        throw std::ios_base::failure("the scenario cannot be read");
    }
    return text;
}

// The step that starts at `at` in `lines`, numbered `number`, with `at` and `number` moved past
// it; false at the end.
bool nextStep(const std::string& lines, std::size_t& at, int& number, Step& step) {
    const auto lineAt = [&lines](std::size_t from) {
        return lines.substr(from, lines.find('\n', from) - from);
    };
    if (at >= lines.size()) {
        return false;
    }
    step = {number++, lineAt(at), {}};
    std::string expected;
    for (at = lines.find('\n', at) + 1; at < lines.size() && markedLine(lineAt(at), '>', expected);
         at = lines.find('\n', at) + 1, ++number) {
        step.expected.push_back(asPrinted(expected));
    }
    return true;
}

// Writes what a line did for a reader: its action, and indented under it each line the plug-in
// sent and the server did; an event answered with nothing says so.
void tell(const LineResult& result, std::ostream& out) {
    const std::string indent = result.action.empty() ? "  " : "      ";
    out << (result.action.empty() ? "" : "  " + result.action + "\n");
    for (const std::string& line : result.story) {
        out << indent << line << "\n";
    }
    out << (result.delivered && result.story.empty() ? indent + "(the plug-in sends nothing)\n"
                                                     : "");
}

} // namespace

PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors) {
    PlayReport report;
    const std::string shownName = shownPath(name);
    const ScenarioText text = readScenario(in);
    report.expectedLines = text.expectedLines;
    if (!text.refusal.empty()) {
        errors << shownName << ":" << text.refusal << "\n";
        report.refused = true;
    } else if (style == PlayStyle::Transcript) {
        out << "Tarnwick, played by tarnhost from " << shownName << "\n\n" << TranscriptLegend;
    }
    bool differs = false;
    // In a transcript a paragraph of narration stands apart from the actions around it, and a
    // blank line in the file starts a new paragraph.
    bool lastWasNarration = false, blankSince = true;
    Step next;
    std::size_t at = 0;
    for (int number = 1; !report.refused && nextStep(text.lines, at, number, next);) {
        const Step& step = next; // read only from here on
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
            errors << shownName << ":" << step.number << ": " << error.what() << "\n";
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
            if (result.output != step.expected) { // shown where it happens
                differs = true;
                const std::string margin = style == PlayStyle::Transcript ? "      !! " : "";
                std::ostream& shownTo = style == PlayStyle::Plain ? errors : out;
                shownTo << margin << shownName << ":" << step.number << ": after "
                        << quoted(step.text) << "\n";
                for (const std::string& want : step.expected) {
                    shownTo << margin << "  - " << want << "\n";
                }
                for (const std::string& printed : result.output) {
                    shownTo << margin << "  + " << printed << "\n";
                }
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

int runInteractive(Session& session, std::istream& in, std::ostream& out, std::ostream& errors,
                   const InteractiveOptions& options) {
    std::ofstream record;
    // Tells that the recording cannot be written, with the system's reason; the exit status.
    const auto recordFails = [&options, &errors] {
        errors << "tarnhost: write error on " << shownPath(options.recordPath) << ": "
               << std::strerror(errno) << "\n";
        return 2;
    };
    if (!options.recordPath.empty()) {
        record.open(std::filesystem::u8path(options.recordPath), std::ios::binary);
        if (!(record << "# Recorded by tarnhost.\n" << (session.effects ? "effects on\n" : ""))) {
            return recordFails();
        }
    }
    out << "tarnhost: a stand-in bot host and game server, playing "
        << shownPath(options.modulePath)
        << "\nType scenario lines (try 'arrive Ace team 3 ship 1'): 'help' lists them, 'state' "
           "shows the arenas, 'quit' ends.\nGame-server effects are "
        << (session.effects ? "on" : "off")
        << (options.automaticInit ? "; each bot's handshake (init) is done for you.\n" : ".\n");
    std::string line;
    terminal::LineEditor editor("tarnhost", options.terminal && &in == &std::cin, in, out,
                                options.terminal);
    const auto complete = [&session](const std::string& beforeCursor) {
        return completion(beforeCursor, wordsToComplete(session));
    };
    bool refused = false, recordedOutput = false;
    for (int number = 1;; ++number) {
        currentArena(session); // the current bot is known from the start
        const bool handshake =
            options.automaticInit && !session.host.log(session.current).handshakeDelivered;
        number -= handshake ? 1 : 0;
        if (handshake) {
            line = "init";
        } else if (!editor.read("bot " + std::to_string(session.current) + "> ", complete, line)) {
            break;
        }
        line.erase(0, number == 1 && line.rfind(ByteOrderMark, 0) == 0 ? 3 : 0);
        try {
            const LineResult result = perform(session, line);
            if (result.quits) {
                break;
            }
            tell(result, out);
            // Only what tells the story goes into a recording: looking (help, state) changes
            // nothing, and its output would tie the scenario to today's wording.
            std::string comment;
            if (record.is_open() && (result.acted || markedLine(line, '#', comment))) {
                record << line << "\n";
                for (const std::string& printed : result.output) {
                    record << "> " << printed << "\n";
                    recordedOutput = true;
                }
                if (!record.flush()) {
                    return recordFails();
                }
            }
        } catch (const ScenarioError& error) {
            out << std::flush;
            errors << "line " << number << ": " << error.what() << "; nothing changed\n";
            refused = true;
        }
        out << std::flush;
    }
    out << (options.terminal ? "\n" : "");
    if (record.is_open()) {
        if (!recordedOutput) {
            out << "tarnhost: no line printed anything, so " << shownPath(options.recordPath)
                << " has nothing for --check to compare; --check fails it\n";
        }
        record.close();
        if (record.fail()) {
            return recordFails();
        }
    }
    return refused && !options.terminal ? 1 : 0;
}

} // namespace tarnhost
