// The player commands: put players in the arena, change their records, move them, take them
// out. Each checks its whole line before it changes anything.
#include "LineWords.h"
#include "Phrases.h"
#include "Scenario.h"

namespace tarnhost {

void ScenarioSession::expectFreeIdent(std::uint16_t ident, const hostsim::PlayerRecord* except) {
    const hostsim::PlayerRecord* holder = arena().findPlayerByIdent(ident);
    if (holder != nullptr && holder != except) {
        throw ScenarioError("ident " + std::to_string(ident) + " is " + holder->name() +
                            "'s already on bot " + std::to_string(currentBot_));
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

} // namespace tarnhost
