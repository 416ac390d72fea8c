#include "Story.h"

#include <ostream>

namespace tarnhost {

namespace {

// A voice's short form and told form; '%' stands for the player addressed. A voice without a
// short form appears in the story only.
struct Wording {
    const char *shortForm, *told;
};
constexpr Wording Voices[] = {
    {"console: ", "plug-in -> host console: "},
    {"arena: ", "plug-in -> everybody, public chat: "},
    {"to %: ", "plug-in -> %, privately: "},
    {"", "plug-in -> host: "},
    {"server: ", "game server: "},
    {nullptr, "host -> plug-in: "},
};

constexpr char TranscriptLegend[] =
    "How to read this: each line in words is something that happens in the arena, told to the\n"
    "plug-in. Under it: the lines the plug-in sent back (\"plug-in -> ...\"), what the game "
    "server\n"
    "did with them (\"game server: ...\") and what the host then told the plug-in (\"host ->\n"
    "plug-in: ...\"). Things done \"quietly\" change the host's lists without telling the "
    "plug-in.\n";

} // namespace

void say(const Session& session, LineResult& result, std::uint32_t handle, Voice voice,
         const std::string& text, const std::string& who) {
    const Wording& wording = Voices[static_cast<int>(voice)];
    const auto form = [&](std::string pattern, std::uint32_t unmarked) {
        const std::size_t mark = pattern.find('%');
        return (handle == unmarked ? "" : "[bot " + std::to_string(handle) + "] ") +
               (mark == std::string::npos ? pattern : pattern.replace(mark, 1, who)) + text;
    };
    if (wording.shortForm != nullptr) {
        result.output.push_back(form(wording.shortForm, 1));
    }
    result.story.push_back(form(wording.told, session.current));
}

void tellHeading(const std::string& shownName, std::ostream& out) {
    out << "Tarnwick, played by tarnhost from " << shownName << "\n\n" << TranscriptLegend;
}

void tell(const LineResult& result, std::ostream& out) {
    const std::string indent = result.action.empty() ? "  " : "      ";
    out << (result.action.empty() ? "" : "  " + result.action + "\n");
    for (const std::string& line : result.story) {
        out << indent << line << "\n";
    }
    out << (result.delivered && result.story.empty() ? indent + "(the plug-in sends nothing)\n"
                                                     : "");
}

void tellDifferences(const std::string& shownName, std::ostream& out) {
    out << "\nSome lines differ from what " << shownName << " expects (marked !! above).\n";
}

void greet(const std::string& shownModule, bool effects, bool automaticInit, std::ostream& out) {
    out << "tarnhost: a stand-in bot host and game server, playing " << shownModule
        << "\nType scenario lines (try 'arrive Ace team 3 ship 1'): 'help' lists them, 'state' "
           "shows the arenas, 'quit' ends.\nGame-server effects are "
        << (effects ? "on" : "off")
        << (automaticInit ? "; each bot's handshake (init) is done for you.\n" : ".\n");
}

} // namespace tarnhost
