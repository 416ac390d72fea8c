// The scenario language as one table of verbs: each row gives the verb's arguments, its help,
// the event it delivers, how the story tells it and what it does. Parsing, `help` and the
// transcript all read the table, so a new verb is one row and one action.
#include "Verbs.h"

#include "Description.h"
#include "PrintableText.h"

#include <algorithm>

namespace tarnhost {

namespace {

using namespace hostsim;
using terminal::quoted;
using terminal::shown;
using namespace verbs;

// The error for a name the current bot does not know, naming the first ten it knows.
template <typename Records, typename NameOf>
ScenarioError unknown(Session& session, const char* kind, const std::string& name,
                      const Records& known, NameOf nameOf) {
    std::vector<std::string> names;
    for (std::size_t at = 0; at < known.size() && at < 10; ++at) {
        names.push_back(shown(nameOf(*known[at])));
    }
    if (known.size() > 10) {
        names.push_back("... (" + std::to_string(known.size()) + " in all)");
    }
    return ScenarioError("unknown " + std::string(kind) + " " + quoted(name) + " on bot " +
                         std::to_string(session.current) + " (" + kind + "s: " + listText(names) +
                         ")");
}

// The current bot's player or flag of that name; throws, naming known ones, when none.
PlayerRecord& player(Session& session, const std::string& name) {
    const Arena& arena = currentArena(session);
    if (PlayerRecord* found = arena.findPlayer(name)) {
        return *found;
    }
    throw unknown(session, "player", name, arena.players(),
                  [](const PlayerRecord& record) { return record.name(); });
}

FlagRecord& flag(Session& session, const std::string& name) {
    const Arena& arena = currentArena(session);
    if (FlagRecord* found = arena.findFlag(name)) {
        return *found;
    }
    throw unknown(session, "flag", name, arena.flags(),
                  [&arena](const FlagRecord& record) { return arena.flagName(record); });
}

// Throws when a player of the current bot other than `except` holds `ident`.
void expectFreeIdent(Session& session, std::uint32_t ident, const PlayerRecord* except) {
    const PlayerRecord* found = currentArena(session).findPlayerByIdent(ident);
    if (found != nullptr && found != except) {
        throw ScenarioError("ident " + std::to_string(ident) + " is " + shown(found->name()) +
                            "'s already on bot " + std::to_string(session.current));
    }
}

// A player field: its keyword, its range and how it is written (ident goes through the index).
struct Field {
    const char* key;
    std::int64_t lowest, highest;
    void (*write)(PlayerRecord&, std::int64_t);
};
const Field PlayerFields[] = {
    {"team", 0, 65535,
     [](PlayerRecord& record, std::int64_t value) { record.setTeam(std::uint16_t(value)); }},
    {"ship", 0, 255,
     [](PlayerRecord& record, std::int64_t value) { record.setShip(std::uint8_t(value)); }},
    {"ident", 0, 65535, nullptr},
    {"access", INT32_MIN, INT32_MAX,
     [](PlayerRecord& record, std::int64_t value) { record.setAccess(std::int32_t(value)); }},
    {"flags", 0, 65535,
     [](PlayerRecord& record, std::int64_t value) { record.setFlagCount(std::uint16_t(value)); }},
};
using FieldValues = std::vector<std::pair<const Field*, std::int64_t>>;

// The player fields the line names, each number checked, in the table's order.
FieldValues readFields(const Arguments& arguments) {
    FieldValues values;
    for (const Field& field : PlayerFields) {
        if (arguments.has(field.key)) {
            values.emplace_back(&field, parseNumber(arguments.fields.at(field.key), field.lowest,
                                                    field.highest, field.key));
        }
    }
    return values;
}

// Writes the fields into the record, all but ident.
void writeFields(const FieldValues& values, PlayerRecord& record) {
    for (const auto& [field, value] : values) {
        if (field->write != nullptr) {
            field->write(record, value);
        }
    }
}

// A flag's team: a number from 0 to 65534, or "none" for a flag nobody owns. 65535 is refused:
// in the flag's record it says that nobody owns it, which "none" says plainly.
std::uint16_t flagTeam(const std::string& word) {
    return word == "none"
               ? NobodysTeam
               : static_cast<std::uint16_t>(parseNumber(word, 0, NobodysTeam - 1, "flag team"));
}

// `player`, `arrive`: a player in the arena, with the lowest free ident unless one is given;
// refused when the name or ident is taken, the name is too long or every ident is held.
Fills addPlayer(Session& session, const Arguments& arguments, LineResult& result) {
    Arena& arena = currentArena(session);
    const std::string& name = arguments[0];
    const FieldValues values = readFields(arguments);
    if (arena.findPlayer(name) != nullptr) {
        throw ScenarioError("player " + quoted(name) + " is already in the arena of bot " +
                            std::to_string(session.current));
    } else if (name.size() > player_layout::longestName) {
        throw ScenarioError("name longer than " + std::to_string(player_layout::longestName) +
                            " bytes");
    }
    std::uint32_t ident = arena.freeIdent();
    const auto given = std::find_if(values.begin(), values.end(),
                                    [](const auto& each) { return each.first->write == nullptr; });
    if (given != values.end()) { // the ident, read by readFields
        ident = static_cast<std::uint32_t>(given->second);
    } else if (arena.findPlayerByIdent(ident) != nullptr) {
        throw ScenarioError("every ident from 0 to 65535 is held on bot " +
                            std::to_string(session.current) + ": no room for " + quoted(name));
    }
    expectFreeIdent(session, ident, nullptr);
    PlayerRecord& record = arena.addPlayer(name, static_cast<std::uint16_t>(ident), 0, 0);
    writeFields(values, record);
    if (arguments.verb.code != NoEvent) {
        deliver(session, result, arguments.verb.code, record.address());
    }
    return {name, placeText(record) +
                      (record.access() == 0 ? "" : ", access " + std::to_string(record.access()))};
}

// `remove`, `depart`: the player leaves; the flags it carried lie on the field.
Fills removePlayer(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& record = player(session, arguments[0]);
    if (arguments.verb.code != NoEvent) {
        deliver(session, result, arguments.verb.code, record.address());
    }
    Arena& arena = currentArena(session);
    const bool carried = !arena.release(record).empty();
    arena.removePlayer(record);
    return {arguments[0],
            carried ? "; the flags " + arguments[0] + " carried lie on the field" : ""};
}

// The events without parameters.
Fills deliverPlain(Session& session, const Arguments& arguments, LineResult& result) {
    deliver(session, result, arguments.verb.code);
    return {};
}

// `command`, `ask`: a chat command or help request. A word typed as a player types it
// ("!about") is sent without its '!', as the host parses a player's line.
Fills askPlugin(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& asker = player(session, arguments[0]);
    const bool isCommand = arguments.verb.code == CodeCommand;
    const std::string typed = isCommand ? arguments[1] : "help";
    const std::string word = typed.substr(isCommand && typed.rfind('!', 0) == 0 ? 1 : 0);
    const std::size_t restAt = isCommand ? 2 : 1;
    const std::string rest = arguments.values.size() > restAt ? arguments[restAt] : "";
    const CommandRecord command(word, rest);
    deliver(session, result, arguments.verb.code, asker.address(), command.address());
    std::string asked; // the command typed, or the topic of a help request
    if (isCommand) {
        asked = word + (rest.empty() ? "" : " " + rest);
    } else if (!rest.empty()) {
        asked = " on \"" + rest + "\"";
    }
    return {arguments[0], std::to_string(asker.access()), asked};
}

// The event code a word names: a verb that delivers one, flag-grab and flag-drop as the host
// names them, or a number.
std::uint32_t eventCode(const std::string& word) {
    const bool hostName = word == "flag-grab" || word == "flag-drop";
    const Verb* named = verbNamed(hostName ? word.substr(5) : word);
    if (named != nullptr && named->code != NoEvent) {
        return named->code;
    }
    try {
        return static_cast<std::uint32_t>(parseNumber(word, 0, UINT32_MAX, "event code or name"));
    } catch (const ScenarioError&) {
        const std::string suggested = didYouMean(word, verbNames(true), "");
        if (suggested.empty()) {
            throw;
        }
        throw ScenarioError("unknown event " + quoted(word) + suggested);
    }
}

// Parameter `word` of an event, where the plug-in reads `kind` through it ('-' nothing). Where it
// reads a record, only a record of that kind or null is taken: any other number would have it
// read memory that is not a record. Throws naming what the parameter takes.
Word eventParameter(Session& session, const std::string& word, char kind, std::size_t position,
                    std::uint32_t code) {
    constexpr auto widest = std::min<std::uint64_t>(UINTPTR_MAX, INT64_MAX);
    const RecordKind* record = recordKind(kind);
    const char given = word[0] == '@' ? 'P' : word[0] == '%' ? 'F' : '-';
    if (word == "null") {
        return 0;
    } else if (record != nullptr && record->kind != given) {
        throw ScenarioError("p" + std::to_string(position) + " of event " + std::to_string(code) +
                            " is read as " + record->takes);
    } else if (given == 'P') {
        return player(session, word.substr(1)).address();
    } else if (given == 'F') {
        return flag(session, word.substr(1)).address();
    } else if (word[0] == '-') {
        return static_cast<std::uint32_t>(parseNumber(word, INT32_MIN, 0, "parameter"));
    }
    return static_cast<Word>(parseNumber(word, 0, static_cast<std::int64_t>(widest), "parameter"));
}

// `event`: any event by code or name, with up to six parameters.
Fills deliverAnyEvent(Session& session, const Arguments& arguments, LineResult& result) {
    const std::uint32_t code = eventCode(arguments[0]);
    const Verb* event = verbNamed("", code);
    const std::string reads = event != nullptr ? event->reads : "";
    Word p[6] = {};
    std::string given;
    for (std::size_t at = 1; at < arguments.values.size(); ++at) {
        const char kind = at - 1 < reads.size() ? reads[at - 1] : '-';
        p[at - 1] = eventParameter(session, arguments[at], kind, at, code);
        given += (at == 1 ? " with " : " ") + arguments[at];
    }
    deliver(session, result, code, p[0], p[1], p[2], p[3], p[4], p[5]);
    return {std::to_string(code), event != nullptr ? event->name : "unknown to the plug-in", given};
}

// `quit`, `exit`.
Fills quit(Session&, const Arguments&, LineResult& result) {
    result.quits = true;
    return {};
}

constexpr char PlayerArguments[] = "NAME [team N] [ship N] [ident N] [access N] [flags N]";

const Verb Verbs[] = {
    {"bot", "HANDLE", "act on this bot from now on (bot 1 at the start)", Setup, NoEvent,
     "switch to bot {}: its own arena, and its own state in the plug-in",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         session.current =
             static_cast<std::uint32_t>(parseNumber(arguments[0], 0, UINT32_MAX, "handle"));
         currentArena(session);
         return {std::to_string(session.current)};
     }},
    {"player", PlayerArguments, "put a player in the arena (ship 8 spectates)", Setup, NoEvent,
     "{} is in the arena on {} (set up quietly)", addPlayer},
    {"set", "NAME {team N|ship N|ident N|access N|flags N}", "change fields of a player's record",
     Setup, NoEvent, "{}'s record now says {} (changed quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         PlayerRecord& record = player(session, arguments[0]);
         const FieldValues values = readFields(arguments);
         std::vector<std::string> said;
         for (const auto& [field, value] : values) {
             if (field->write == nullptr) { // the ident, filed anew in the arena's index
                 expectFreeIdent(session, static_cast<std::uint32_t>(value), &record);
                 currentArena(session).renumber(record, static_cast<std::uint16_t>(value));
             }
             said.push_back(field->key + (" " + std::to_string(value)));
         }
         writeFields(values, record);
         return {arguments[0], listText(said)};
     }},
    {"remove", "NAME", "take a player off the list", Setup, NoEvent,
     "{} is taken off the host's player list (quietly){}", removePlayer},
    {"flag", "NAME [team N]", "put a flag on the field (team N or none)", Setup, NoEvent,
     "flag {} lies on the field, owned by {}",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         Arena& arena = currentArena(session);
         if (arena.findFlag(arguments[0]) != nullptr) {
             throw ScenarioError("flag " + quoted(arguments[0]) + " already exists on bot " +
                                 std::to_string(session.current));
         }
         const std::uint16_t team =
             flagTeam(arguments.has("team") ? arguments.fields.at("team") : "none");
         arena.addFlag(team, arguments[0]);
         return {arguments[0], ownerText(team)};
     }},
    {"set-flag", "FLAG {team N}", "change a flag's owner (team N or none)", Setup, NoEvent,
     "flag {} now belongs to {} (changed quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         FlagRecord& named = flag(session, arguments[0]);
         named.setTeam(flagTeam(arguments.fields.at("team")));
         return {arguments[0], ownerText(named.team())};
     }},
    {"remove-flag", "FLAG", "take a flag out of the game", Setup, NoEvent,
     "flag {} is taken out of the game (quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         FlagRecord& named = flag(session, arguments[0]);
         Arena& arena = currentArena(session);
         PlayerRecord* carrier = arena.carrierOf(named);
         if (carrier != nullptr && carrier->flagCount() != 0) {
             carrier->setFlagCount(static_cast<std::uint16_t>(carrier->flagCount() - 1));
         }
         arena.removeFlag(named);
         return {arguments[0]};
     }},
    {"effects", "on|off", "the server carries out \"*setfreq N\" and shows \"*arena\" lines", Setup,
     NoEvent, "game-server effects {}",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         if (arguments[0] != "on" && arguments[0] != "off") {
             throw ScenarioError("usage: effects on|off");
         }
         session.effects = arguments[0] == "on";
         return {session.effects
                     ? "on: the server carries out \"*setfreq\" and shows \"*arena\" lines"
                     : "off: lines are only recorded"};
     }},
    {"init", "[MAJOR.MINOR] [no-callback] [no-lists]", "the handshake (version 6.5 by default)",
     Event, CodeInit, "the bot connects: the host offers the handshake as version {}{}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         const std::string version = arguments.values.empty() ? "6.5" : arguments[0];
         const std::size_t dot = std::min(version.find('.'), version.size());
         const auto major = static_cast<std::uint32_t>(
             parseNumber(version.substr(0, dot), 0, 65535, "major version"));
         const auto minor = static_cast<std::uint32_t>(parseNumber(
             version.substr(std::min(dot + 1, version.size())), 0, 65535, "minor version"));
         const bool callback = !arguments.has("no-callback"), lists = !arguments.has("no-lists");
         const HostEvent event =
             session.host.initEvent(session.current, versionWord(major, minor), callback);
         deliver(session, result, CodeInit, event.parameters[0], event.parameters[1],
                 lists ? event.parameters[2] : 0, lists ? event.parameters[3] : 0);
         return {std::to_string(major) + "." + std::to_string(minor),
                 std::string(callback ? "" : ", without a callback") +
                     (lists ? "" : ", without its player and flag lists")};
     },
     "-HHH"},
    {"term", "", "the host disconnects the bot", Event, CodeTerm, nullptr, deliverPlain},
    {"tick", "", "a clock tick", Event, CodeTick, nullptr, deliverPlain},
    {"arena-enter", "", "the bot enters the arena", Event, CodeArenaEnter, nullptr, deliverPlain},
    {"arena-leave", "", "the bot leaves the arena", Event, CodeArenaLeave, nullptr, deliverPlain},
    {"arrive", PlayerArguments, "a player enters the arena", Event, CodePlayerEntering,
     "{} arrives in the arena on {}", addPlayer, "P"},
    {"depart", "NAME", "a player leaves the arena", Event, CodePlayerLeaving,
     "{} leaves the arena{}", removePlayer, "P"},
    {"change", "NAME {team N|ship N}", "a player changes team or ship", Event, CodePlayerChange,
     "{} changes from {} to {}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         PlayerRecord& record = player(session, arguments[0]);
         const FieldValues values = readFields(arguments);
         const std::string before = placeText(record);
         const std::uint16_t team = record.team();
         const std::uint8_t ship = record.ship();
         writeFields(values, record);
         const Fills fills{arguments[0], before, placeText(record)}; // before the server moves
         deliver(session, result, CodePlayerChange, record.address(), team, ship);
         return fills;
     },
     "P"},
    {"grab", "NAME FLAG", "a player picks a flag off the field", Event, CodeFlagGrab,
     "{} (team {}) grabs flag {}, owned by {}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         PlayerRecord& carrier = player(session, arguments[0]);
         FlagRecord& grabbed = flag(session, arguments[1]);
         Arena& arena = currentArena(session);
         if (const PlayerRecord* holder = arena.carrierOf(grabbed)) {
             throw ScenarioError("flag " + quoted(arguments[1]) + " is carried by " +
                                 shown(holder->name()));
         } else if (carrier.flagCount() == 0xFFFF) { // refused rather than wrapped to 0
             throw ScenarioError(quoted(arguments[0]) +
                                 " carries 65535 flags, as many as a count holds");
         }
         const Fills fills{arguments[0], std::to_string(carrier.team()), arguments[1],
                           ownerText(grabbed.team())};
         // The host reports the grab while the flag is still listed; the plug-in leaves it out.
         carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
         deliver(session, result, CodeFlagGrab, carrier.address(), grabbed.address());
         arena.carry(grabbed, carrier);
         return fills;
     },
     "-F"},
    {"drop", "NAME", "a player drops every flag carried", Event, CodeFlagDrop, "{} drops {}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         PlayerRecord& carrier = player(session, arguments[0]);
         Arena& arena = currentArena(session);
         const std::vector<std::string> dropped = flagNames(arena, arena.release(carrier));
         carrier.setFlagCount(0);
         deliver(session, result, CodeFlagDrop);
         if (dropped.empty()) {
             return {arguments[0], "no flag (the host reports a drop all the same)"};
         }
         return {arguments[0], (dropped.size() == 1 ? "flag " : "flags ") + listText(dropped) +
                                   ", now owned by " + ownerText(carrier.team())};
     }},
    {"game-over", "", "the flag game is over", Event, CodeFlagGameOver, nullptr, deliverPlain},
    {"flag-reset", "", "the flags are reset", Event, CodeFlagReset, nullptr, deliverPlain},
    {"command", "NAME WORD [REST]", "a chat command as typed: command Ace !about", Event,
     CodeCommand, "{} (access {}) types the command !{}", askPlugin, "PC"},
    {"ask", "NAME [TOPIC]", "a help request, with a topic or without", Event, CodeHelp,
     "{} (access {}) asks for help{}", askPlugin, "PC"},
    {"event", "CODE [PARAMETER...]", "any event by code or name, up to six parameters", Event,
     NoEvent, "the host sends event {} ({}){}", deliverAnyEvent},
    {"state", "", "every bot's arena as the host sees it", Looking, NoEvent,
     "the arenas, as the host sees them:",
     [](Session& session, const Arguments&, LineResult& result) -> Fills {
         result.output = describe(session.host, session.current);
         return {};
     }},
    {"help", "[VERB]", "the verbs, one verb, or the event codes (help events)", Looking, NoEvent,
     "", showHelp},
    {"quit", "", "end the session", Looking, NoEvent, "", quit},
    {"exit", "", "end the session", Looking, NoEvent, "", quit}};

} // namespace

namespace verbs {

VerbRange allVerbs() {
    return {std::begin(Verbs), std::end(Verbs)};
}

} // namespace verbs

LineResult perform(Session& session, const std::string& line) {
    LineResult result;
    WordReader words(line);
    std::string name;
    if (!words.next(name)) {
        return result;
    }
    const Verb* verb = verbNamed(name);
    if (verb == nullptr) {
        throw ScenarioError("unknown verb " + quoted(name) +
                            didYouMean(name, verbNames(false), " (try 'help')"));
    }
    const Fills fills = verb->act(session, readArguments(*verb, words), result);
    result.acted = verb->group != Looking;
    const bool marked =
        result.acted && session.host.arenas().size() > 1 && verb->name != std::string("bot");
    result.action = marked ? "[bot " + std::to_string(session.current) + "] " : "";
    const std::string story = verb->story != nullptr ? verb->story : verb->help;
    std::size_t at = 0, next = 0; // each "{}" of the story takes the next fill-in
    for (std::size_t mark; (mark = story.find("{}", at)) != std::string::npos; at = mark + 2) {
        // Every verb gives a fill for each "{}" of its story, so the guard is never taken: it
        // keeps a story written wrongly from reading past them.
        const std::string fill = next < fills.size() ? fills[next++] : ""; // GCOVR_EXCL_BR_LINE
        result.action += story.substr(at, mark - at) + fill;
    }
    result.action = shown(result.action + story.substr(at));
    result.story = result.acted ? result.story : result.output;
    for (std::vector<std::string>* lines : {&result.output, &result.story}) {
        std::transform(lines->begin(), lines->end(), lines->begin(),
                       terminal::shownLine); // no raw bytes
    }
    return result;
}

} // namespace tarnhost
