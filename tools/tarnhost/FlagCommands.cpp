// The flag commands: flags on the field, their owners, grabs and drops. Each checks its whole
// line before it changes anything.
#include "LineWords.h"
#include "Phrases.h"
#include "Scenario.h"

#include <algorithm>

namespace tarnhost {

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

} // namespace tarnhost
