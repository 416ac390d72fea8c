// The commands of the scenario language. Each checks everything it reads before it changes an
// arena or delivers an event, so a line that fails leaves every arena as it was.
#include "Phrases.h"
#include "Scenario.h"

#include <algorithm>

namespace tarnhost {

namespace {

using hostsim::Word;

constexpr char PlayerFieldsUsage[] = "[team N] [ship N] [ident N] [access N] [flags N]";

// The fields a player line may set, each present only when the line names it.
struct PlayerFields {
    bool hasTeam = false, hasShip = false, hasIdent = false, hasAccess = false, hasFlags = false;
    std::uint16_t team = 0, ident = 0, flagCount = 0;
    std::uint8_t ship = 0;
    std::int32_t access = 0;
};

// Reads "team N ship N ident N access N flags N" pairs from words[first] on; a field named twice
// keeps its last value. Throws on an unknown field, a missing value or a bad number.
PlayerFields parsePlayerFields(const std::vector<std::string>& words, std::size_t first) {
    PlayerFields fields;
    for (std::size_t at = first; at < words.size(); at += 2) {
        const std::string& key = words[at];
        if (at + 1 >= words.size()) {
            throw ScenarioError("'" + key + "' needs a value");
        }
        const std::string& value = words[at + 1];
        if (key == "team") {
            fields.hasTeam = true;
            fields.team = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "team"));
        } else if (key == "ship") {
            fields.hasShip = true;
            fields.ship = static_cast<std::uint8_t>(parseNumber(value, 0, 255, "ship"));
        } else if (key == "ident") {
            fields.hasIdent = true;
            fields.ident = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "ident"));
        } else if (key == "access") {
            fields.hasAccess = true;
            fields.access =
                static_cast<std::int32_t>(parseNumber(value, INT32_MIN, INT32_MAX, "access"));
        } else if (key == "flags") {
            fields.hasFlags = true;
            fields.flagCount = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "flags"));
        } else {
            throw ScenarioError("unknown player field '" + key +
                                "' (team, ship, ident, access or flags expected)");
        }
    }
    return fields;
}

// Writes the fields the line named into the record; the others keep their values.
void applyPlayerFields(const PlayerFields& fields, hostsim::PlayerRecord& record) {
    if (fields.hasTeam) {
        record.setTeam(fields.team);
    }
    if (fields.hasShip) {
        record.setShip(fields.ship);
    }
    if (fields.hasIdent) {
        record.setIdent(fields.ident);
    }
    if (fields.hasAccess) {
        record.setAccess(fields.access);
    }
    if (fields.hasFlags) {
        record.setFlagCount(fields.flagCount);
    }
}

// The fields a line named, in words ("team 4, ship 1, access 3"); empty when it named none.
std::string fieldsText(const PlayerFields& fields) {
    std::vector<std::string> parts;
    if (fields.hasTeam) {
        parts.push_back("team " + std::to_string(fields.team));
    }
    if (fields.hasShip) {
        parts.push_back(shipText(fields.ship));
    }
    if (fields.hasIdent) {
        parts.push_back("ident " + std::to_string(fields.ident));
    }
    if (fields.hasAccess) {
        parts.push_back("access " + std::to_string(fields.access));
    }
    if (fields.hasFlags) {
        parts.push_back("flag count " + std::to_string(fields.flagCount));
    }
    return parts.empty() ? std::string() : listText(parts);
}

// A flag team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t parseFlagTeam(const std::string& word) {
    if (word == "none") {
        return hostsim::NobodysTeam;
    }
    return static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

void expectCount(const std::vector<std::string>& words, std::size_t lowest, std::size_t highest,
                 const std::string& usage) {
    if (words.size() < lowest || words.size() > highest) {
        throw ScenarioError("usage: " + usage);
    }
}

// The code of a named event that carries no parameters, and what it means in words.
bool plainEvent(const std::string& name, std::uint32_t& code, std::string& meaning) {
    struct PlainEvent {
        const char* name;
        std::uint32_t code;
        const char* meaning;
    };
    static const PlainEvent events[] = {
        {"term", hostsim::CodeTerm, "the host disconnects the bot from the plug-in (term)"},
        {"tick", hostsim::CodeTick, "a clock tick"},
        {"arena-enter", hostsim::CodeArenaEnter, "the bot enters the arena"},
        {"arena-leave", hostsim::CodeArenaLeave, "the bot leaves the arena"},
        {"flag-drop", hostsim::CodeFlagDrop,
         "the host reports a flag drop, and nothing else changes"},
        {"game-over", hostsim::CodeFlagGameOver, "the flag game is over"},
        {"flag-reset", hostsim::CodeFlagReset, "the flags are reset"},
    };
    for (const PlainEvent& event : events) {
        if (name == event.name) {
            code = event.code;
            meaning = event.meaning;
            return true;
        }
    }
    return false;
}

// What the plug-in reads through a parameter of an inbound event, when it reads an address.
enum class AddressKind { None, Player, Flag, Command, HostOwned };

AddressKind addressKind(std::uint32_t code, std::size_t parameter) {
    switch (code) {
    case hostsim::CodeInit:
        return parameter >= 1 && parameter <= 3 ? AddressKind::HostOwned : AddressKind::None;
    case hostsim::CodePlayerEntering:
    case hostsim::CodePlayerChange:
    case hostsim::CodePlayerLeaving:
        return parameter == 0 ? AddressKind::Player : AddressKind::None;
    case hostsim::CodeCommand:
    case hostsim::CodeHelp:
        return parameter == 0   ? AddressKind::Player
               : parameter == 1 ? AddressKind::Command
                                : AddressKind::None;
    case hostsim::CodeFlagGrab:
        return parameter == 1 ? AddressKind::Flag : AddressKind::None;
    default:
        return AddressKind::None;
    }
}

// Refuses a word in a parameter the plug-in reads through unless it names a record of the right
// kind: any other number would have the plug-in read memory that is not a record, and end
// the session.
void expectAddressWord(std::uint32_t code, std::size_t parameter, const std::string& word) {
    const AddressKind kind = addressKind(code, parameter);
    const char first = word.empty() ? '\0' : word[0];
    const bool fits = kind == AddressKind::None || word == "null" ||
                      (kind == AddressKind::Player && first == '@') ||
                      (kind == AddressKind::Flag && first == '%');
    if (fits) {
        return;
    }
    const std::string where =
        "p" + std::to_string(parameter + 1) + " of event " + std::to_string(code);
    switch (kind) {
    case AddressKind::Player:
        throw ScenarioError(where + " is read as a player's address: give @NAME or null");
    case AddressKind::Flag:
        throw ScenarioError(where + " is read as a flag's address: give %FLAG or null");
    case AddressKind::Command:
        throw ScenarioError(where + " is read as a command's address: give null, or use "
                                    "'command' or 'help'");
    default:
        throw ScenarioError(where + " is read as an address: give null, or use 'init'");
    }
}

} // namespace

void ScenarioSession::expectFreeIdent(std::uint16_t ident, const hostsim::PlayerRecord* except) {
    const hostsim::PlayerRecord* holder = arena().findPlayerByIdent(ident);
    if (holder != nullptr && holder != except) {
        throw ScenarioError("ident " + std::to_string(ident) + " is " + holder->name() +
                            "'s already on bot " + std::to_string(currentBot_));
    }
}

// Puts the carrier's flags back on the field, owned by `team`, as a drop or a departure does.
void ScenarioSession::releaseCarriedFlags(const std::string& carrierName, std::uint16_t team) {
    BotFlags& botFlags = flags();
    for (auto carried = botFlags.carrier.begin(); carried != botFlags.carrier.end();) {
        if (carried->second == carrierName) {
            hostsim::FlagRecord& released = *botFlags.byName[carried->first];
            released.setTeam(team);
            arena().setFlagListed(released, true);
            carried = botFlags.carrier.erase(carried);
        } else {
            ++carried;
        }
    }
}

void ScenarioSession::definePlayer(const Words& words, bool arrives, LineResult& result) {
    expectCount(words, 2, 12, words[0] + " NAME " + PlayerFieldsUsage);
    const std::string& name = words[1];
    if (arena().findPlayer(name) != nullptr) {
        throw ScenarioError("player '" + name + "' is already in the arena of bot " +
                            std::to_string(currentBot_));
    }
    if (name.size() > hostsim::player_layout::longestName) {
        throw ScenarioError("name longer than " +
                            std::to_string(hostsim::player_layout::longestName) + " bytes");
    }
    const PlayerFields fields = parsePlayerFields(words, 2);
    if (fields.hasIdent) {
        expectFreeIdent(fields.ident, nullptr);
    }
    hostsim::PlayerRecord& record =
        arena().addPlayer(name, fields.hasIdent ? fields.ident : arena().freeIdent(), 0, 0);
    applyPlayerFields(fields, record);
    const std::string access =
        fields.hasAccess ? ", access " + std::to_string(fields.access) : std::string();
    if (arrives) {
        result.action = name + " arrives in the arena on " + placeText(record) + access;
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerEntering, record.address()),
                result);
    } else {
        result.action =
            name + " is in the arena on " + placeText(record) + access + " (set up quietly)";
    }
}

void ScenarioSession::setPlayer(const Words& words, LineResult& result) {
    expectCount(words, 3, 12, std::string("set NAME ") + PlayerFieldsUsage);
    hostsim::PlayerRecord& record = player(words[1]);
    const PlayerFields fields = parsePlayerFields(words, 2);
    if (fields.hasIdent) {
        expectFreeIdent(fields.ident, &record);
    }
    applyPlayerFields(fields, record);
    result.action = words[1] + "'s record now says " + fieldsText(fields) + " (changed quietly)";
}

void ScenarioSession::removePlayer(const Words& words, LineResult& result) {
    const std::string& verb = words[0];
    expectCount(words, 2, 2, verb + " NAME");
    hostsim::PlayerRecord& record = player(words[1]);
    if (verb == "depart") {
        result.action = words[1] + " leaves the arena";
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerLeaving, record.address()),
                result);
    } else {
        result.action = words[1] + " is taken off the host's player list (quietly)";
    }
    releaseCarriedFlags(words[1], record.team());
    if (record.flagCount() != 0) {
        result.action += "; the flags " + words[1] + " carried lie on the field";
    }
    arena().removePlayer(record);
}

void ScenarioSession::changePlayer(const Words& words, LineResult& result) {
    expectCount(words, 4, 6, "change NAME [team N] [ship N]");
    hostsim::PlayerRecord& record = player(words[1]);
    const PlayerFields fields = parsePlayerFields(words, 2);
    if (fields.hasIdent || fields.hasAccess || fields.hasFlags) {
        throw ScenarioError("change moves a player's team or ship only");
    }
    const std::uint16_t previousTeam = record.team();
    const std::uint8_t previousShip = record.ship();
    std::vector<std::string> now, before;
    if (fields.hasTeam && fields.team != previousTeam) {
        now.push_back("team " + std::to_string(fields.team));
        before.push_back("team " + std::to_string(previousTeam));
    }
    if (fields.hasShip && fields.ship != previousShip) {
        now.push_back(shipText(fields.ship));
        before.push_back(shipText(previousShip));
    }
    applyPlayerFields(fields, record);
    result.action =
        now.empty() ? words[1] + " is reported changed but stays on " + placeText(record)
                    : words[1] + " changes to " + listText(now) + " (was " + listText(before) + ")";
    deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerChange, record.address(),
                               previousTeam, previousShip),
            result);
}

void ScenarioSession::addFlag(const Words& words, LineResult& result) {
    expectCount(words, 2, 4, "flag NAME [team N|none]");
    if (flags().byName.count(words[1]) != 0) {
        throw ScenarioError("flag '" + words[1] + "' already exists on bot " +
                            std::to_string(currentBot_));
    }
    std::uint16_t team = hostsim::NobodysTeam;
    if (words.size() > 2) {
        if (words[2] != "team" || words.size() != 4) {
            throw ScenarioError("usage: flag NAME [team N|none]");
        }
        team = parseFlagTeam(words[3]);
    }
    flags().byName[words[1]] = &arena().addFlag(team);
    flags().order.push_back(words[1]);
    result.action = "flag " + words[1] + " lies on the field, owned by " + flagOwnerText(team);
}

void ScenarioSession::removeFlag(const Words& words, LineResult& result) {
    expectCount(words, 2, 2, "remove-flag FLAG");
    hostsim::FlagRecord& record = flag(words[1]);
    const auto carried = flags().carrier.find(words[1]);
    if (carried != flags().carrier.end()) {
        hostsim::PlayerRecord* carrier = arena().findPlayer(carried->second);
        if (carrier != nullptr && carrier->flagCount() != 0) {
            carrier->setFlagCount(static_cast<std::uint16_t>(carrier->flagCount() - 1));
        }
        flags().carrier.erase(carried);
    }
    arena().removeFlag(record);
    flags().byName.erase(words[1]);
    flags().order.erase(std::find(flags().order.begin(), flags().order.end(), words[1]));
    result.action = "flag " + words[1] + " is taken out of the game (quietly)";
}

void ScenarioSession::grabFlag(const Words& words, LineResult& result) {
    expectCount(words, 3, 3, "grab NAME FLAG");
    hostsim::PlayerRecord& carrier = player(words[1]);
    hostsim::FlagRecord& grabbed = flag(words[2]);
    if (flags().carrier.count(words[2]) != 0) {
        throw ScenarioError("flag '" + words[2] + "' is carried by " + flags().carrier[words[2]]);
    }
    result.action = words[1] + " (team " + std::to_string(carrier.team()) + ") grabs flag " +
                    words[2] + ", owned by " + flagOwnerText(grabbed.team());
    // The host reports the grab while the flag is still on its list; the plug-in leaves it out.
    carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
    deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagGrab, carrier.address(),
                               grabbed.address()),
            result);
    grabbed.setTeam(carrier.team());
    arena().setFlagListed(grabbed, false);
    flags().carrier[words[2]] = words[1];
}

void ScenarioSession::dropFlags(const Words& words, LineResult& result) {
    expectCount(words, 2, 2, "drop NAME");
    hostsim::PlayerRecord& carrier = player(words[1]);
    std::vector<std::string> dropped;
    for (const auto& [flagName, carrierName] : flags().carrier) {
        if (carrierName == words[1]) {
            dropped.push_back(flagName);
        }
    }
    result.action = dropped.empty()
                        ? words[1] + " drops no flag (the host reports a drop all the same)"
                        : words[1] + " drops " + (dropped.size() == 1 ? "flag " : "flags ") +
                              listText(dropped) + ", now owned by team " +
                              std::to_string(carrier.team());
    releaseCarriedFlags(words[1], carrier.team());
    carrier.setFlagCount(0);
    deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagDrop), result);
}

void ScenarioSession::initialise(const Words& words, LineResult& result) {
    expectCount(words, 1, 4, "init [MAJOR.MINOR] [no-callback] [no-lists]");
    std::uint32_t major = 6, minor = 5;
    bool withCallback = true, withLists = true;
    for (std::size_t at = 1; at < words.size(); ++at) {
        const std::size_t dot = words[at].find('.');
        if (words[at] == "no-callback") {
            withCallback = false;
        } else if (words[at] == "no-lists") {
            withLists = false;
        } else if (dot != std::string::npos) {
            major = static_cast<std::uint32_t>(
                parseNumber(words[at].substr(0, dot), 0, 65535, "major version"));
            minor = static_cast<std::uint32_t>(
                parseNumber(words[at].substr(dot + 1), 0, 65535, "minor version"));
        } else {
            throw ScenarioError("usage: init [MAJOR.MINOR] [no-callback] [no-lists]");
        }
    }
    result.action = "the bot connects: the host offers the handshake as version " +
                    std::to_string(major) + "." + std::to_string(minor) +
                    (withCallback ? "" : ", without a callback") +
                    (withLists ? "" : ", without its player and flag lists");
    hostsim::Arena& botArena = arena();
    deliver(hostsim::makeEvent(currentBot_, hostsim::CodeInit, hostsim::versionWord(major, minor),
                               withCallback ? reinterpret_cast<Word>(&hostsim::Host::receive) : 0,
                               withLists ? botArena.playerList().headAddress() : 0,
                               withLists ? botArena.flagList().headAddress() : 0),
            result);
    BotStatus& status = status_[currentBot_];
    status.handshakeDelivered = true;
    status.handshakeAnswer.clear();
    for (const hostsim::SentEvent& sent : host_.sent()) {
        if (sent.handle == currentBot_ && sent.isEcho()) {
            status.handshakeAnswer = sent.text;
            break;
        }
    }
}

void ScenarioSession::selectBot(const Words& words, LineResult& result) {
    expectCount(words, 2, 2, "bot HANDLE");
    currentBot_ = static_cast<std::uint32_t>(parseNumber(words[1], 0, UINT32_MAX, "handle"));
    arena();
    result.action = "switch to bot " + std::to_string(currentBot_) +
                    ": its own arena, and its own state in the plug-in";
    if (automaticInit_ && !status_[currentBot_].handshakeDelivered) {
        const LineResult handshake = initialiseCurrentBot();
        result.action += "; tarnhost delivers its handshake (init)";
        result.delivered = true;
        result.output = handshake.output;
        result.story = handshake.story;
    }
}

void ScenarioSession::askPlugin(const Words& words, LineResult& result) {
    const bool isCommand = words[0] == "command";
    expectCount(words, isCommand ? 3 : 2, isCommand ? 4 : 3,
                isCommand ? "command NAME WORD [REST]" : "help NAME [TOPIC]");
    hostsim::PlayerRecord& asker = player(words[1]);
    const std::string word = isCommand ? words[2] : "help";
    const std::string rest = words.size() > (isCommand ? 3u : 2u) ? words.back() : "";
    const std::string who = words[1] + " (access " + std::to_string(asker.access()) + ") ";
    result.action = isCommand
                        ? who + "types the command !" + word + (rest.empty() ? "" : " " + rest)
                    : rest.empty() ? who + "asks for help"
                                   : who + "asks for help on \"" + rest + "\"";
    commands_.push_back(std::make_unique<hostsim::CommandRecord>(word, rest));
    deliver(hostsim::makeEvent(currentBot_, isCommand ? hostsim::CodeCommand : hostsim::CodeHelp,
                               asker.address(), commands_.back()->address()),
            result);
    commands_.clear();
}

void ScenarioSession::deliverRawEvent(const Words& words, LineResult& result) {
    expectCount(words, 2, 8, "event CODE [P1 ... P6]");
    const auto eventCode = static_cast<std::uint32_t>(parseNumber(words[1], 0, UINT32_MAX, "code"));
    Word parameters[6] = {};
    for (std::size_t at = 2; at < words.size(); ++at) {
        expectAddressWord(eventCode, at - 2, words[at]);
        parameters[at - 2] = parameter(words[at]);
    }
    result.action =
        "the host sends event " + std::to_string(eventCode) + " (" + eventName(eventCode) + ")";
    for (std::size_t at = 2; at < words.size(); ++at) {
        result.action += (at == 2 ? " with " : " ") + words[at];
    }
    deliver(hostsim::makeEvent(currentBot_, eventCode, parameters[0], parameters[1], parameters[2],
                               parameters[3], parameters[4], parameters[5]),
            result);
}

Word ScenarioSession::parameter(const std::string& word) {
    if (word == "null") {
        return 0;
    }
    if (!word.empty() && word[0] == '@') {
        return player(word.substr(1)).address();
    }
    if (!word.empty() && word[0] == '%') {
        return flag(word.substr(1)).address();
    }
    if (!word.empty() && word[0] == '-') {
        return static_cast<Word>(
            static_cast<std::uint32_t>(parseNumber(word, INT32_MIN, 0, "parameter")));
    }
    constexpr std::uint64_t widest = UINTPTR_MAX < INT64_MAX ? UINTPTR_MAX : INT64_MAX;
    return static_cast<Word>(parseNumber(word, 0, static_cast<std::int64_t>(widest), "parameter"));
}

void ScenarioSession::carryOut(const Words& words, LineResult& result) {
    const std::string& verb = words[0];
    std::uint32_t code = 0;
    std::string meaning;
    if (verb == "bot") {
        selectBot(words, result);
    } else if (verb == "effects") {
        expectCount(words, 2, 2, "effects on|off");
        if (words[1] != "on" && words[1] != "off") {
            throw ScenarioError("usage: effects on|off");
        }
        serverEffects_ = words[1] == "on";
        result.action = serverEffects_ ? "game-server effects on: the server carries out "
                                         "\"*setfreq\" and shows \"*arena\" lines"
                                       : "game-server effects off: lines are only recorded";
    } else if (verb == "player" || verb == "arrive") {
        definePlayer(words, verb == "arrive", result);
    } else if (verb == "set") {
        setPlayer(words, result);
    } else if (verb == "remove" || verb == "depart") {
        removePlayer(words, result);
    } else if (verb == "change") {
        changePlayer(words, result);
    } else if (verb == "flag") {
        addFlag(words, result);
    } else if (verb == "flag-team") {
        expectCount(words, 3, 3, "flag-team FLAG N|none");
        hostsim::FlagRecord& record = flag(words[1]);
        const std::uint16_t team = parseFlagTeam(words[2]);
        record.setTeam(team);
        result.action =
            "flag " + words[1] + " now belongs to " + flagOwnerText(team) + " (changed quietly)";
    } else if (verb == "remove-flag") {
        removeFlag(words, result);
    } else if (verb == "grab") {
        grabFlag(words, result);
    } else if (verb == "drop") {
        dropFlags(words, result);
    } else if (verb == "flag-grab") {
        expectCount(words, 2, 2, "flag-grab FLAG");
        const Word grabbed = flag(words[1]).address();
        result.action = "the host reports a grab of flag " + words[1] + ", and nothing changes";
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagGrab, 0, grabbed), result);
    } else if (verb == "init") {
        initialise(words, result);
    } else if (plainEvent(verb, code, meaning)) {
        expectCount(words, 1, 1, verb);
        result.action = meaning;
        deliver(hostsim::makeEvent(currentBot_, code), result);
    } else if (verb == "command" || verb == "help") {
        askPlugin(words, result);
    } else if (verb == "event") {
        deliverRawEvent(words, result);
    } else {
        throw ScenarioError("unknown command '" + verb + "' (try 'help')");
    }
}

} // namespace tarnhost
