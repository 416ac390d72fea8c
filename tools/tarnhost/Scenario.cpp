#include "Scenario.h"

#include <algorithm>
#include <sstream>

namespace tarnhost {

namespace {

using hostsim::Word;

// The longest chain of server effects one line may set off, so a plug-in and a server that keep
// answering each other cannot hang the session.
constexpr int LongestEffectChain = 64;

constexpr char SetTeamCommand[] = "*setfreq ";
constexpr char ArenaCommand[] = "*arena ";

// The fields a player line may set, each present only when the line names it.
struct PlayerFields {
    bool hasTeam = false, hasShip = false, hasIdent = false, hasAccess = false, hasFlags = false;
    std::uint16_t team = 0, ident = 0, flagCount = 0;
    std::uint8_t ship = 0;
    std::int32_t access = 0;
};

// Reads "team N ship N ident N access N flags N" pairs from words[first] on.
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

// A flag team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t parseFlagTeam(const std::string& word) {
    if (word == "none") {
        return hostsim::NobodysTeam;
    }
    return static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

std::string flagTeamText(std::uint16_t team) {
    return team == hostsim::NobodysTeam ? std::string("none") : std::to_string(team);
}

void expectCount(const std::vector<std::string>& words, std::size_t lowest, std::size_t highest,
                 const std::string& usage) {
    if (words.size() < lowest || words.size() > highest) {
        throw ScenarioError("usage: " + usage);
    }
}

// The code of a named event that carries no parameters.
bool plainEventCode(const std::string& name, std::uint32_t& code) {
    static const std::map<std::string, std::uint32_t> codes = {
        {"term", hostsim::CodeTerm},
        {"tick", hostsim::CodeTick},
        {"arena-enter", hostsim::CodeArenaEnter},
        {"arena-leave", hostsim::CodeArenaLeave},
        {"flag-drop", hostsim::CodeFlagDrop},
        {"game-over", hostsim::CodeFlagGameOver},
        {"flag-reset", hostsim::CodeFlagReset},
    };
    const auto found = codes.find(name);
    if (found == codes.end()) {
        return false;
    }
    code = found->second;
    return true;
}

} // namespace

ScenarioSession::ScenarioSession(hostsim::EventFunction talk) : host_(talk) {
    host_.onSend = [this](const hostsim::SentEvent& sent) {
        if (collecting_ != nullptr) {
            collecting_->push_back(describe(sent));
        }
        if (serverEffects_ && sent.isPrivate() && sent.text.rfind(SetTeamCommand, 0) == 0) {
            pendingEffects_.push_back(sent);
        }
        if (serverEffects_ && sent.isPublic() && sent.text.rfind(ArenaCommand, 0) == 0 &&
            collecting_ != nullptr) {
            collecting_->push_back(std::string("server: every player reads \"") +
                                   sent.text.substr(sizeof ArenaCommand - 1) + "\"");
        }
    };
}

bool ScenarioSession::isExpectation(const std::string& line, std::string& expected) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '>') {
        return false;
    }
    expected = line.substr(first + 1);
    if (!expected.empty() && expected[0] == ' ') {
        expected.erase(0, 1);
    }
    while (!expected.empty() && (expected.back() == '\r' || expected.back() == '\n')) {
        expected.pop_back();
    }
    return true;
}

hostsim::PlayerRecord& ScenarioSession::player(const std::string& name) {
    hostsim::PlayerRecord* record = arena().findPlayer(name);
    if (record == nullptr) {
        throw ScenarioError("unknown player '" + name + "' on bot " + std::to_string(currentBot_));
    }
    return *record;
}

hostsim::FlagRecord& ScenarioSession::flag(const std::string& name) {
    auto found = flags().byName.find(name);
    if (found == flags().byName.end()) {
        throw ScenarioError("unknown flag '" + name + "' on bot " + std::to_string(currentBot_));
    }
    return *found->second;
}

std::string ScenarioSession::describe(const hostsim::SentEvent& sent) {
    std::string line = sent.handle == 1 ? "" : "[bot " + std::to_string(sent.handle) + "] ";
    if (sent.isEcho()) {
        return line + "console: " + sent.text;
    }
    if (sent.isPublic()) {
        return line + "arena: " + sent.text;
    }
    if (sent.isPrivate()) {
        const hostsim::PlayerRecord* target =
            host_.arena(sent.handle).findPlayerByIdent(sent.target());
        const std::string name =
            target != nullptr ? target->name() : "#" + std::to_string(sent.target());
        return line + "to " + name + ": " + sent.text;
    }
    std::ostringstream raw;
    raw << line << "event code " << sent.code;
    for (Word parameter : sent.parameters) {
        raw << ' ' << parameter;
    }
    return raw.str();
}

void ScenarioSession::deliver(const hostsim::HostEvent& event, std::vector<std::string>& output) {
    std::vector<std::string>* outer = collecting_;
    collecting_ = &output;
    host_.deliver(event);
    for (int chain = 0; chain < LongestEffectChain && !pendingEffects_.empty(); ++chain) {
        const hostsim::SentEvent effect = pendingEffects_.front();
        pendingEffects_.pop_front();
        hostsim::Arena& botArena = host_.arena(effect.handle);
        hostsim::PlayerRecord* target = botArena.findPlayerByIdent(effect.target());
        const std::string number = effect.text.substr(sizeof SetTeamCommand - 1);
        std::int64_t team = 0;
        try {
            team = parseNumber(number, 0, 65535, "team");
        } catch (const ScenarioError&) {
            output.push_back("server: ignores \"" + effect.text + "\" (not a team number)");
            continue;
        }
        if (target == nullptr) {
            output.push_back("server: ignores \"" + effect.text + "\" (no such player)");
            continue;
        }
        const std::uint16_t previousTeam = target->team();
        target->setTeam(static_cast<std::uint16_t>(team));
        output.push_back("server: moves " + target->name() + " to team " + number);
        host_.deliver(hostsim::makeEvent(effect.handle, hostsim::CodePlayerChange,
                                         target->address(), previousTeam, target->ship()));
    }
    pendingEffects_.clear();
    collecting_ = outer;
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

void ScenarioSession::definePlayer(const Words& words, bool arrives, LineResult& result) {
    expectCount(words, 2, 12, words[0] + " NAME [team N] [ship N] [ident N] [access N] [flags N]");
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
    hostsim::PlayerRecord& record =
        arena().addPlayer(name, fields.hasIdent ? fields.ident : arena().freeIdent(), 0, 0);
    applyPlayerFields(fields, record);
    if (arrives) {
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerEntering, record.address()),
                result.output);
    }
}

void ScenarioSession::carryOut(const Words& words, LineResult& result) {
    const std::string& verb = words[0];
    std::uint32_t code = 0;
    if (verb == "bot") {
        expectCount(words, 2, 2, "bot HANDLE");
        currentBot_ = static_cast<std::uint32_t>(parseNumber(words[1], 0, UINT32_MAX, "handle"));
        host_.arena(currentBot_);
    } else if (verb == "effects") {
        expectCount(words, 2, 2, "effects on|off");
        if (words[1] != "on" && words[1] != "off") {
            throw ScenarioError("usage: effects on|off");
        }
        serverEffects_ = words[1] == "on";
    } else if (verb == "player" || verb == "arrive") {
        definePlayer(words, verb == "arrive", result);
    } else if (verb == "set") {
        expectCount(words, 3, 12, "set NAME [team N] [ship N] [ident N] [access N] [flags N]");
        hostsim::PlayerRecord& record = player(words[1]);
        applyPlayerFields(parsePlayerFields(words, 2), record);
    } else if (verb == "remove" || verb == "depart") {
        expectCount(words, 2, 2, verb + " NAME");
        hostsim::PlayerRecord& record = player(words[1]);
        if (verb == "depart") {
            deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerLeaving, record.address()),
                    result.output);
        }
        BotFlags& botFlags = flags();
        for (auto carried = botFlags.carrier.begin(); carried != botFlags.carrier.end();) {
            if (carried->second == words[1]) {
                arena().setFlagListed(*botFlags.byName[carried->first], true);
                carried = botFlags.carrier.erase(carried);
            } else {
                ++carried;
            }
        }
        arena().removePlayer(record);
    } else if (verb == "change") {
        expectCount(words, 4, 6, "change NAME [team N] [ship N]");
        hostsim::PlayerRecord& record = player(words[1]);
        const PlayerFields fields = parsePlayerFields(words, 2);
        if (fields.hasIdent || fields.hasAccess || fields.hasFlags) {
            throw ScenarioError("change moves a player's team or ship only");
        }
        const std::uint16_t previousTeam = record.team();
        const std::uint8_t previousShip = record.ship();
        applyPlayerFields(fields, record);
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodePlayerChange, record.address(),
                                   previousTeam, previousShip),
                result.output);
    } else if (verb == "flag") {
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
    } else if (verb == "flag-team") {
        expectCount(words, 3, 3, "flag-team FLAG N|none");
        hostsim::FlagRecord& record = flag(words[1]);
        record.setTeam(parseFlagTeam(words[2]));
    } else if (verb == "remove-flag") {
        expectCount(words, 2, 2, "remove-flag FLAG");
        hostsim::FlagRecord& record = flag(words[1]);
        arena().removeFlag(record);
        flags().byName.erase(words[1]);
        flags().carrier.erase(words[1]);
        flags().order.erase(std::find(flags().order.begin(), flags().order.end(), words[1]));
    } else if (verb == "grab") {
        expectCount(words, 3, 3, "grab NAME FLAG");
        hostsim::PlayerRecord& carrier = player(words[1]);
        hostsim::FlagRecord& grabbed = flag(words[2]);
        if (flags().carrier.count(words[2]) != 0) {
            throw ScenarioError("flag '" + words[2] + "' is carried by " +
                                flags().carrier[words[2]]);
        }
        carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagGrab, carrier.address(),
                                   grabbed.address()),
                result.output);
        grabbed.setTeam(carrier.team());
        arena().setFlagListed(grabbed, false);
        flags().carrier[words[2]] = words[1];
    } else if (verb == "drop") {
        expectCount(words, 2, 2, "drop NAME");
        hostsim::PlayerRecord& carrier = player(words[1]);
        BotFlags& botFlags = flags();
        for (auto carried = botFlags.carrier.begin(); carried != botFlags.carrier.end();) {
            if (carried->second == words[1]) {
                hostsim::FlagRecord& dropped = *botFlags.byName[carried->first];
                dropped.setTeam(carrier.team());
                arena().setFlagListed(dropped, true);
                carried = botFlags.carrier.erase(carried);
            } else {
                ++carried;
            }
        }
        carrier.setFlagCount(0);
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagDrop), result.output);
    } else if (verb == "flag-grab") {
        expectCount(words, 2, 2, "flag-grab FLAG");
        deliver(hostsim::makeEvent(currentBot_, hostsim::CodeFlagGrab, 0, flag(words[1]).address()),
                result.output);
    } else if (verb == "init") {
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
        hostsim::Arena& botArena = arena();
        deliver(
            hostsim::makeEvent(currentBot_, hostsim::CodeInit, hostsim::versionWord(major, minor),
                               withCallback ? reinterpret_cast<Word>(&hostsim::Host::receive) : 0,
                               withLists ? botArena.playerList().headAddress() : 0,
                               withLists ? botArena.flagList().headAddress() : 0),
            result.output);
    } else if (plainEventCode(verb, code)) {
        expectCount(words, 1, 1, verb);
        deliver(hostsim::makeEvent(currentBot_, code), result.output);
    } else if (verb == "command" || verb == "help") {
        const bool isCommand = verb == "command";
        expectCount(words, isCommand ? 3 : 2, isCommand ? 4 : 3,
                    isCommand ? "command NAME WORD [REST]" : "help NAME [TOPIC]");
        hostsim::PlayerRecord& asker = player(words[1]);
        const std::string word = isCommand ? words[2] : "help";
        const std::string rest = words.size() > (isCommand ? 3u : 2u) ? words.back() : "";
        commands_.push_back(std::make_unique<hostsim::CommandRecord>(word, rest));
        deliver(hostsim::makeEvent(currentBot_,
                                   isCommand ? hostsim::CodeCommand : hostsim::CodeHelp,
                                   asker.address(), commands_.back()->address()),
                result.output);
        commands_.clear();
    } else if (verb == "event") {
        expectCount(words, 2, 8, "event CODE [P1 ... P6]");
        const auto eventCode =
            static_cast<std::uint32_t>(parseNumber(words[1], 0, UINT32_MAX, "code"));
        Word parameters[6] = {};
        for (std::size_t at = 2; at < words.size(); ++at) {
            parameters[at - 2] = parameter(words[at]);
        }
        deliver(hostsim::makeEvent(currentBot_, eventCode, parameters[0], parameters[1],
                                   parameters[2], parameters[3], parameters[4], parameters[5]),
                result.output);
    } else {
        throw ScenarioError("unknown command '" + verb + "' (try 'help')");
    }
}

LineResult ScenarioSession::perform(const std::string& line) {
    LineResult result;
    std::string expected;
    if (isExpectation(line, expected)) {
        return result;
    }
    const Words words = splitWords(line);
    if (words.empty()) {
        return result;
    }
    if (words.size() == 1 && words[0] == "help") {
        result.output = helpText();
        return result;
    }
    if (words.size() == 1 && words[0] == "state") {
        result.output = describeState();
        return result;
    }
    result.acted = true;
    carryOut(words, result);
    return result;
}

std::vector<std::string> ScenarioSession::describeState() {
    std::vector<std::string> lines;
    for (const auto& [handle, botArena] : host_.arenas()) {
        lines.push_back("bot " + std::to_string(handle) + ": " +
                        std::to_string(botArena->players().size()) + " players, " +
                        std::to_string(flags_[handle].order.size()) + " flags");
        for (const auto& record : botArena->players()) {
            std::string text =
                "  player " + record->name() + ": team " + std::to_string(record->team()) +
                ", ship " + std::to_string(record->ship()) +
                (record->ship() == hostsim::SpectatorShip ? " (spectating)" : "") + ", ident " +
                std::to_string(record->ident()) + ", access " + std::to_string(record->access());
            if (record->flagCount() != 0) {
                text += ", carries " + std::to_string(record->flagCount()) + " flag(s)";
            }
            lines.push_back(text);
        }
        BotFlags& botFlags = flags_[handle];
        for (const std::string& name : botFlags.order) {
            const auto carried = botFlags.carrier.find(name);
            lines.push_back("  flag " + name + ": team " +
                            flagTeamText(botFlags.byName[name]->team()) +
                            (carried != botFlags.carrier.end() ? ", carried by " + carried->second
                                                               : ", on the field"));
        }
    }
    return lines;
}

std::vector<std::string> ScenarioSession::helpText() {
    return {
        "Arena setup (no event is delivered):",
        "  bot HANDLE                       act on this bot from now on (default 1)",
        "  player NAME [team N] [ship N] [ident N] [access N] [flags N]",
        "                                   put a player in the arena",
        "  set NAME [team N] [ship N] [ident N] [access N] [flags N]",
        "                                   change a player's record silently",
        "  remove NAME                      take a player out silently",
        "  flag NAME [team N|none]          put a flag on the field",
        "  flag-team FLAG N|none            change a flag's owner silently",
        "  remove-flag FLAG                 take a flag away silently",
        "  effects on|off                   carry out \"*setfreq\" lines as a server would",
        "Events delivered to the plug-in:",
        "  init [MAJOR.MINOR] [no-callback] [no-lists]   handshake (default 6.5)",
        "  term | tick | arena-enter | arena-leave | game-over | flag-reset | flag-drop",
        "  flag-grab FLAG                   a grab event naming FLAG, nothing else changes",
        "  arrive NAME [fields as player]   a player enters the arena",
        "  depart NAME                      a player leaves the arena",
        "  change NAME [team N] [ship N]    a player changes team or ship",
        "  grab NAME FLAG                   a player picks a flag off the field",
        "  drop NAME                        a player drops every flag carried",
        "  command NAME WORD [REST]         a chat command (quote texts with blanks)",
        "  help NAME [TOPIC]                a help request (plain 'help' lists these commands)",
        "  event CODE [P1 ... P6]           any event; P is a number, @PLAYER, %FLAG or null",
        "  state                            show every bot's arena as the host sees it",
        "Lines starting with '>' state what the line before must print; '#' starts a comment.",
    };
}

} // namespace tarnhost
