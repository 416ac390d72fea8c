// The remaining commands of the scenario language (handshake, bots, chat requests, raw events)
// and the table that sends each line to its command. Each command checks everything it reads
// before it changes an arena or delivers an event, so a line that fails leaves every arena as
// it was.
#include "LineWords.h"
#include "Phrases.h"
#include "Scenario.h"

namespace tarnhost {

using hostsim::Word;

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
