#include "Play.h"

#include "PrintableText.h"
#include "Story.h"
#include "TextLine.h"
#include "Verbs.h"

#include <algorithm>
#include <deque>
#include <ios>
#include <istream>
#include <ostream>

namespace tarnhost {

namespace {

using terminal::shown;
using Text = std::deque<char>; // grows in blocks, never copied whole as it grows

// A scenario's lines up to its end or its line `quit` or `exit`, each ended by "\n" (trimmed as
// TextLine.h says), kept so that a file costs about a byte of memory per byte; the expected lines
// among them; and, when the file is refused, "LINE: why".
struct ScenarioText {
    Text lines;
    std::size_t expectedLines = 0;
    std::string refusal;
};

// The text from `from` to the end of its line.
std::string lineAt(const Text& text, std::size_t from) {
    const auto start = text.begin() + static_cast<std::ptrdiff_t>(from);
    return std::string(start, std::find(start, text.end(), '\n'));
}

// The first byte of the line at `from` that is not a blank; '\n' for a blank line.
char firstNonBlank(const Text& text, std::size_t from) {
    const auto found = std::find_if(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                                    [](char byte) { return byte != ' ' && byte != '\t'; });
    return found == text.end() ? '\n' : *found;
}

// Whether the line is `quit` or `exit` alone, blanks and a comment after it allowed.
bool endsScenario(const Text& text, std::size_t from) {
    if (text.size() - from > 200) { // far longer than any way of writing them
        return false;
    }
    std::string line = lineAt(text, from);
    line.erase(std::min(line.find('#'), line.size()));
    line.erase(0, line.find_first_not_of(" \t")).erase(line.find_last_not_of(" \t") + 1);
    return line == "quit" || line == "exit";
}

// Reads a scenario up to its end or its line `quit` or `exit`, leaving what follows unread. It is
// refused when it is UTF-16 text, or for the first expected line that follows no line nor other
// expected line. A read that fails throws the stream buffer's own exception, and a stream that
// is broken before any read (bad, or with no buffer) throws std::ios_base::failure.
ScenarioText readScenario(std::istream& in) {
    if (in.rdbuf() == nullptr || in.bad()) { // never taken for an empty scenario
        throw std::ios_base::failure("the scenario cannot be read");
    }
    ScenarioText text;
    Text& lines = text.lines;
    bool placed = false; // whether an expected line may come next
    for (int number = 1;; ++number) {
        const std::size_t start = lines.size();
        if (!terminal::readTextLine(in, number == 1, lines)) {
            break;
        }
        const std::string opening(
            lines.begin(), lines.begin() + (number == 1 && start + 2 <= lines.size() ? 2 : 0));
        if (opening == "\xFF\xFE" || opening == "\xFE\xFF") {
            text.refusal = "1: UTF-16 text: save it as UTF-8";
        }
        const char first = firstNonBlank(lines, start);
        const bool expected = first == '>';
        if (expected && !placed && text.refusal.empty()) {
            text.refusal = std::to_string(number) +
                           ": an expected line ('>') must follow the line that prints it";
        }
        text.expectedLines += expected ? 1 : 0;
        placed = expected ? placed : first != '#' && first != '\n';
        const bool ends = !expected && endsScenario(lines, start);
        if (!text.refusal.empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(start), lines.end());
        } else {
            lines.push_back('\n');
        }
        if (ends) {
            break;
        }
    }
    return text;
}

// One line of a scenario, and where the expected lines below it start and how many there are.
struct Step {
    int number = 0;
    std::string text;
    std::size_t expectedAt = 0, expectedCount = 0;
};

// The step that starts at `at` in `lines`, numbered `number`, with `at` and `number` moved past
// it; false at the end.
bool nextStep(const Text& lines, std::size_t& at, int& number, Step& step) {
    if (at >= lines.size()) {
        return false;
    }
    step = {number++, lineAt(lines, at), 0, 0};
    at += step.text.size() + 1;
    for (step.expectedAt = at; at < lines.size() && firstNonBlank(lines, at) == '>'; ++number) {
        at = static_cast<std::size_t>(
                 std::find(lines.begin() + static_cast<std::ptrdiff_t>(at), lines.end(), '\n') -
                 lines.begin()) +
             1;
        ++step.expectedCount;
    }
    return true;
}

// The expected line at `at`, as printed output is, with `at` moved past it.
std::string expectedLine(const Text& lines, std::size_t& at) {
    std::string line = lineAt(lines, at), expected;
    at += line.size() + 1;
    markedLine(line, '>', expected);
    return terminal::asPrinted(expected);
}

// Whether what the line printed is what its expected lines state, one expected line at a time.
bool printedAsExpected(const Text& lines, const Step& step, const LineResult& result) {
    std::size_t at = step.expectedAt;
    return result.output.size() == step.expectedCount &&
           std::all_of(result.output.begin(), result.output.end(), [&](const std::string& printed) {
               return printed == expectedLine(lines, at);
           });
}

} // namespace

PlayReport playScenario(Session& session, const std::string& name, std::istream& in,
                        PlayStyle style, std::ostream& out, std::ostream& errors) {
    PlayReport report;
    const std::string shownName = terminal::shownPath(name);
    const ScenarioText text = readScenario(in);
    report.expectedLines = text.expectedLines;
    if (!text.refusal.empty()) {
        errors << shownName << ":" << text.refusal << "\n";
        report.refused = true;
    } else if (style == PlayStyle::Transcript) {
        tellHeading(shownName, out);
    }
    bool differs = false;
    // In a transcript a paragraph of narration stands apart from the actions around it, and a
    // blank line in the file starts a new paragraph.
    bool lastWasNarration = false, blankSince = true;
    Step step;
    std::size_t at = 0;
    for (int number = 1; !report.refused && nextStep(text.lines, at, number, step);) {
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
        if (report.expectedLines != 0 && (result.acted || step.expectedCount != 0)) {
            report.comparedLines += step.expectedCount;
            if (!printedAsExpected(text.lines, step, result)) { // shown where it happens
                differs = true;
                const std::string margin = style == PlayStyle::Transcript ? "      !! " : "";
                std::ostream& shownTo = style == PlayStyle::Plain ? errors : out;
                shownTo << margin << shownName << ":" << step.number << ": after "
                        << terminal::quoted(step.text) << "\n";
                for (std::size_t index = 0, from = step.expectedAt; index < step.expectedCount;
                     ++index) {
                    shownTo << margin << "  - " << expectedLine(text.lines, from) << "\n";
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
        tellDifferences(shownName, out);
    }
    return report;
}

} // namespace tarnhost
