// The scenario language as one table of verbs: each row gives the verb's arguments, its help,
// the event it delivers, how the story tells it and what it does. Parsing, `help` and the
// transcript all read the table, so a new verb is one row and one action.
#include "Session.h"

#include <cctype>
#include <map>

namespace tarnhost {

namespace {

using hostsim::Word;
using Fills = std::vector<std::string>;

constexpr std::uint32_t NoEvent = 0xFFFFFFFF;

enum class Group { Setup, Event, Looking };

struct Verb;

// The words of a line as its verb's arguments describe them: the values in order, and each
// keyword given with its value ("" for a keyword that takes none).
struct Arguments {
    const Verb* verb;
    std::vector<std::string> values;
    std::map<std::string, std::string> fields;
    bool has(const std::string& key) const { return fields.count(key) != 0; }
};

// Checks every word it reads, throwing before it changes anything, then acts; returns the
// fill-ins of the verb's story.
using Action = Fills (*)(Session&, const Arguments&, LineResult&);

struct Verb {
    const char* name;
    // VALUE must be given; [VALUE] may be; [key N] and [switch] may be given in any order after
    // the values; [VALUE...] takes any number of values.
    const char* arguments;
    const char* help;
    Group group;
    std::uint32_t code;
    // The line in words, with "{}" for each fill-in the action returns.
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
    {hostsim::CodeInit, "init", "-HHH"},       {hostsim::CodeTerm, "term", ""},
    {hostsim::CodeTick, "tick", ""},           {hostsim::CodeArenaEnter, "arena-enter", ""},
    {hostsim::CodeArenaLeave, "arena-leave", ""}, {hostsim::CodePlayerEntering, "arrive", "P"},
    {hostsim::CodePlayerChange, "change", "P"}, {hostsim::CodePlayerLeaving, "depart", "P"},
    {hostsim::CodeCommand, "command", "PC"},   {hostsim::CodeHelp, "ask", "PC"},
    {hostsim::CodeFlagGrab, "flag-grab", "-F"}, {hostsim::CodeFlagDrop, "flag-drop", ""},
    {hostsim::CodeFlagGameOver, "game-over", ""}, {hostsim::CodeFlagReset, "flag-reset", ""},
};

// The entry of `code`, or null for a code the plug-in does not know.
const EventName* eventNamed(std::uint32_t code) {
    for (const EventName& event : Events) {
        if (event.code == code) {
            return &event;
        }
    }
    return nullptr;
}

// A player field: its keyword and range.
struct Field {
    const char* key;
    std::int64_t lowest, highest;
};
constexpr Field PlayerFields[] = {{"team", 0, 65535},
                                  {"ship", 0, 255},
                                  {"ident", 0, 65535},
                                  {"access", INT32_MIN, INT32_MAX},
                                  {"flags", 0, 65535}};

// The player fields the line names, each number checked, in the table's order.
std::vector<std::pair<std::string, std::int64_t>> readFields(const Arguments& arguments) {
    std::vector<std::pair<std::string, std::int64_t>> fields;
    for (const Field& field : PlayerFields) {
        if (arguments.has(field.key)) {
            fields.emplace_back(field.key, parseNumber(arguments.fields.at(field.key),
                                                       field.lowest, field.highest, field.key));
        }
    }
    return fields;
}

// Writes the fields (all but ident, which the arena's index keeps) into the record.
void applyFields(const std::vector<std::pair<std::string, std::int64_t>>& fields,
                 hostsim::PlayerRecord& record) {
    for (const auto& [key, value] : fields) {
        if (key == "team") {
            record.setTeam(static_cast<std::uint16_t>(value));
        } else if (key == "ship") {
            record.setShip(static_cast<std::uint8_t>(value));
        } else if (key == "access") {
            record.setAccess(static_cast<std::int32_t>(value));
        } else if (key == "flags") {
            record.setFlagCount(static_cast<std::uint16_t>(value));
        }
    }
}

// A flag's team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t flagTeam(const std::string& word) {
    return word == "none" ? hostsim::NobodysTeam
                          : static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

std::string accessText(const hostsim::PlayerRecord& record) {
    return record.access() == 0 ? "" : ", access " + std::to_string(record.access());
}

Fills addPlayerLine(Session& session, const Arguments& arguments, LineResult& result) {
    const auto fields = readFields(arguments);
    const std::string& name = arguments.values[0];
    std::uint32_t ident = 0x10000; // none given: the lowest free one
    for (const auto& [key, value] : fields) {
        ident = key == "ident" ? static_cast<std::uint32_t>(value) : ident;
    }
    hostsim::PlayerRecord& record = addPlayer(session, name, ident);
    applyFields(fields, record);
    if (arguments.verb->code != NoEvent) {
        deliver(session, hostsim::makeEvent(session.current, arguments.verb->code, record.address()),
                result);
    }
    return {name, placeText(record) + accessText(record)};
}

Fills setPlayer(Session& session, const Arguments& arguments, LineResult&) {
    hostsim::PlayerRecord& record = player(session, arguments.values[0]);
    const auto fields = readFields(arguments);
    if (fields.empty()) {
        throw ScenarioError("set names no field to change");
    }
    std::vector<std::string> said;
    for (const auto& [key, value] : fields) {
        if (key == "ident") {
            setIdent(session, record, static_cast<std::uint16_t>(value));
        }
        said.push_back((key == "flags" ? "flag count" : key) + " " + std::to_string(value));
    }
    applyFields(fields, record);
    return {arguments.values[0], listText(said)};
}

Fills removePlayerLine(Session& session, const Arguments& arguments, LineResult& result) {
    hostsim::PlayerRecord& record = player(session, arguments.values[0]);
    if (arguments.verb->code != NoEvent) {
        deliver(session, hostsim::makeEvent(session.current, arguments.verb->code, record.address()),
                result);
    }
    const bool carried = removePlayer(session, record);
    return {arguments.values[0],
            carried ? "; the flags " + arguments.values[0] + " carried lie on the field" : ""};
}

// "ship 1", or "spectating".
std::string shipText(std::uint8_t ship) {
    return ship == hostsim::SpectatorShip ? "spectating" : "ship " + std::to_string(ship);
}

Fills changePlayer(Session& session, const Arguments& arguments, LineResult& result) {
    hostsim::PlayerRecord& record = player(session, arguments.values[0]);
    const auto fields = readFields(arguments);
    if (fields.empty()) {
        throw ScenarioError("usage: change NAME [team N] [ship N]");
    }
    const std::uint16_t team = record.team();
    const std::uint8_t ship = record.ship();
    applyFields(fields, record);
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
    return {arguments.values[0],
            now.empty() ? "is reported changed but stays on " + placeText(record)
                        : "changes to " + listText(now) + " (was " + listText(before) + ")"};
}

Fills addFlag(Session& session, const Arguments& arguments, LineResult&) {
    const std::string& name = arguments.values[0];
    for (const NamedFlag& known : bot(session).flags) {
        if (known.name == name) {
            throw ScenarioError("flag " + quoted(name) + " already exists on bot " +
                                std::to_string(session.current));
        }
    }
    const std::uint16_t team =
        arguments.has("team") ? flagTeam(arguments.fields.at("team")) : hostsim::NobodysTeam;
    bot(session).flags.push_back({name, &bot(session).arena->addFlag(team), ""});
    return {name, flagOwnerText(team)};
}

Fills setFlag(Session& session, const Arguments& arguments, LineResult&) {
    NamedFlag& named = flag(session, arguments.values[0]);
    if (!arguments.has("team")) {
        throw ScenarioError("usage: set-flag FLAG [team N|none]");
    }
    const std::uint16_t team = flagTeam(arguments.fields.at("team"));
    named.record->setTeam(team);
    return {named.name, flagOwnerText(team)};
}

Fills removeFlag(Session& session, const Arguments& arguments, LineResult&) {
    NamedFlag& named = flag(session, arguments.values[0]);
    Bot& current = bot(session);
    if (!named.carrier.empty()) {
        hostsim::PlayerRecord& carrier = *current.players.at(named.carrier);
        carrier.setFlagCount(
            static_cast<std::uint16_t>(carrier.flagCount() - (carrier.flagCount() != 0 ? 1 : 0)));
    }
    current.arena->removeFlag(*named.record);
    current.flags.erase(current.flags.begin() + (&named - current.flags.data()));
    return {arguments.values[0]};
}

Fills switchEffects(Session& session, const Arguments& arguments, LineResult&) {
    const std::string& state = arguments.values[0];
    if (state != "on" && state != "off") {
        throw ScenarioError("usage: effects on|off");
    }
    session.effects = state == "on";
    return {session.effects ? "on: the server carries out \"*setfreq\" and shows \"*arena\" lines"
                            : "off: lines are only recorded"};
}

Fills selectBot(Session& session, const Arguments& arguments, LineResult&) {
    session.current =
        static_cast<std::uint32_t>(parseNumber(arguments.values[0], 0, UINT32_MAX, "handle"));
    bot(session);
    return {std::to_string(session.current)};
}

Fills initialise(Session& session, const Arguments& arguments, LineResult& result) {
    std::uint32_t major = 6, minor = 5;
    if (!arguments.values.empty()) {
        const std::string& version = arguments.values[0];
        const std::size_t dot = version.find('.');
        if (dot == std::string::npos) {
            throw ScenarioError("bad version " + quoted(version) + " (MAJOR.MINOR expected)");
        }
        major = static_cast<std::uint32_t>(
            parseNumber(version.substr(0, dot), 0, 65535, "major version"));
        minor = static_cast<std::uint32_t>(
            parseNumber(version.substr(dot + 1), 0, 65535, "minor version"));
    }
    const bool callback = !arguments.has("no-callback"), lists = !arguments.has("no-lists");
    Bot& current = bot(session);
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeInit,
                               hostsim::versionWord(major, minor), callback ? session.callback : 0,
                               lists ? current.arena->playerList().headAddress() : 0,
                               lists ? current.arena->flagList().headAddress() : 0),
            result);
    current.handshakeDelivered = true;
    current.handshakeAnswer.clear();
    for (const hostsim::SentEvent& sent : session.host.sent()) {
        if (sent.handle == session.current && sent.isEcho()) {
            current.handshakeAnswer = sent.text;
            break;
        }
    }
    return {std::to_string(major) + "." + std::to_string(minor),
            std::string(callback ? "" : ", without a callback") +
                (lists ? "" : ", without its player and flag lists")};
}

Fills deliverPlain(Session& session, const Arguments& arguments, LineResult& result) {
    deliver(session, hostsim::makeEvent(session.current, arguments.verb->code), result);
    return {};
}

Fills reportGrab(Session& session, const Arguments& arguments, LineResult& result) {
    const NamedFlag& named = flag(session, arguments.values[0]);
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeFlagGrab, 0, named.record->address()),
            result);
    return {named.name};
}

Fills grabFlag(Session& session, const Arguments& arguments, LineResult& result) {
    hostsim::PlayerRecord& carrier = player(session, arguments.values[0]);
    NamedFlag& grabbed = flag(session, arguments.values[1]);
    if (!grabbed.carrier.empty()) {
        throw ScenarioError("flag " + quoted(grabbed.name) + " is carried by " +
                            shown(grabbed.carrier));
    }
    if (carrier.flagCount() == 0xFFFF) {
        throw ScenarioError(quoted(arguments.values[0]) +
                            " carries 65535 flags already, as many as the record can count");
    }
    const Fills fills{arguments.values[0], std::to_string(carrier.team()), grabbed.name,
                      flagOwnerText(grabbed.record->team())};
    // The host reports the grab while the flag is still on its list; the plug-in leaves it out.
    carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
    deliver(session,
            hostsim::makeEvent(session.current, hostsim::CodeFlagGrab, carrier.address(),
                               grabbed.record->address()),
            result);
    grabbed.record->setTeam(carrier.team());
    bot(session).arena->setFlagListed(*grabbed.record, false);
    grabbed.carrier = arguments.values[0];
    return fills;
}

Fills dropFlags(Session& session, const Arguments& arguments, LineResult& result) {
    hostsim::PlayerRecord& carrier = player(session, arguments.values[0]);
    const std::vector<std::string> dropped = releaseFlags(session, carrier);
    carrier.setFlagCount(0);
    deliver(session, hostsim::makeEvent(session.current, hostsim::CodeFlagDrop), result);
    return {arguments.values[0],
            dropped.empty() ? "no flag (the host reports a drop all the same)"
                            : (dropped.size() == 1 ? "flag " : "flags ") + listText(dropped) +
                                  ", now owned by team " + std::to_string(carrier.team())};
}

// A chat command or help request. A command word typed as a player types it ("!about") is
// sent without its '!', as the host parses a player's line.
Fills askPlugin(Session& session, const Arguments& arguments, LineResult& result) {
    hostsim::PlayerRecord& asker = player(session, arguments.values[0]);
    const bool isCommand = arguments.verb->code == hostsim::CodeCommand;
    std::string word = isCommand ? arguments.values[1] : "help";
    word.erase(0, isCommand && word.rfind('!', 0) == 0 ? 1 : 0);
    const std::size_t restAt = isCommand ? 2 : 1;
    const std::string rest = arguments.values.size() > restAt ? arguments.values[restAt] : "";
    const hostsim::CommandRecord command(word, rest);
    deliver(session,
            hostsim::makeEvent(session.current, arguments.verb->code, asker.address(),
                               command.address()),
            result);
    return {arguments.values[0], std::to_string(asker.access()),
            isCommand ? word + (rest.empty() ? "" : " " + rest)
            : rest.empty() ? ""
                           : " on \"" + rest + "\""};
}

// A raw event parameter: a number, @PLAYER's or %FLAG's record address, or null (0). Where
// the plug-in reads through the parameter, only a record of the kind it reads, or null: any
// other number would have it read memory that is not a record.
Word parameter(Session& session, std::uint32_t code, std::size_t index, const std::string& word) {
    const EventName* event = eventNamed(code);
    const char reads = event != nullptr && index < std::string(event->reads).size()
                           ? event->reads[index]
                           : '-';
    const char first = word.empty() ? '\0' : word[0];
    const std::string where = "p" + std::to_string(index + 1) + " of event " + std::to_string(code);
    if (word == "null") {
        return 0;
    }
    if (reads == 'P' && first != '@') {
        throw ScenarioError(where + " is read as a player's address: give @NAME or null");
    }
    if (reads == 'F' && first != '%') {
        throw ScenarioError(where + " is read as a flag's address: give %FLAG or null");
    }
    if (reads == 'C') {
        throw ScenarioError(where + " is read as a command's address: give null, or use "
                                    "'command' or 'ask'");
    }
    if (reads == 'H') {
        throw ScenarioError(where + " is read as an address: give null, or use 'init'");
    }
    if (first == '@') {
        return player(session, word.substr(1)).address();
    }
    if (first == '%') {
        return flag(session, word.substr(1)).record->address();
    }
    if (first == '-') {
        return static_cast<Word>(
            static_cast<std::uint32_t>(parseNumber(word, INT32_MIN, 0, "parameter")));
    }
    constexpr std::uint64_t widest = UINTPTR_MAX < INT64_MAX ? UINTPTR_MAX : INT64_MAX;
    return static_cast<Word>(parseNumber(word, 0, static_cast<std::int64_t>(widest), "parameter"));
}

Fills deliverRaw(Session& session, const Arguments& arguments, LineResult& result) {
    const std::string& name = arguments.values[0];
    std::uint32_t code = NoEvent;
    for (const EventName& event : Events) {
        code = name == event.name ? event.code : code;
    }
    if (code == NoEvent) {
        code = static_cast<std::uint32_t>(parseNumber(name, 0, UINT32_MAX, "event code or name"));
    }
    if (arguments.values.size() > 7) {
        throw ScenarioError("an event has at most six parameters");
    }
    Word parameters[6] = {};
    std::string given;
    for (std::size_t at = 1; at < arguments.values.size(); ++at) {
        parameters[at - 1] = parameter(session, code, at - 1, arguments.values[at]);
        given += (at == 1 ? " with " : " ") + arguments.values[at];
    }
    deliver(session,
            hostsim::makeEvent(session.current, code, parameters[0], parameters[1],
                               parameters[2], parameters[3], parameters[4], parameters[5]),
            result);
    const EventName* event = eventNamed(code);
    return {std::to_string(code), event != nullptr ? event->name : "unknown to the plug-in", given};
}

Fills showState(Session& session, const Arguments&, LineResult& result) {
    result.output = describeState(session);
    return {};
}

Fills showHelp(Session& session, const Arguments& arguments, LineResult& result);

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
    {"effects", "on|off",
     "the game server carries out \"*setfreq N\" (moves the player, then reports the change) "
     "and shows \"*arena\" lines to the arena",
     Group::Setup, NoEvent, "game-server effects {}", switchEffects},
    {"init", "[MAJOR.MINOR] [no-callback] [no-lists]", "the handshake (version 6.5 by default)",
     Group::Event, hostsim::CodeInit, "the bot connects: the host offers the handshake as version {}{}",
     initialise},
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
    {"flag-drop", "", "a drop reported, nothing else changes", Group::Event,
     hostsim::CodeFlagDrop, "the host reports a flag drop, and nothing else changes",
     deliverPlain},
    {"game-over", "", "the flag game is over", Group::Event, hostsim::CodeFlagGameOver,
     "the flag game is over", deliverPlain},
    {"flag-reset", "", "the flags are reset", Group::Event, hostsim::CodeFlagReset,
     "the flags are reset", deliverPlain},
    {"command", "NAME WORD [REST]", "a chat command, typed as a player types it: command Ace !about",
     Group::Event, hostsim::CodeCommand, "{} (access {}) types the command !{}", askPlugin},
    {"ask", "NAME [TOPIC]", "a help request, with a topic or without", Group::Event,
     hostsim::CodeHelp, "{} (access {}) asks for help{}", askPlugin},
    {"event", "CODE [PARAMETER...]",
     "any event by number or name (help events), up to six parameters: a number, @PLAYER, "
     "%FLAG or null",
     Group::Event, NoEvent, "the host sends event {} ({}){}", deliverRaw},
    {"state", "", "every bot's arena as the host sees it", Group::Looking, NoEvent,
     "the arenas, as the host sees them:", showState},
    {"help", "[VERB]", "the verbs; help VERB explains one, help events lists the event codes",
     Group::Looking, NoEvent, "", showHelp},
    {"quit", "", "end the session", Group::Looking, NoEvent, "", quit},
    {"exit", "", "end the session", Group::Looking, NoEvent, "", quit},
};

// The words of `line` read against `verb`'s arguments; throws naming the usage when they do
// not fit.
Arguments readArguments(const Verb& verb, const std::vector<std::string>& words) {
    const std::string usage = "usage: " + std::string(verb.name) +
                              (*verb.arguments != '\0' ? " " : "") + verb.arguments;
    std::size_t required = 0, optional = 0;
    bool endless = false;
    std::map<std::string, bool> keywords; // keyword -> takes a value
    const std::vector<std::string> pattern = splitWords(verb.arguments);
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        const std::string& element = pattern[at];
        const bool closed = element.back() == ']';
        if (element[0] != '[') {
            ++required;
        } else if (element.find("...") != std::string::npos) {
            endless = true;
        } else if (std::isupper(static_cast<unsigned char>(element[1]))) {
            ++optional;
        } else {
            keywords[element.substr(1, element.size() - (closed ? 2 : 1))] = !closed;
            at += closed ? 0 : 1;
        }
    }
    Arguments arguments{&verb, {}, {}};
    for (std::size_t at = 1; at < words.size(); ++at) {
        const auto keyword = keywords.find(words[at]);
        if (arguments.values.size() >= required && keyword != keywords.end()) {
            if (keyword->second && at + 1 >= words.size()) {
                throw ScenarioError(quoted(words[at]) + " needs a value");
            }
            const std::string& key = words[at];
            at += keyword->second ? 1u : 0u;
            arguments.fields[key] = keyword->second ? words[at] : "";
        } else if (endless || arguments.values.size() < required + optional) {
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

const Verb* verbNamed(const std::string& name) {
    for (const Verb& verb : Verbs) {
        if (name == verb.name) {
            return &verb;
        }
    }
    return nullptr;
}

// "  NAME ARGUMENTS   help", the help starting in column 36 or on a line of its own.
std::vector<std::string> verbLines(const Verb& verb) {
    std::string head = "  " + std::string(verb.name) + " " + verb.arguments;
    if (head.size() < 35) {
        return {head + std::string(36 - head.size(), ' ') + verb.help};
    }
    return {head, std::string(36, ' ') + verb.help};
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

Fills showHelp(Session&, const Arguments& arguments, LineResult& result) {
    std::vector<std::string>& lines = result.output;
    const std::string topic = arguments.values.empty() ? "" : arguments.values[0];
    if (topic == "events") {
        lines.push_back("Event codes, for 'event CODE|NAME [PARAMETER...]':");
        for (const EventName& event : Events) {
            std::string line = "  " + std::to_string(event.code) + " " + event.name;
            for (std::size_t index = 0; event.reads[index] != '\0'; ++index) {
                const char reads = event.reads[index];
                line += reads == '-'   ? ""
                        : reads == 'P' ? "  p1 @PLAYER"
                        : reads == 'F' ? "  p2 %FLAG"
                        : reads == 'C' ? "  p2 a command (use 'command' or 'ask')"
                        : index == 1   ? "  p2 to p4 host addresses (use 'init')"
                                       : "";
            }
            lines.push_back(line);
        }
        lines.push_back("Any other code reaches the plug-in too; its parameters take any number.");
        return {};
    }
    if (const Verb* verb = verbNamed(topic)) {
        lines = verbLines(*verb);
        lines.push_back(verb->code == NoEvent ? "  (the plug-in is not told)"
                                              : "  (delivers event " + std::to_string(verb->code) +
                                                    ", " + eventNamed(verb->code)->name + ")");
        return {};
    }
    if (!topic.empty() && topic != "expected") {
        throw ScenarioError("no help on " + quoted(topic) + " (try 'help')");
    }
    const char* headings[] = {"Arena setup, the plug-in is not told:",
                              "Events delivered to the plug-in:", "Looking:"};
    for (const Group group : {Group::Setup, Group::Event, Group::Looking}) {
        lines.push_back(headings[static_cast<int>(group)]);
        for (const Verb& verb : Verbs) {
            if (verb.group == group) {
                const std::vector<std::string> more = verbLines(verb);
                lines.insert(lines.end(), more.begin(), more.end());
            }
        }
    }
    lines.insert(lines.end(), std::begin(ExpectedLineHelp), std::end(ExpectedLineHelp));
    return {};
}

} // namespace

LineResult perform(Session& session, const std::string& line) {
    LineResult result;
    const std::vector<std::string> words = splitWords(line);
    if (words.empty()) {
        return result;
    }
    const Verb* verb = verbNamed(words[0]);
    if (verb == nullptr) {
        throw ScenarioError("unknown verb " + quoted(words[0]) + " (try 'help')");
    }
    const Fills fills = verb->act(session, readArguments(*verb, words), result);
    result.action = fillIn(verb->story, fills);
    result.acted = verb->group != Group::Looking;
    if (!result.acted) {
        result.story = result.output;
    }
    if (result.acted && session.bots.size() > 1 && verb->act != selectBot) {
        result.action.insert(0, "[bot " + std::to_string(session.current) + "] ");
    }
    return result;
}

} // namespace tarnhost
