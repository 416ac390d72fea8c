#include "Runner.h"

#include "Scenario.h"
#include "Transcript.h"

namespace tarnhost {

namespace {

// Shows where a line's output differs from the expected lines, in the style's own form.
void reportDifference(const ScenarioLine& line, const std::string& name,
                      const std::vector<std::string>& expected, const std::vector<std::string>& got,
                      PlayStyle style, std::ostream& out) {
    if (style == PlayStyle::Check) {
        out << name << ":" << line.number << ": after '" << line.text << "'\n";
        for (const std::string& want : expected) {
            out << "  - " << want << "\n";
        }
        for (const std::string& printed : got) {
            out << "  + " << printed << "\n";
        }
        return;
    }
    out << "      !! " << name << ":" << line.number << ": the file expects these lines instead:\n";
    for (const std::string& want : expected) {
        out << "      !!   " << want << "\n";
    }
}

} // namespace

std::vector<ScenarioLine> readScenario(std::istream& in) {
    std::vector<ScenarioLine> lines;
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        lines.push_back({number, text});
    }
    return lines;
}

bool playScenario(hostsim::EventFunction talk, const std::string& name,
                  const std::vector<ScenarioLine>& lines, const PlayOptions& options,
                  std::ostream& out, std::ostream& errors) {
    ScenarioSession session(talk);
    session.setServerEffects(options.effects);
    const bool compares = options.style != PlayStyle::Plain;
    if (options.style == PlayStyle::Transcript) {
        out << "Tarnwick, played by tarnhost from " << name << "\n\n" << TranscriptLegend;
    }
    bool passed = true;
    // In a transcript, a paragraph of narration stands apart from the actions around it, and
    // a blank line in the file starts a new paragraph.
    bool lastWasNarration = false, blankSince = true;
    std::size_t at = 0;
    while (at < lines.size()) {
        const ScenarioLine& line = lines[at++];
        std::string text;
        if (options.style == PlayStyle::Transcript &&
            ScenarioSession::isCommentLine(line.text, text)) {
            tellNarration(text, !lastWasNarration || blankSince, out);
            lastWasNarration = true;
            blankSince = false;
            continue;
        }
        LineResult result;
        try {
            result = session.perform(line.text);
        } catch (const ScenarioError& error) {
            errors << name << ":" << line.number << ": " << error.what() << "\n";
            if (options.style == PlayStyle::Check) {
                out << "FAIL " << name << "\n";
            }
            return false;
        }
        std::vector<std::string> expected;
        while (at < lines.size() && ScenarioSession::isExpectation(lines[at].text, text)) {
            expected.push_back(text);
            ++at;
        }
        if (options.style == PlayStyle::Plain) {
            for (const std::string& printed : result.output) {
                out << printed << "\n";
            }
        } else if (options.style == PlayStyle::Transcript) {
            if (result.action.empty() && result.story.empty()) {
                blankSince = true;
            } else {
                if (lastWasNarration) {
                    out << "\n";
                }
                lastWasNarration = false;
                tellResult(result, out);
            }
        }
        const bool checked = result.acted || !expected.empty();
        if (compares && checked && result.output != expected) {
            passed = false;
            reportDifference(line, name, expected, result.output, options.style, out);
        }
    }
    if (options.style == PlayStyle::Check) {
        out << (passed ? "ok   " : "FAIL ") << name << "\n";
    } else if (options.style == PlayStyle::Transcript && !passed) {
        out << "\nSome lines differ from what " << name << " expects (marked !! above).\n";
    }
    return passed;
}

} // namespace tarnhost
