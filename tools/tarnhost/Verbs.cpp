// The scenario language as one table of verbs: each row gives the verb's arguments, its help,
// the event it delivers, how the story tells it and what it does. Parsing, `help` and the
// transcript all read the table, so a new verb is one row and one action.
#include "Tarnhost.h"

#include <cctype>
#include <map>

namespace tarnhost {

namespace {

using hostsim::PlayerRecord;
using hostsim::Word;
using Fills = std::vector<std::string>;

constexpr std::uint32_t NoEvent = 0xFFFFFFFF;

enum class Group { Setup, Event, Looking };

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

struct Verb {
    const char* name;
    // VALUE must be given and [VALUE] may be, in order; then [key N] and [switch] in any order;
    // [VALUE...] takes any number of values.
    const char* arguments;
    const char* help;
    Group group;
    std::uint32_t code;
    // The line in words, with "{}" for each fill-in of the action.
    const char* story;
    Action act;
};

// An event code's name, and what the plug-in reads through each parameter: '-' nothing,
// 'P' a player, 'F' a flag, 'C' a command, 'H' a host list or callback.
struct EventName {
    std::uint32_t code;
    const char* name;
    const char* reads;
};
constexpr EventName Events[] = {
    {hostsim::CodeInit, "init", "-HHH"},
    {hostsim::CodeTerm, "term", ""},
    {hostsim::CodeTick, "tick", ""},
    {hostsim::CodeArenaEnter, "arena-enter", ""},
    {hostsim::CodeArenaLeave, "arena-leave", ""},
    {hostsim::CodePlayerEntering, "arrive", "P"},
    {hostsim::CodePlayerChange, "change", "P"},
    {hostsim::CodePlayerLeaving, "depart", "P"},
    {hostsim::CodeCommand, "command", "PC"},
    {hostsim::CodeHelp, "ask", "PC"},
    {hostsim::CodeFlagGrab, "flag-grab", "-F"},
    {hostsim::CodeFlagDrop, "flag-drop", ""},
    {hostsim::CodeFlagGameOver, "game-over", ""},
    {hostsim::CodeFlagReset, "flag-reset", ""},
};

// The entry of `code`; null for a code the plug-in does not know.
const EventName* eventNamed(std::uint32_t code) {
    for (const EventName& event : Events) {
        if (event.code == code) {
            return &event;
        }
    }
    return nullptr;
}

// A player field: its keyword, its range and how it is written (ident goes through the index).
struct Field {
    const char* key;
    std::int64_t lowest, highest;
    void (*write)(PlayerRecord&, std::int64_t);
};
const Field PlayerFields[] = {
    {"team", 0, 65535, [](PlayerRecord& r, std::int64_t v) { r.setTeam(std::uint16_t(v)); }},
    {"ship", 0, 255, [](PlayerRecord& r, std::int64_t v) { r.setShip(std::uint8_t(v)); }},
    {"ident", 0, 65535, nullptr},
    {"access", INT32_MIN, INT32_MAX,
     [](PlayerRecord& r, std::int64_t v) { r.setAccess(std::int32_t(v)); }},
    {"flags", 0, 65535, [](PlayerRecord& r, std::int64_t v) { r.setFlagCount(std::uint16_t(v)); }},
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
    return word == "none" ? hostsim::NobodysTeam
                          : static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

// Delivers the verb's event about `record` when the verb has one.
void deliverAbout(Session& session, const Arguments& arguments, const PlayerRecord& record,
                  LineResult& result) {
    if (arguments.verb.code != NoEvent) {
        deliver(session, hostsim::makeEvent(session.current, arguments.verb.code, record.address()),
                result);
    }
}

// `player`, `arrive`: a player in the arena, the lowest free ident unless one is given.
Fills addPlayerLine(Session& session, const Arguments& arguments, LineResult& result) {
    const FieldValues values = readFields(arguments);
    std::uint32_t ident = 0x10000;
    for (const auto& [field, value] : values) {
        ident = field->write == nullptr ? static_cast<std::uint32_t>(value) : ident;
    }
    PlayerRecord& record = addPlayer(session, arguments[0], ident);
    writeFields(values, record);
    deliverAbout(session, arguments, record, result);
    return {arguments[0],
            placeText(record) +
                (record.access() == 0 ? "" : ", access " + std::to_string(record.access()))};
}

// `set`: changes the fields named, telling the plug-in nothing.
Fills setPlayer(Session& session, const Arguments& arguments, LineResult&) {
    PlayerRecord& record = player(session, arguments[0]);
    const FieldValues values = readFields(arguments);
    std::vector<std::string> said;
    for (const auto& [field, value] : values) {
        if (field->write == nullptr) {
            setIdent(session, record, static_cast<std::uint16_t>(value));
        }
        said.push_back(field->key + (" " + std::to_string(value)));
    }
    if (said.empty()) {
        throw ScenarioError("set names no field to change");
    }
    writeFields(values, record);
    return {arguments[0], listText(said)};
}

// `remove`, `depart`: the player leaves; the flags it carried lie on the field.
Fills removePlayerLine(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& record = player(session, arguments[0]);
    deliverAbout(session, arguments, record, result);
    return {arguments[0], removePlayer(session, record)
                              ? "; the flags " + arguments[0] + " carried lie on the field"
                              : ""};
}

// "ship 1", or "spectating".
std::string shipText(std::uint8_t ship) {
    return ship == hostsim::SpectatorShip ? "spectating" : "ship " + std::to_string(ship);
}

// `change`: a new team or ship, reported with the previous ones.
Fills changePlayer(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& record = player(session, arguments[0]);
    const FieldValues values = readFields(arguments);
    if (values.empty()) {
        throw ScenarioError("usage: change NAME [team N] [ship N]");
    }
    const std::uint16_t team = record.team();
    const std::uint8_t ship = record.ship();
    writeFields(values, record);
    std::vector<std::string> now, before;
    if (record.team() != team) {
        now.push_back("team " + std::to_string(record.team()));
        before.push_back("team " + std::to_string(team));
    }
    if (record.ship() != ship) {
        now.push_back(shipText(record.ship()));
        before.push_back(shipText(ship));
    }
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodePlayerChange, record.address(), team,
                               ship),
            result);
    return {arguments[0], now.empty()
                              ? "is reported changed but stays on " + placeText(record)
                              : "changes to " + listText(now) + " (was " + listText(before) + ")"};
}

// `flag`: a new flag on the field.
Fills addFlag(Session& session, const Arguments& arguments, LineResult&) {
    for (const NamedFlag& known : bot(session).flags) {
        if (known.name == arguments[0]) {
            throw ScenarioError("flag " + quoted(arguments[0]) + " already exists on bot " +
                                std::to_string(session.current));
        }
    }
    const std::uint16_t team =
        arguments.has("team") ? flagTeam(arguments.fields.at("team")) : hostsim::NobodysTeam;
    bot(session).flags.push_back({arguments[0], &bot(session).arena->addFlag(team), ""});
    return {arguments[0], flagOwnerText(team)};
}

// `set-flag`: another owner, telling the plug-in nothing.
Fills setFlag(Session& session, const Arguments& arguments, LineResult&) {
    NamedFlag& named = flag(session, arguments[0]);
    if (!arguments.has("team")) {
        throw ScenarioError("usage: set-flag FLAG [team N]");
    }
    named.record->setTeam(flagTeam(arguments.fields.at("team")));
    return {named.name, flagOwnerText(named.record->team())};
}

// `remove-flag`: the flag is gone, from its carrier too.
Fills removeFlag(Session& session, const Arguments& arguments, LineResult&) {
    NamedFlag& named = flag(session, arguments[0]);
    Bot& current = bot(session);
    if (!named.carrier.empty()) {
        PlayerRecord& carrier = *current.players.at(named.carrier);
        carrier.setFlagCount(
            static_cast<std::uint16_t>(carrier.flagCount() - (carrier.flagCount() != 0 ? 1 : 0)));
    }
    current.arena->removeFlag(*named.record);
    current.flags.erase(current.flags.begin() + (&named - current.flags.data()));
    return {arguments[0]};
}

// `effects on|off`.
Fills switchEffects(Session& session, const Arguments& arguments, LineResult&) {
    if (arguments[0] != "on" && arguments[0] != "off") {
        throw ScenarioError("usage: effects on|off");
    }
    session.effects = arguments[0] == "on";
    return {session.effects ? "on: the server carries out \"*setfreq\" and shows \"*arena\" lines"
                            : "off: lines are only recorded"};
}

// `bot HANDLE`.
Fills selectBot(Session& session, const Arguments& arguments, LineResult&) {
    session.current =
        static_cast<std::uint32_t>(parseNumber(arguments[0], 0, UINT32_MAX, "handle"));
    bot(session);
    return {std::to_string(session.current)};
}

// `init`: the handshake, with this host's callback and list heads unless told otherwise.
Fills initialise(Session& session, const Arguments& arguments, LineResult& result) {
    const std::string version = arguments.values.empty() ? "6.5" : arguments[0];
    const std::size_t dot = version.find('.');
    if (dot == std::string::npos) {
        throw ScenarioError("bad version " + quoted(version) + " (MAJOR.MINOR expected)");
    }
    const auto major =
        static_cast<std::uint32_t>(parseNumber(version.substr(0, dot), 0, 65535, "major version"));
    const auto minor =
        static_cast<std::uint32_t>(parseNumber(version.substr(dot + 1), 0, 65535, "minor version"));
    const bool callback = !arguments.has("no-callback"), lists = !arguments.has("no-lists");
    Bot& current = bot(session);
    current.handshakeDelivered = true;
    current.handshakeAnswer.clear();
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeInit,
                               hostsim::versionWord(major, minor), callback ? session.callback : 0,
                               lists ? current.arena->playerList().headAddress() : 0,
                               lists ? current.arena->flagList().headAddress() : 0),
            result);
    return {std::to_string(major) + "." + std::to_string(minor),
            std::string(callback ? "" : ", without a callback") +
                (lists ? "" : ", without its player and flag lists")};
}

// The events without parameters.
Fills deliverPlain(Session& session, const Arguments& arguments, LineResult& result) {
    deliver(session, hostsim::makeEvent(session.current, arguments.verb.code), result);
    return {};
}

// `flag-grab FLAG`: a grab reported, with no carrier, and nothing changed.
Fills reportGrab(Session& session, const Arguments& arguments, LineResult& result) {
    const NamedFlag& named = flag(session, arguments[0]);
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeFlagGrab, 0, named.record->address()),
            result);
    return {named.name};
}

// `grab NAME FLAG`: the carrier counts one more flag, which leaves the field with its team.
// A count already at 65535 is refused rather than wrapped to 0.
Fills grabFlag(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& carrier = player(session, arguments[0]);
    NamedFlag& grabbed = flag(session, arguments[1]);
    if (!grabbed.carrier.empty()) {
        throw ScenarioError("flag " + quoted(grabbed.name) + " is carried by " +
                            shown(grabbed.carrier));
    }
    if (carrier.flagCount() == 0xFFFF) {
        throw ScenarioError(quoted(arguments[0]) +
                            " carries 65535 flags, as many as a count holds");
    }
    const Fills fills{arguments[0], std::to_string(carrier.team()), grabbed.name,
                      flagOwnerText(grabbed.record->team())};
    // The host reports the grab while the flag is still on its list; the plug-in leaves it out.
    carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeFlagGrab, carrier.address(),
                               grabbed.record->address()),
            result);
    grabbed.record->setTeam(carrier.team());
    bot(session).arena->setFlagListed(*grabbed.record, false);
    grabbed.carrier = arguments[0];
    return fills;
}

// `drop NAME`: every flag carried lies on the field, owned by the carrier's team.
Fills dropFlags(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& carrier = player(session, arguments[0]);
    const std::vector<std::string> dropped = releaseFlags(session, carrier);
    carrier.setFlagCount(0);
    deliver(session, hostsim::makeEvent(session.current, hostsim::CodeFlagDrop), result);
    return {arguments[0], dropped.empty()
                              ? "no flag (the host reports a drop all the same)"
                              : (dropped.size() == 1 ? "flag " : "flags ") + listText(dropped) +
                                    ", now owned by team " + std::to_string(carrier.team())};
}

// `command`, `ask`: a chat command or help request. A word typed as a player types it
// ("!about") is sent without its '!', as the host parses a player's line.
Fills askPlugin(Session& session, const Arguments& arguments, LineResult& result) {
    PlayerRecord& asker = player(session, arguments[0]);
    const bool isCommand = arguments.verb.code == hostsim::CodeCommand;
    const std::string typed = isCommand ? arguments[1] : "help";
    const std::string word = typed.substr(isCommand && typed.rfind('!', 0) == 0 ? 1 : 0);
    const std::size_t restAt = isCommand ? 2 : 1;
    const std::string rest = arguments.values.size() > restAt ? arguments[restAt] : "";
    const hostsim::CommandRecord command(word, rest);
    deliver(session,
            hostsim::makeEvent(session.current, arguments.verb.code, asker.address(),
                               command.address()),
            result);
    return {arguments[0], std::to_string(asker.access()),
            isCommand      ? word + (rest.empty() ? "" : " " + rest)
            : rest.empty() ? ""
                           : " on \"" + rest + "\""};
}

// A raw event parameter: a number, @PLAYER's or %FLAG's record address, or null (0). Where
// the plug-in reads through the parameter, only a record of the kind it reads or null is
// taken: any other number would have it read memory that is not a record.
Word parameter(Session& session, std::uint32_t code, std::size_t index, const std::string& word) {
    const EventName* event = eventNamed(code);
    const std::string reads = event != nullptr ? event->reads : "";
    const char kind = index < reads.size() ? reads[index] : '-';
    const char first = word.empty() ? '\0' : word[0];
    if (word == "null") {
        return 0;
    }
    if (kind != '-' && !(kind == 'P' && first == '@') && !(kind == 'F' && first == '%')) {
        throw ScenarioError(
            "p" + std::to_string(index + 1) + " of event " + std::to_string(code) + " is read as " +
            (kind == 'P'   ? "a player's address: give @NAME or null"
             : kind == 'F' ? "a flag's address: give %FLAG or null"
             : kind == 'C' ? "a command's address: give null, or use 'command' or 'ask'"
                           : "an address: give null, or use 'init'"));
    }
    if (first == '@' || first == '%') {
        return first == '@' ? player(session, word.substr(1)).address()
                            : flag(session, word.substr(1)).record->address();
    }
    if (first == '-') {
        return static_cast<std::uint32_t>(parseNumber(word, INT32_MIN, 0, "parameter"));
    }
    constexpr std::uint64_t widest = UINTPTR_MAX < INT64_MAX ? UINTPTR_MAX : INT64_MAX;
    return static_cast<Word>(parseNumber(word, 0, static_cast<std::int64_t>(widest), "parameter"));
}

// `event CODE|NAME [PARAMETER...]`: any event, its parameters checked.
Fills deliverRaw(Session& session, const Arguments& arguments, LineResult& result) {
    std::uint32_t code = NoEvent;
    for (const EventName& event : Events) {
        code = arguments[0] == event.name ? event.code : code;
    }
    if (code == NoEvent) {
        code = static_cast<std::uint32_t>(
            parseNumber(arguments[0], 0, UINT32_MAX, "event code or name"));
    }
    Word p[6] = {};
    std::string given;
    for (std::size_t at = 1; at < arguments.values.size(); ++at) {
        p[at - 1] = parameter(session, code, at - 1, arguments[at]);
        given += (at == 1 ? " with " : " ") + arguments[at];
    }
    deliver(session, hostsim::makeEvent(session.current, code, p[0], p[1], p[2], p[3], p[4], p[5]),
            result);
    const EventName* event = eventNamed(code);
    return {std::to_string(code), event != nullptr ? event->name : "unknown to the plug-in", given};
}

// `state`.
Fills showState(Session& session, const Arguments&, LineResult& result) {
    result.output = describeState(session);
    return {};
}

Fills showHelp(Session& session, const Arguments& arguments, LineResult& result);

// `quit`, `exit`.
Fills quit(Session&, const Arguments&, LineResult& result) {
    result.quits = true;
    return {};
}

constexpr char PlayerArguments[] = "NAME [team N] [ship N] [ident N] [access N] [flags N]";

const Verb Verbs[] = {
    {"bot", "HANDLE", "act on this bot from now on (bot 1 at the start)", Group::Setup, NoEvent,
     "switch to bot {}: its own arena, and its own state in the plug-in", selectBot},
    {"player", PlayerArguments, "put a player in the arena (ship 8 spectates)", Group::Setup,
     NoEvent, "{} is in the arena on {} (set up quietly)", addPlayerLine},
    {"set", PlayerArguments, "change fields of a player's record", Group::Setup, NoEvent,
     "{}'s record now says {} (changed quietly)", setPlayer},
    {"remove", "NAME", "take a player off the list", Group::Setup, NoEvent,
     "{} is taken off the host's player list (quietly){}", removePlayerLine},
    {"flag", "NAME [team N]", "put a flag on the field (team N or none)", Group::Setup, NoEvent,
     "flag {} lies on the field, owned by {}", addFlag},
    {"set-flag", "FLAG [team N]", "change a flag's owner (team N or none)", Group::Setup, NoEvent,
     "flag {} now belongs to {} (changed quietly)", setFlag},
    {"remove-flag", "FLAG", "take a flag out of the game", Group::Setup, NoEvent,
     "flag {} is taken out of the game (quietly)", removeFlag},
    {"effects", "on|off", "the server carries out \"*setfreq N\" and shows \"*arena\" lines",
     Group::Setup, NoEvent, "game-server effects {}", switchEffects},
    {"init", "[MAJOR.MINOR] [no-callback] [no-lists]", "the handshake (version 6.5 by default)",
     Group::Event, hostsim::CodeInit,
     "the bot connects: the host offers the handshake as version {}{}", initialise},
    {"term", "", "the host disconnects the bot", Group::Event, hostsim::CodeTerm,
     "the host disconnects the bot from the plug-in (term)", deliverPlain},
    {"tick", "", "a clock tick", Group::Event, hostsim::CodeTick, "a clock tick", deliverPlain},
    {"arena-enter", "", "the bot enters the arena", Group::Event, hostsim::CodeArenaEnter,
     "the bot enters the arena", deliverPlain},
    {"arena-leave", "", "the bot leaves the arena", Group::Event, hostsim::CodeArenaLeave,
     "the bot leaves the arena", deliverPlain},
    {"arrive", PlayerArguments, "a player enters the arena", Group::Event,
     hostsim::CodePlayerEntering, "{} arrives in the arena on {}", addPlayerLine},
    {"depart", "NAME", "a player leaves the arena", Group::Event, hostsim::CodePlayerLeaving,
     "{} leaves the arena{}", removePlayerLine},
    {"change", "NAME [team N] [ship N]", "a player changes team or ship", Group::Event,
     hostsim::CodePlayerChange, "{} {}", changePlayer},
    {"grab", "NAME FLAG", "a player picks a flag off the field", Group::Event,
     hostsim::CodeFlagGrab, "{} (team {}) grabs flag {}, owned by {}", grabFlag},
    {"drop", "NAME", "a player drops every flag carried", Group::Event, hostsim::CodeFlagDrop,
     "{} drops {}", dropFlags},
    {"flag-grab", "FLAG", "a grab of FLAG reported, nothing else changes", Group::Event,
     hostsim::CodeFlagGrab, "the host reports a grab of flag {}, and nothing changes", reportGrab},
    {"flag-drop", "", "a drop reported, nothing else changes", Group::Event, hostsim::CodeFlagDrop,
     "the host reports a flag drop, and nothing else changes", deliverPlain},
    {"game-over", "", "the flag game is over", Group::Event, hostsim::CodeFlagGameOver,
     "the flag game is over", deliverPlain},
    {"flag-reset", "", "the flags are reset", Group::Event, hostsim::CodeFlagReset,
     "the flags are reset", deliverPlain},
    {"command", "NAME WORD [REST]", "a chat command as typed: command Ace !about", Group::Event,
     hostsim::CodeCommand, "{} (access {}) types the command !{}", askPlugin},
    {"ask", "NAME [TOPIC]", "a help request, with a topic or without", Group::Event,
     hostsim::CodeHelp, "{} (access {}) asks for help{}", askPlugin},
    {"event", "CODE [PARAMETER...]", "any event by code or name, up to six parameters",
     Group::Event, NoEvent, "the host sends event {} ({}){}", deliverRaw},
    {"state", "", "every bot's arena as the host sees it", Group::Looking, NoEvent,
     "the arenas, as the host sees them:", showState},
    {"help", "[VERB]", "the verbs, one verb, or the event codes (help events)", Group::Looking,
     NoEvent, "", showHelp},
    {"quit", "", "end the session", Group::Looking, NoEvent, "", quit},
    {"exit", "", "end the session", Group::Looking, NoEvent, "", quit},
};

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

// `pattern` with each "{}" replaced by the next fill-in; missing ones leave nothing.
std::string fillIn(const std::string& pattern, const Fills& fills) {
    std::string text;
    std::size_t next = 0, at = 0;
    for (std::size_t mark; (mark = pattern.find("{}", at)) != std::string::npos; at = mark + 2) {
        text += pattern.substr(at, mark - at) + (next < fills.size() ? fills[next++] : "");
    }
    return text + pattern.substr(at);
}

// The verb of that name; null when there is none.
const Verb* verbNamed(const std::string& name) {
    for (const Verb& verb : Verbs) {
        if (name == verb.name) {
            return &verb;
        }
    }
    return nullptr;
}

// "  NAME ARGUMENTS   help", the help in column 36, on a line of its own if need be.
void addVerbLines(const Verb& verb, std::vector<std::string>& lines) {
    std::string head = "  " + std::string(verb.name) + " " + verb.arguments;
    if (head.size() >= 35) {
        lines.push_back(head);
        head.clear();
    }
    lines.push_back(head + std::string(36 - head.size(), ' ') + verb.help);
}

const char* const ExpectedLineHelp[] = {
    "In a file, a line starting with '>' states a line that the line above it must print:",
    "  > console: TEXT          the plug-in wrote TEXT to the host's console",
    "  > arena: TEXT            the plug-in said TEXT in public chat",
    "  > to NAME: TEXT          the plug-in said TEXT privately to NAME",
    "  > server: TEXT           what the game server did (with effects on)",
    "  > [bot N] ...            any of these from bot N; bot 1's lines carry no prefix",
    "A line followed by no '>' line must print nothing. '#' starts a comment (told as",
    "narration by --transcript). Quote names and texts with blanks (\"a b\"); numbers are",
    "decimal, 0x-hex or negative.",
};

// `help [VERB|events]`: the verbs by group with the forms of expected lines, one verb, or
// the event codes with what their parameters take.
Fills showHelp(Session&, const Arguments& arguments, LineResult& result) {
    std::vector<std::string>& lines = result.output;
    const std::string topic = arguments.values.empty() ? "" : arguments[0];
    const Verb* verb = verbNamed(topic);
    if (topic == "events") {
        lines.push_back("Event codes, for 'event CODE [PARAMETER...]' (the name may stand for "
                        "the code):");
        for (const EventName& event : Events) {
            std::string line = "  " + std::to_string(event.code) + " " + event.name;
            for (std::size_t index = 0; event.reads[index] != '\0'; ++index) {
                const char kind = event.reads[index];
                line +=
                    kind == '-'
                        ? ""
                        : "  p" + std::to_string(index + 1) +
                              (kind == 'P'   ? " @NAME"
                               : kind == 'F' ? " %FLAG"
                                             : " null (or use '" + std::string(event.name) + "')");
            }
            lines.push_back(line);
        }
        lines.push_back("Other codes reach the plug-in too; other parameters take any number.");
    } else if (verb != nullptr) {
        addVerbLines(*verb, lines);
    } else if (topic.empty()) {
        const char* headings[] = {"Arena setup, the plug-in is not told:",
                                  "Events delivered to the plug-in:", "Looking:"};
        for (const Group group : {Group::Setup, Group::Event, Group::Looking}) {
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
    if (!words.empty() && verb == nullptr) {
        throw ScenarioError("unknown verb " + quoted(words[0]) + " (try 'help')");
    }
    if (verb != nullptr) {
        result.action =
            fillIn(verb->story, verb->act(session, readArguments(*verb, words), result));
        result.acted = verb->group != Group::Looking;
        result.story = result.acted ? result.story : result.output;
        const bool marked = result.acted && session.bots.size() > 1 && verb->act != selectBot;
        result.action.insert(0, marked ? "[bot " + std::to_string(session.current) + "] " : "");
    }
    return result;
}

} // namespace tarnhost
