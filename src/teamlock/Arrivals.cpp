#include "teamlock/Arrivals.h"

#include "host/HostRecords.h"
#include "plugin/Senders.h"
#include "support/NumberFormat.h"
#include "support/PlayerTags.h"
#include "support/Text.h"
#include "teamlock/TeamLock.h"

namespace tarnwick {

namespace {

constexpr char WelcomeBackOpening[] = "Welcome back. You may still enter team ";
constexpr char LockedOpening[] = "Team ";
constexpr char LockedClosing[] = " is locked to prevent freq-hopping";
constexpr char SetTeamOpening[] = "*setfreq ";

// Whether any roster entry, first to last, matches `name`.
bool rosterHolds(const Roster& roster, const char* name) {
    for (Roster::Node* node = roster.head(); node != nullptr; node = node->next) {
        if (namesMatch(node->item->chars(), name)) {
            return true;
        }
    }
    return false;
}

// The decimal text of a team number, which always lies from 0 to 65535.
Text teamText(std::uint32_t team) { return Text(static_cast<std::int32_t>(team)); }

} // namespace

bool namesMatch(const char* left, const char* right) {
    for (;; ++left, ++right) {
        const unsigned char leftByte = toLowerAscii(static_cast<unsigned char>(*left));
        if (leftByte != toLowerAscii(static_cast<unsigned char>(*right))) {
            return false;
        }
        if (leftByte == '\0') {
            return true;
        }
    }
}

void handlePlayerEntering(BotInstance& instance, HostAddress player) {
    if (!instance.locked || player == 0) {
        return;
    }
    if (rosterHolds(instance.roster, playerName(player))) {
        setTag(instance.tags, player, TeamPassKey, TeamPassValue);
        const Text line = WelcomeBackOpening + teamText(instance.lockedTeam);
        sendPrivate(instance, player, line.chars());
        return;
    }
    const Text line = LockedOpening + teamText(instance.lockedTeam) + LockedClosing;
    sendPrivate(instance, player, line.chars());
}

void handlePlayerChange(BotInstance& instance, HostAddress player, std::uint32_t previousTeam,
                        std::uint32_t previousShip) {
    if (!instance.locked || player == 0 || playerShip(player) == SpectatorShip ||
        playerTeam(player) != instance.lockedTeam ||
        getTag(instance.tags, player, TeamPassKey) != 0) {
        return;
    }
    std::uint32_t returnTeam = previousTeam;
    if (previousShip == SpectatorShip) {
        returnTeam = instance.lockedTeam == 0 ? 1 : 0;
    }
    const Text line = SetTeamOpening + teamText(returnTeam);
    sendPrivate(instance, player, line.chars());
}

} // namespace tarnwick
