// Telling what a line did, for a reader: the transcript and the interactive mode share it.
#pragma once

#include "Scenario.h"

#include <ostream>
#include <string>

namespace tarnhost {

// How to read a transcript, printed once before it.
extern const char TranscriptLegend[];

// Writes the line's action, then each line the plug-in sent and each thing the server did,
// indented under it; an event the plug-in answered with nothing gets a line saying so. A result
// with no action and no output writes nothing.
void tellResult(const LineResult& result, std::ostream& out);

// Writes one narration line (a comment of the scenario), with a blank line before the first of
// a paragraph; `startsParagraph` says whether the previous line written was not narration.
void tellNarration(const std::string& text, bool startsParagraph, std::ostream& out);

} // namespace tarnhost
