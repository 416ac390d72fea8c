// `help`: the verbs by group, one verb, or the event codes, all read from the table of verbs.
#include "Verbs.h"

#include "PrintableText.h"

#include <algorithm>

namespace tarnhost::verbs {

using terminal::quoted;

namespace {

const RecordKind RecordKinds[] = {
    {'P', " @NAME", "a player's address: give @NAME or null"},
    {'F', " %FLAG", "a flag's address: give %FLAG or null"},
    {'C', " null", "a command's address: give null, or use 'command' or 'ask'"},
    {'H', " null", "an address: give null, or use 'init'"},
};

// "  NAME ARGUMENTS   help", the help in column 36, on a line of its own if need be.
void addVerbLines(const Verb& verb, std::vector<std::string>& lines) {
    const std::string head = "  " + std::string(verb.name) + " " + verb.arguments;
    lines.insert(lines.end(), head.size() < 35 ? 0u : 1u, head);
    const std::size_t width = head.size() < 35 ? head.size() : 0;
    lines.push_back(head.substr(0, width) + std::string(36 - width, ' ') + verb.help);
}

const char* const ExpectedLineHelp[] = {
    "In a file, a line starting with '>' states a line that the line above it must print:",
    "  > console: TEXT          the plug-in wrote TEXT to the host's console",
    "  > arena: TEXT            the plug-in said TEXT in public chat",
    "  > to NAME: TEXT          the plug-in said TEXT privately to NAME",
    "  > server: TEXT           what the game server did (with effects on)",
    "  > [bot N] ...            any of these from bot N; bot 1's lines carry no prefix",
    "A line followed by no '>' line prints nothing. '#' starts a comment (narration in a",
    "transcript); quote texts with blanks (\"a b\"); numbers are decimal, 0x-hex or negative.",
    "Above, [x] may be left out, and {x} or {x|y} needs one of them at least.",
};

} // namespace

const RecordKind* recordKind(char kind) {
    const auto found = std::find_if(std::begin(RecordKinds), std::end(RecordKinds),
                                    [kind](const RecordKind& each) { return each.kind == kind; });
    return found == std::end(RecordKinds) ? nullptr : found;
}

Fills showHelp(Session&, const Arguments& arguments, LineResult& result) {
    std::vector<std::string>& lines = result.output;
    const std::string topic = arguments.values.empty() ? "" : arguments[0];
    const Verb* verb = verbNamed(topic);
    if (topic == "events") {
        lines.push_back("Event codes and names for 'event', and the parameters read as records:");
        std::vector<const Verb*> events;
        for (const Verb& each : allVerbs()) {
            if (each.code != NoEvent) {
                events.push_back(&each);
            }
        }
        std::stable_sort(events.begin(), events.end(), [](const Verb* one, const Verb* other) {
            return one->code < other->code;
        });
        for (const Verb* event : events) {
            std::string line = "  " + std::to_string(event->code) + " " + event->name;
            if (event->code == hostsim::CodeFlagGrab || event->code == hostsim::CodeFlagDrop) {
                line += " (flag-" + std::string(event->name) + ")";
            }
            for (std::size_t index = 0; event->reads[index] != '\0'; ++index) {
                if (const RecordKind* record = recordKind(event->reads[index])) {
                    line += " p" + std::to_string(index + 1) + record->written;
                }
            }
            lines.push_back(line);
        }
    } else if (verb != nullptr) {
        addVerbLines(*verb, lines);
    } else if (topic.empty()) {
        const char* headings[] = {"Arena setup, the plug-in is not told:",
                                  "Events delivered to the plug-in:", "Looking:"};
        for (const Group group : {Setup, Event, Looking}) {
            lines.push_back(headings[static_cast<int>(group)]);
            for (const Verb& each : allVerbs()) {
                if (each.group == group) {
                    addVerbLines(each, lines);
                }
            }
        }
        lines.insert(lines.end(), std::begin(ExpectedLineHelp), std::end(ExpectedLineHelp));
    } else {
        std::vector<std::string> topics = verbNames(false);
        topics.push_back("events");
        throw ScenarioError("no help on " + quoted(topic) +
                            didYouMean(topic, topics, " (try 'help')"));
    }
    return {};
}

} // namespace tarnhost::verbs
