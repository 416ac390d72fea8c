// Playing a scenario file: plainly, as a check against its expected lines, or as a transcript.
#pragma once

#include "HostEvent.h"

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace tarnhost {

// One line of a scenario file and its number, counted from 1.
struct ScenarioLine {
    int number;
    std::string text;
};

// The lines of a scenario, each without its line end (a "\r\n" end is taken whole).
std::vector<ScenarioLine> readScenario(std::istream& in);

enum class PlayStyle {
    // Print the lines the plug-in sent, in the short form; expected lines are not compared.
    Plain,
    // Compare each line's output with the expected lines below it; print only the differences
    // and a closing "ok" or "FAIL" line.
    Check,
    // Tell the story: comments as narration, each line in words with what it set off;
    // expected lines are compared and a difference is shown where it happens.
    Transcript,
};

struct PlayOptions {
    PlayStyle style = PlayStyle::Plain;
    // Game-server effects from the first line on (a file can still say "effects off").
    bool effects = false;
};

// Plays `lines`, named `name` in messages, against `talk`, writing to `out`. A line that cannot
// be carried out stops the play with "NAME:LINE: message" on `errors`. Returns whether every
// line was carried out and, in the check and transcript styles, printed what was expected.
bool playScenario(hostsim::EventFunction talk, const std::string& name,
                  const std::vector<ScenarioLine>& lines, const PlayOptions& options,
                  std::ostream& out, std::ostream& errors);

} // namespace tarnhost
