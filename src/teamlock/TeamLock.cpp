#include "teamlock/TeamLock.h"

#include "bot/PlayerTags.h"
#include "bot/Senders.h"
#include "host/HostRecords.h"
#include "support/NumberFormat.h"
#include "support/Text.h"
#include "teamlock/FlagSurvey.h"

#include <memory>

namespace tarnwick {

namespace {

constexpr char AnnouncementOpening[] = "*arena Freq ";
constexpr char AnnouncementClosing[] = " LOCKED -- No freq-hopping.";
constexpr char PrivateAnnouncement[] = "*arena Private freq LOCKED -- No freq-hopping.";
// Locks on teams from this number up are announced without the number.
constexpr std::uint32_t PrivateTeamFloor = 100;

// Appends every non-spectating player on the locked team, in host list order, to the roster,
// and gives each a team pass.
void buildRoster(BotInstance& instance) {
    walkHostList(instance.playerList, [&instance](HostAddress player) {
        if (playerShip(player) == SpectatorShip || playerTeam(player) != instance.lockedTeam) {
            return;
        }
        instance.roster.append(std::make_unique<Text>(playerName(player)));
        setTag(instance.tags, player, TeamPassKey, TeamPassValue);
    });
}

// Sends the public announcement of the lock on `lockedTeam`.
void announceLock(BotInstance& instance) {
    if (instance.lockedTeam >= PrivateTeamFloor) {
        sendPublic(instance, PrivateAnnouncement);
        return;
    }
    const Text line = lineWithNumber(
        AnnouncementOpening, static_cast<std::int32_t>(instance.lockedTeam), AnnouncementClosing);
    sendPublic(instance, line.chars());
}

// Locks onto `team` afresh: drops every tag, rebuilds the roster and passes, then announces.
// A lock that cannot be built and announced in full for want of memory is lifted instead.
void imposeLock(BotInstance& instance, std::uint32_t team) {
    instance.locked = true;
    instance.lockedTeam = team;
    removeAllTags(instance.tags);
    instance.roster.clear();
    try {
        buildRoster(instance);
        announceLock(instance);
    } catch (...) {
        resetLock(instance);
        throw;
    }
}

// Applies a survey: lock, move, keep or lift. If the roster or the announcement cannot be built
// for want of memory the lock is lifted instead, so nobody is ever sent back on a half-built
// roster or an unannounced lock, and std::bad_alloc propagates.
void reevaluateLock(BotInstance& instance, const FlagSurvey& survey) {
    if (!survey.unanimous) {
        if (instance.locked) {
            resetLock(instance);
        }
        return;
    }
    if (instance.locked && instance.lockedTeam == survey.owner) {
        return;
    }
    imposeLock(instance, survey.owner);
}

} // namespace

void resetLock(BotInstance& instance) {
    instance.locked = false;
    removeAllTags(instance.tags);
    instance.roster.clear();
}

void handleArenaEnter(BotInstance& instance) {
    resetLock(instance);
    reevaluateLock(instance, surveyFlags(instance, 0));
}

void handleFlagChange(BotInstance& instance, HostAddress excludedFlag) {
    reevaluateLock(instance, surveyFlags(instance, excludedFlag));
}

} // namespace tarnwick
