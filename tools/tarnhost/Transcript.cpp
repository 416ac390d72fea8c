#include "Transcript.h"

namespace tarnhost {

const char TranscriptLegend[] =
    "How to read this: each line in words is something that happens in the arena and that the\n"
    "host tells the plug-in about. Indented under it are the lines the plug-in sent back through\n"
    "the host (\"plug-in -> ...\"), what the game server did with them (\"game server: ...\")\n"
    "and what the host then told the plug-in (\"host -> plug-in: ...\"). Things done \"quietly\"\n"
    "change the host's lists without telling the plug-in.\n";

void tellResult(const LineResult& result, std::ostream& out) {
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

void tellNarration(const std::string& text, bool startsParagraph, std::ostream& out) {
    if (startsParagraph) {
        out << "\n";
    }
    out << text << "\n";
}

} // namespace tarnhost
