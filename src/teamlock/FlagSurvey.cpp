#include "teamlock/FlagSurvey.h"

#include "host/HostRecords.h"

namespace tarnwick {

namespace {

// Counts one carrier or flag of `team` towards the survey.
void countTeam(FlagSurvey& survey, std::uint32_t team) {
    if (team == survey.owner) {
        return;
    }
    if (survey.owner == NoTeamSeen) {
        survey.owner = team;
    } else {
        survey.unanimous = false;
    }
}

} // namespace

FlagSurvey surveyFlags(const BotInstance& instance, HostAddress excludedFlag) {
    FlagSurvey survey{true, NoTeamSeen};
    walkHostList(instance.playerList, [&survey](HostAddress player) {
        if (playerFlagCount(player) != 0) {
            countTeam(survey, playerTeam(player));
        }
    });
    walkHostList(instance.flagList, [&survey, excludedFlag](HostAddress flag) {
        if (flag != excludedFlag) {
            countTeam(survey, flagTeam(flag));
        }
    });
    if (survey.owner == UnownedTeam || survey.owner == NoTeamSeen) {
        survey.unanimous = false;
    }
    return survey;
}

} // namespace tarnwick
