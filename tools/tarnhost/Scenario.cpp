// The session's core: reading a line, delivering events, and the game server's effects.
#include "Scenario.h"

#include "Phrases.h"

#include <sstream>

namespace tarnhost {

namespace {

using hostsim::Word;

// The longest chain of server moves one line may set off, so a plug-in and a server that keep
// answering each other cannot hang the session.
constexpr int LongestEffectChain = 64;

constexpr char SetTeamCommand[] = "*setfreq ";
constexpr char ArenaCommand[] = "*arena ";

// Whether `text` begins with `prefix`.
bool startsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

} // namespace

ScenarioSession::ScenarioSession(hostsim::EventFunction talk) : host_(talk) {
    host_.onSend = [this](const hostsim::SentEvent& sent) { record(sent); };
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

bool ScenarioSession::isCommentLine(const std::string& line, std::string& text) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] != '#') {
        return false;
    }
    text = line.substr(first + 1);
    if (!text.empty() && text[0] == ' ') {
        text.erase(0, 1);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return true;
}

std::string ScenarioSession::knownPlayers() {
    std::vector<std::string> names;
    for (const auto& record : arena().players()) {
        names.push_back(record->name());
    }
    return listText(names);
}

hostsim::PlayerRecord& ScenarioSession::player(const std::string& name) {
    hostsim::PlayerRecord* record = arena().findPlayer(name);
    if (record == nullptr) {
        throw ScenarioError("unknown player '" + name + "' on bot " + std::to_string(currentBot_) +
                            " (players: " + knownPlayers() + ")");
    }
    return *record;
}

hostsim::FlagRecord& ScenarioSession::flag(const std::string& name) {
    auto found = flags().byName.find(name);
    if (found == flags().byName.end()) {
        throw ScenarioError("unknown flag '" + name + "' on bot " + std::to_string(currentBot_) +
                            " (flags: " + listText(flags().order) + ")");
    }
    return *found->second;
}

std::string ScenarioSession::botPrefix(std::uint32_t handle) const {
    return handle == 1 ? std::string() : "[bot " + std::to_string(handle) + "] ";
}

std::string ScenarioSession::storyPrefix(std::uint32_t handle) const {
    return handle == currentBot_ ? std::string() : "[bot " + std::to_string(handle) + "] ";
}

void ScenarioSession::say(LineResult& result, std::uint32_t handle, const std::string& shortForm,
                          const std::string& told) {
    result.output.push_back(botPrefix(handle) + shortForm);
    result.story.push_back(storyPrefix(handle) + told);
}

// Called inside the host's callback: notes the line, and queues the server's effect of a
// "*setfreq" line for after the callback has returned.
void ScenarioSession::record(const hostsim::SentEvent& sent) {
    if (sent.isPublic()) {
        status_[sent.handle].lastAnnouncement = sent.text;
    }
    if (collecting_ == nullptr) {
        return;
    }
    LineResult& result = *collecting_;
    if (sent.isEcho()) {
        say(result, sent.handle, "console: " + sent.text, "plug-in -> host console: " + sent.text);
    } else if (sent.isPublic()) {
        say(result, sent.handle, "arena: " + sent.text,
            "plug-in -> everybody, public chat: " + sent.text);
    } else if (sent.isPrivate()) {
        const hostsim::PlayerRecord* target =
            host_.arena(sent.handle).findPlayerByIdent(sent.target());
        const std::string name =
            target != nullptr ? target->name() : "#" + std::to_string(sent.target());
        say(result, sent.handle, "to " + name + ": " + sent.text,
            "plug-in -> " + name + ", privately: " + sent.text);
    } else {
        std::ostringstream raw;
        raw << "event code " << sent.code;
        for (Word parameter : sent.parameters) {
            raw << ' ' << parameter;
        }
        say(result, sent.handle, raw.str(), "plug-in -> host: " + raw.str());
    }
    if (!serverEffects_) {
        return;
    }
    if (sent.isPrivate() && startsWith(sent.text, SetTeamCommand)) {
        pendingEffects_.push_back(sent);
    }
    if (sent.isPublic() && startsWith(sent.text, ArenaCommand)) {
        const std::string message = sent.text.substr(sizeof ArenaCommand - 1);
        say(result, sent.handle, "server: every player reads \"" + message + "\"",
            "game server: every player in the arena reads \"" + message + "\"");
    }
}

void ScenarioSession::deliver(const hostsim::HostEvent& event, LineResult& result) {
    LineResult* outer = collecting_;
    collecting_ = &result;
    result.delivered = true;
    host_.clearSent();
    host_.deliver(event);
    carryOutEffects(result);
    collecting_ = outer;
}

// Carries out the queued "*setfreq" lines in order; each move is reported to the plug-in as a
// team change, which may queue further lines.
void ScenarioSession::carryOutEffects(LineResult& result) {
    int moves = 0;
    while (!pendingEffects_.empty()) {
        const hostsim::SentEvent effect = pendingEffects_.front();
        pendingEffects_.pop_front();
        if (moves == LongestEffectChain) {
            say(result, effect.handle,
                "server: stops after " + std::to_string(LongestEffectChain) + " moves",
                "game server: tarnhost stops carrying out \"*setfreq\" after " +
                    std::to_string(LongestEffectChain) +
                    " moves in one line: the plug-in and the server keep answering each other");
            break;
        }
        hostsim::PlayerRecord* target =
            host_.arena(effect.handle).findPlayerByIdent(effect.target());
        const std::string number = effect.text.substr(sizeof SetTeamCommand - 1);
        std::int64_t team = 0;
        try {
            team = parseNumber(number, 0, 65535, "team");
        } catch (const ScenarioError&) {
            say(result, effect.handle,
                "server: ignores \"" + effect.text + "\" (not a team number)",
                "game server: ignores \"" + effect.text + "\": not a team number");
            continue;
        }
        if (target == nullptr) {
            say(result, effect.handle, "server: ignores \"" + effect.text + "\" (no such player)",
                "game server: ignores \"" + effect.text + "\": no such player");
            continue;
        }
        const std::uint16_t previousTeam = target->team();
        if (previousTeam == team) {
            say(result, effect.handle,
                "server: " + target->name() + " is on team " + number + " already",
                "game server: " + target->name() + " is on team " + number +
                    " already, so nothing moves and the host reports no change");
            continue;
        }
        ++moves;
        target->setTeam(static_cast<std::uint16_t>(team));
        say(result, effect.handle, "server: moves " + target->name() + " to team " + number,
            "game server: moves " + target->name() + " to team " + number);
        result.story.push_back(storyPrefix(effect.handle) + "host -> plug-in: " + target->name() +
                               " changes to team " + number + " (was team " +
                               std::to_string(previousTeam) + ")");
        host_.deliver(hostsim::makeEvent(effect.handle, hostsim::CodePlayerChange,
                                         target->address(), previousTeam, target->ship()));
    }
    pendingEffects_.clear();
}

LineResult ScenarioSession::initialiseCurrentBot() {
    LineResult result;
    if (!status_[currentBot_].handshakeDelivered) {
        initialise({"init"}, result);
    }
    return result;
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
        result.output = result.story = helpText();
        return result;
    }
    if (words.size() == 1 && words[0] == "state") {
        result.action = "the arenas, as the host sees them:";
        result.output = result.story = describeState();
        return result;
    }
    carryOut(words, result);
    result.acted = true;
    if (host_.arenas().size() > 1 && words[0] != "bot") {
        result.action.insert(0, "[bot " + std::to_string(currentBot_) + "] ");
    }
    return result;
}

} // namespace tarnhost
