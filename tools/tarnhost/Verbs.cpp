// The scenario language as one table of verbs: each row gives the verb's arguments, its help,
// the event it delivers, how the story tells it and what it does. Parsing, `help` and the
// transcript all read the table, so a new verb is one row and one action.
#include "Tarnhost.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace tarnhost {

namespace {

using namespace hostsim;
using Fills = std::vector<std::string>;
constexpr std::uint32_t NoEvent = 0xFFFFFFFF;
enum Group { Setup, Event, Looking }; // where help lists a verb
struct Verb;

// A line's words as its verb's arguments describe them: the values in order, and each keyword
// given with its value ("" for a switch).
struct Arguments {
    const Verb& verb;
    std::vector<std::string> values;
    std::map<std::string, std::string> fields;
    bool has(const std::string& key) const { return fields.count(key) != 0; }
    const std::string& operator[](std::size_t index) const { return values[index]; }
};

// What a verb does: checks every word it reads, throwing before it changes anything, then
// acts, and returns the fill-ins of the verb's story.
using Action = Fills (*)(Session&, const Arguments&, LineResult&);

// A verb: its name, its arguments (VALUE must be given and [VALUE] may be, in order; then [key N]
// and [switch] in any order; [VALUE...] takes any number of values), its help, where help lists
// it, the event it delivers, its story (the line in words, "{}" for each fill-in of the action;
// null when the help says it), its action, and what the plug-in reads through each parameter of
// its event: '-' nothing, 'P' a player, 'F' a flag, 'C' a command, 'H' a host list or callback.
struct Verb {
    const char *name, *arguments, *help;
    Group group;
    std::uint32_t code;
    const char* story;
    Action act;
    const char* reads = "";
};

const Verb* verbNamed(const std::string& name, std::uint32_t code = NoEvent);

// "team 3", or "nobody" for a flag nobody owns.
std::string flagOwnerText(std::uint16_t team) {
    return team == NobodysTeam ? std::string("nobody") : "team " + std::to_string(team);
}

// "team 3, ship 1" or "team 3, spectating".
std::string placeText(const PlayerRecord& record) {
    return "team " + std::to_string(record.team()) + ", " +
           (record.ship() == SpectatorShip ? std::string("spectating")
                                           : "ship " + std::to_string(record.ship()));
}

// "1 player", "2 players".
std::string countText(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// `state`: every bot's arena as the host sees it, a header per bot, a line per player and flag.
std::vector<std::string> describeState(Session& session) {
    std::vector<std::string> lines;
    for (auto& [handle, known] : session.bots) {
        lines.push_back("bot " + std::to_string(handle) +
                        (handle == session.current ? " (current)" : "") + ": " +
                        (!known.handshakeDelivered ? "no handshake yet"
                         : known.handshakeAnswer.empty()
                             ? "handshake delivered, no answer"
                             : "handshake answered \"" + known.handshakeAnswer + "\"") +
                        "; " + countText(known.arena->players().size(), "player") + ", " +
                        countText(known.flags.size(), "flag"));
        for (const auto& record : known.arena->players()) {
            std::vector<std::string> carried;
            for (const NamedFlag& held : known.flags) {
                if (held.carrier == record->name()) {
                    carried.push_back(held.name);
                }
            }
            const std::string count = std::to_string(record->flagCount());
            lines.push_back("  player " + record->name() + ": " + placeText(*record) + ", ident " +
                            std::to_string(record->ident()) + ", access " +
                            std::to_string(record->access()) +
                            (!carried.empty()           ? ", carries " + listText(carried)
                             : record->flagCount() != 0 ? ", carries " + count + " flag(s)"
                                                        : ""));
        }
        for (const NamedFlag& held : known.flags) {
            const PlayerRecord* carrier =
                held.carrier.empty() ? nullptr : known.players.at(held.carrier);
            lines.push_back("  flag " + held.name + ": " +
                            (carrier != nullptr
                                 ? "carried by " + carrier->name() + " (team " +
                                       std::to_string(carrier->team()) + ")"
                                 : "on the field, owned by " + flagOwnerText(held.record->team())));
        }
        if (!known.lastAnnouncement.empty()) {
            lines.push_back("  last public line: " + known.lastAnnouncement +
                            " (a lock lifts without a word, so it may be over)");
        }
    }
    return lines;
}

// The error for a name the current bot does not know, listing the names it knows.
ScenarioError unknown(Session& session, const char* kind, const std::string& name,
                      const std::vector<std::string>& known) {
    return ScenarioError("unknown " + std::string(kind) + " " + quoted(name) + " on bot " +
                         std::to_string(session.current) + " (" + kind + "s: " + listText(known) +
                         ")");
}

// The current bot's player or flag of that name; throws, naming the known ones, when none.
PlayerRecord& player(Session& session, const std::string& name) {
    const Bot& current = bot(session);
    const auto found = current.players.find(name);
    if (found != current.players.end()) {
        return *found->second;
    }
    std::vector<std::string> names;
    for (const auto& record : current.arena->players()) {
        names.push_back(shown(record->name()));
    }
    throw unknown(session, "player", name, names);
}

NamedFlag& flag(Session& session, const std::string& name) {
    std::vector<std::string> names;
    for (NamedFlag& known : bot(session).flags) {
        if (known.name == name) {
            return known;
        }
        names.push_back(shown(known.name));
    }
    throw unknown(session, "flag", name, names);
}

// Throws when a player of the current bot other than `except` holds `ident`.
void expectFreeIdent(Session& session, std::uint32_t ident, const PlayerRecord* except) {
    const auto held = bot(session).idents.find(ident);
    const PlayerRecord* found = held == bot(session).idents.end() ? nullptr : held->second;
    if (found != nullptr && found != except) {
        throw ScenarioError("ident " + std::to_string(ident) + " is " + shown(found->name()) +
                            "'s already on bot " + std::to_string(session.current));
    }
}

// Puts the flags `carrier` holds back on the field, owned by its team; returns their names.
std::vector<std::string> releaseFlags(Session& session, const PlayerRecord& carrier) {
    std::vector<std::string> released;
    for (NamedFlag& known : bot(session).flags) {
        if (known.carrier == carrier.name()) {
            known.record->setTeam(carrier.team());
            bot(session).arena->setFlagListed(*known.record, true);
            known.carrier.clear();
            released.push_back(known.name);
        }
    }
    return released;
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

// A flag's team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t flagTeam(const std::string& word) {
    return word == "none" ? NobodysTeam
                          : static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

// `player`, `arrive`: a player in the arena, with the lowest free ident unless one is given;
// refused when the name or ident is taken, the name is too long or every ident is held.
Fills addPlayer(Session& session, const Arguments& arguments, LineResult& result) {
    Bot& current = bot(session);
    const std::string& name = arguments[0];
    const FieldValues values = readFields(arguments);
    std::uint32_t ident = 0x10000; // none given
    for (const auto& [field, value] : values) {
        ident = field->write == nullptr ? static_cast<std::uint32_t>(value) : ident;
    }
    while (ident > 0xFFFF && current.idents.count(current.lowestFreeIdent) != 0) {
        ++current.lowestFreeIdent;
    }
    ident = ident > 0xFFFF ? current.lowestFreeIdent : ident;
    if (current.players.count(name) != 0) {
        throw ScenarioError("player " + quoted(name) + " is already in the arena of bot " +
                            std::to_string(session.current));
    } else if (name.size() > player_layout::longestName) {
        throw ScenarioError("name longer than " + std::to_string(player_layout::longestName) +
                            " bytes");
    } else if (ident > 0xFFFF) {
        throw ScenarioError("every ident from 0 to 65535 is held on bot " +
                            std::to_string(session.current) + ": no room for " + quoted(name));
    }
    expectFreeIdent(session, ident, nullptr);
    PlayerRecord& record = current.arena->addPlayer(name, static_cast<std::uint16_t>(ident), 0, 0);
    current.players[name] = current.idents[ident] = &record;
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
    Bot& current = bot(session);
    const bool carried = !releaseFlags(session, record).empty();
    current.players.erase(record.name());
    current.idents.erase(record.ident());
    current.lowestFreeIdent = std::min<std::uint32_t>(current.lowestFreeIdent, record.ident());
    current.arena->removePlayer(record);
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
    return {arguments[0], std::to_string(asker.access()),
            isCommand      ? word + (rest.empty() ? "" : " " + rest)
            : rest.empty() ? ""
                           : " on \"" + rest + "\""};
}

Fills showHelp(Session& session, const Arguments& arguments, LineResult& result);

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
         bot(session);
         return {std::to_string(session.current)};
     }},
    {"player", PlayerArguments, "put a player in the arena (ship 8 spectates)", Setup, NoEvent,
     "{} is in the arena on {} (set up quietly)", addPlayer},
    {"set", PlayerArguments, "change fields of a player's record", Setup, NoEvent,
     "{}'s record now says {} (changed quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         PlayerRecord& record = player(session, arguments[0]);
         const FieldValues values = readFields(arguments);
         std::vector<std::string> said;
         for (const auto& [field, value] : values) {
             if (field->write == nullptr) { // the ident, filed anew in the bot's index
                 Bot& current = bot(session);
                 expectFreeIdent(session, static_cast<std::uint32_t>(value), &record);
                 current.idents.erase(record.ident());
                 current.lowestFreeIdent =
                     std::min<std::uint32_t>(current.lowestFreeIdent, record.ident());
                 record.setIdent(static_cast<std::uint16_t>(value));
                 current.idents[record.ident()] = &record;
             }
             said.push_back(field->key + (" " + std::to_string(value)));
         }
         if (said.empty()) {
             throw ScenarioError("set names no field to change");
         }
         writeFields(values, record);
         return {arguments[0], listText(said)};
     }},
    {"remove", "NAME", "take a player off the list", Setup, NoEvent,
     "{} is taken off the host's player list (quietly){}", removePlayer},
    {"flag", "NAME [team N]", "put a flag on the field (team N or none)", Setup, NoEvent,
     "flag {} lies on the field, owned by {}",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         for (const NamedFlag& known : bot(session).flags) {
             if (known.name == arguments[0]) {
                 throw ScenarioError("flag " + quoted(arguments[0]) + " already exists on bot " +
                                     std::to_string(session.current));
             }
         }
         const std::uint16_t team =
             arguments.has("team") ? flagTeam(arguments.fields.at("team")) : NobodysTeam;
         bot(session).flags.push_back({arguments[0], &bot(session).arena->addFlag(team), ""});
         return {arguments[0], flagOwnerText(team)};
     }},
    {"set-flag", "FLAG [team N]", "change a flag's owner (team N or none)", Setup, NoEvent,
     "flag {} now belongs to {} (changed quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         NamedFlag& named = flag(session, arguments[0]);
         if (!arguments.has("team")) {
             throw ScenarioError("usage: set-flag FLAG [team N]");
         }
         named.record->setTeam(flagTeam(arguments.fields.at("team")));
         return {named.name, flagOwnerText(named.record->team())};
     }},
    {"remove-flag", "FLAG", "take a flag out of the game", Setup, NoEvent,
     "flag {} is taken out of the game (quietly)",
     [](Session& session, const Arguments& arguments, LineResult&) -> Fills {
         NamedFlag& named = flag(session, arguments[0]);
         Bot& current = bot(session);
         if (!named.carrier.empty()) {
             PlayerRecord& carrier = *current.players.at(named.carrier);
             carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() -
                                                             (carrier.flagCount() != 0 ? 1 : 0)));
         }
         current.arena->removeFlag(*named.record);
         current.flags.erase(current.flags.begin() + (&named - current.flags.data()));
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
         Bot& current = bot(session);
         current.handshakeDelivered = true;
         current.handshakeAnswer.clear();
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
    {"change", "NAME [team N] [ship N]", "a player changes team or ship", Event, CodePlayerChange,
     "{} changes from {} to {}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         PlayerRecord& record = player(session, arguments[0]);
         const FieldValues values = readFields(arguments);
         if (values.empty()) {
             throw ScenarioError("usage: change NAME [team N] [ship N]");
         }
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
         NamedFlag& grabbed = flag(session, arguments[1]);
         if (!grabbed.carrier.empty()) {
             throw ScenarioError("flag " + quoted(grabbed.name) + " is carried by " +
                                 shown(grabbed.carrier));
         }
         if (carrier.flagCount() == 0xFFFF) { // refused rather than wrapped to 0
             throw ScenarioError(quoted(arguments[0]) +
                                 " carries 65535 flags, as many as a count holds");
         }
         const Fills fills{arguments[0], std::to_string(carrier.team()), grabbed.name,
                           flagOwnerText(grabbed.record->team())};
         // The host reports the grab while the flag is still listed; the plug-in leaves it out.
         carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
         deliver(session, result, CodeFlagGrab, carrier.address(), grabbed.record->address());
         grabbed.record->setTeam(carrier.team());
         bot(session).arena->setFlagListed(*grabbed.record, false);
         grabbed.carrier = arguments[0];
         return fills;
     },
     "-F"},
    {"drop", "NAME", "a player drops every flag carried", Event, CodeFlagDrop, "{} drops {}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         PlayerRecord& carrier = player(session, arguments[0]);
         const std::vector<std::string> dropped = releaseFlags(session, carrier);
         carrier.setFlagCount(0);
         deliver(session, result, CodeFlagDrop);
         return {arguments[0], dropped.empty() ? "no flag (the host reports a drop all the same)"
                                               : (dropped.size() == 1 ? "flag " : "flags ") +
                                                     listText(dropped) + ", now owned by team " +
                                                     std::to_string(carrier.team())};
     }},
    {"game-over", "", "the flag game is over", Event, CodeFlagGameOver, nullptr, deliverPlain},
    {"flag-reset", "", "the flags are reset", Event, CodeFlagReset, nullptr, deliverPlain},
    {"command", "NAME WORD [REST]", "a chat command as typed: command Ace !about", Event,
     CodeCommand, "{} (access {}) types the command !{}", askPlugin, "PC"},
    {"ask", "NAME [TOPIC]", "a help request, with a topic or without", Event, CodeHelp,
     "{} (access {}) asks for help{}", askPlugin, "PC"},
    {"event", "CODE [PARAMETER...]", "any event by code or name, up to six parameters", Event,
     NoEvent, "the host sends event {} ({}){}",
     [](Session& session, const Arguments& arguments, LineResult& result) -> Fills {
         const std::string& name = arguments[0]; // flag-grab and flag-drop as the host names them
         const Verb* named =
             verbNamed(name == "flag-grab" || name == "flag-drop" ? name.substr(5) : name);
         const std::uint32_t code = named != nullptr && named->code != NoEvent
                                        ? named->code
                                        : static_cast<std::uint32_t>(parseNumber(
                                              name, 0, UINT32_MAX, "event code or name"));
         Word p[6] = {};
         std::string given;
         // Where the plug-in reads through a parameter, only a record of the kind it reads, or
         // null, is taken: any other number would have it read memory that is not a record.
         const std::string reads = verbNamed("", code) != nullptr ? verbNamed("", code)->reads : "";
         for (std::size_t at = 1; at < arguments.values.size(); ++at) {
             const std::string& word = arguments[at];
             const char kind = at - 1 < reads.size() ? reads[at - 1] : '-', first = word[0];
             if (word != "null" && kind != '-' && !(kind == 'P' && first == '@') &&
                 !(kind == 'F' && first == '%')) {
                 throw ScenarioError(
                     "p" + std::to_string(at) + " of event " + std::to_string(code) +
                     " is read as " +
                     (kind == 'P'   ? "a player's address: give @NAME or null"
                      : kind == 'F' ? "a flag's address: give %FLAG or null"
                      : kind == 'C' ? "a command's address: give null, or use 'command' or 'ask'"
                                    : "an address: give null, or use 'init'"));
             }
             constexpr std::uint64_t widest = UINTPTR_MAX < INT64_MAX ? UINTPTR_MAX : INT64_MAX;
             p[at - 1] =
                 word == "null" ? 0
                 : first == '@' ? player(session, word.substr(1)).address()
                 : first == '%' ? flag(session, word.substr(1)).record->address()
                 : first == '-'
                     ? static_cast<std::uint32_t>(parseNumber(word, INT32_MIN, 0, "parameter"))
                     : static_cast<Word>(
                           parseNumber(word, 0, static_cast<std::int64_t>(widest), "parameter"));
             given += (at == 1 ? " with " : " ") + word;
         }
         deliver(session, result, code, p[0], p[1], p[2], p[3], p[4], p[5]);
         const Verb* event = verbNamed("", code);
         return {std::to_string(code), event != nullptr ? event->name : "unknown to the plug-in",
                 given};
     }},
    {"state", "", "every bot's arena as the host sees it", Looking, NoEvent,
     "the arenas, as the host sees them:",
     [](Session& session, const Arguments&, LineResult& result) -> Fills {
         result.output = describeState(session);
         return {};
     }},
    {"help", "[VERB]", "the verbs, one verb, or the event codes (help events)", Looking, NoEvent,
     "", showHelp},
    {"quit", "", "end the session", Looking, NoEvent, "", quit},
    {"exit", "", "end the session", Looking, NoEvent, "", quit}};

// The words of a line read against `verb`'s arguments; throws naming the usage when they do
// not fit.
Arguments readArguments(const Verb& verb, const std::vector<std::string>& words) {
    const std::string usage =
        "usage: " + std::string(verb.name) + (*verb.arguments != '\0' ? " " : "") + verb.arguments;
    std::size_t required = 0, optional = 0;
    std::map<std::string, bool> keywords; // keyword -> takes a value
    const std::vector<std::string> pattern = splitWords(verb.arguments);
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const std::string& element = pattern[at];
        const bool closed = element.back() == ']';
        if (element[0] != '[') {
            ++required;
        } else if (std::isupper(static_cast<unsigned char>(element[1]))) {
            optional += element.find("...") != std::string::npos ? 6u : 1u;
        } else {
            keywords[element.substr(1, element.size() - (closed ? 2 : 1))] = !closed;
            at += closed ? 0 : 1;
        }
    }
    Arguments arguments{verb, {}, {}};
    for (std::size_t at = 1; at < words.size(); ++at) {
        const auto keyword = keywords.find(words[at]);
        if (arguments.values.size() >= required && keyword != keywords.end()) {
            if (keyword->second && at + 1 >= words.size()) {
                throw ScenarioError(quoted(words[at]) + " needs a value");
            }
            const std::string& key = words[at];
            at += keyword->second ? 1u : 0u;
            arguments.fields[key] = keyword->second ? words[at] : "";
        } else if (arguments.values.size() < required + optional) {
            arguments.values.push_back(words[at]);
        } else {
            throw ScenarioError("unexpected " + quoted(words[at]) + "; " + usage);
        }
    }
    if (arguments.values.size() < required) {
        throw ScenarioError(usage);
    }
    return arguments;
}

// The verb of that name, or the first that delivers event `code`; null when there is none.
const Verb* verbNamed(const std::string& name, std::uint32_t code) {
    for (const Verb& verb : Verbs) {
        if (name == verb.name || (code != NoEvent && verb.code == code)) {
            return &verb;
        }
    }
    return nullptr;
}

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
};

// `help [VERB|events]`: the verbs by group with the forms of expected lines, one verb, or
// the event codes with what their parameters take.
Fills showHelp(Session&, const Arguments& arguments, LineResult& result) {
    std::vector<std::string>& lines = result.output;
    const std::string topic = arguments.values.empty() ? "" : arguments[0];
    const Verb* verb = verbNamed(topic);
    if (topic == "events") {
        lines.push_back("Event codes and names for 'event', and the parameters read as records:");
        for (const Verb& event : Verbs) {
            if (event.code == NoEvent) {
                continue;
            }
            std::string line = "  " + std::to_string(event.code) + " " + event.name;
            for (std::size_t index = 0; event.reads[index] != '\0'; ++index) {
                const char kind = event.reads[index];
                const char* taken = kind == 'P' ? " @NAME" : kind == 'F' ? " %FLAG" : " null";
                line += kind == '-' ? "" : " p" + std::to_string(index + 1) + taken;
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
            for (const Verb& each : Verbs) {
                if (each.group == group) {
                    addVerbLines(each, lines);
                }
            }
        }
        lines.insert(lines.end(), std::begin(ExpectedLineHelp), std::end(ExpectedLineHelp));
    } else {
        throw ScenarioError("no help on " + quoted(topic) + " (try 'help')");
    }
    return {};
}

} // namespace

LineResult perform(Session& session, const std::string& line) {
    LineResult result;
    const std::vector<std::string> words = splitWords(line);
    const Verb* verb = words.empty() ? nullptr : verbNamed(words[0]);
    if (verb == nullptr) {
        return words.empty()
                   ? result
                   : throw ScenarioError("unknown verb " + quoted(words[0]) + " (try 'help')");
    }
    const Fills fills = verb->act(session, readArguments(*verb, words), result);
    result.acted = verb->group != Looking;
    const bool marked = result.acted && session.bots.size() > 1 && verb->name != std::string("bot");
    result.action = marked ? "[bot " + std::to_string(session.current) + "] " : "";
    const std::string story = verb->story != nullptr ? verb->story : verb->help;
    std::size_t at = 0, next = 0; // each "{}" of the story takes the next fill-in
    for (std::size_t mark; (mark = story.find("{}", at)) != std::string::npos; at = mark + 2) {
        result.action += story.substr(at, mark - at) + (next < fills.size() ? fills[next++] : "");
    }
    result.action = shown(result.action + story.substr(at));
    result.story = result.acted ? result.story : result.output;
    for (std::vector<std::string>* lines : {&result.output, &result.story}) {
        std::transform(lines->begin(), lines->end(), lines->begin(), shown); // no raw bytes
    }
    return result;
}

} // namespace tarnhost
