#include "teamlock/TeamLock.h"

#include "bot/PlayerTags.h"
#include "bot/Senders.h"
#include "host/HostRecords.h"
#include "support/Allocation.h"
#include "support/NumberFormat.h"
#include "support/Text.h"
#include "teamlock/FlagSurvey.h"

#include <cassert>

namespace tarnwick {

namespace {

constexpr char AnnouncementOpening[] = "*arena Freq ";
constexpr char AnnouncementClosing[] = " LOCKED -- No freq-hopping.";
constexpr char PrivateAnnouncement[] = "*arena Private freq LOCKED -- No freq-hopping.";
// Locks on teams from this number up are announced without the number.
constexpr std::uint32_t PrivateTeamFloor = 100;

// A copy of `name` for the roster, or null when it cannot be allocated in full.
Text* rosterName(const char* name) {
    Text* copy = createOrNull<Text>(name);
    if (copy != nullptr && !copy->present()) {
        // `delete` tests its operand for null first; `copy` is not null here, so that branch of
        // the compiler's is never taken and is left out of the coverage count.
        delete copy; // GCOVR_EXCL_BR_LINE
        return nullptr;
    }
    return copy;
}

// Appends every non-spectating player on the locked team, in host list order, to the roster,
// and gives each a team pass. Runs only on emptied tags, so each pass is appended without a
// search and the rebuild stays one walk of the host's list. False as soon as a name or a pass
// cannot be allocated; the players after it are then left out.
bool buildRoster(BotInstance& instance) {
    assert(instance.tags.count() == 0 && instance.roster.count() == 0);
    bool complete = true;
    walkHostList(instance.playerList, [&instance, &complete](HostAddress player) {
        if (!complete || playerShip(player) == SpectatorShip ||
            playerTeam(player) != instance.lockedTeam) {
            return;
        }
        complete = instance.roster.append(rosterName(playerName(player))) &&
                   appendTag(instance.tags, player, TeamPassKey, TeamPassValue);
    });
    return complete;
}

// Sends the public announcement of the lock on `lockedTeam`; false, with nothing sent, when the
// line cannot be allocated.
bool announceLock(BotInstance& instance) {
    if (instance.lockedTeam >= PrivateTeamFloor) {
        sendPublic(instance, PrivateAnnouncement);
        return true;
    }
    const Text line = lineWithNumber(
        AnnouncementOpening, static_cast<std::int32_t>(instance.lockedTeam), AnnouncementClosing);
    if (!line.present()) {
        return false;
    }
    sendPublic(instance, line.chars());
    return true;
}

// Locks onto `team` afresh: drops every tag, rebuilds the roster and passes, then announces.
// A lock that cannot be built and announced in full for want of memory is lifted instead.
void imposeLock(BotInstance& instance, std::uint32_t team) {
    instance.locked = true;
    instance.lockedTeam = team;
    removeAllTags(instance.tags);
    instance.roster.clear();
    if (!buildRoster(instance) || !announceLock(instance)) {
        resetLock(instance);
    }
}

// Applies a survey: lock, move, keep or lift. If the roster or the announcement cannot be built
// for want of memory the lock is lifted instead, so nobody is ever sent back on a half-built
// roster or an unannounced lock.
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
