#include "teamlock/Arrivals.h"

#include "bot/PlayerTags.h"
#include "bot/Senders.h"
#include "host/HostRecords.h"
#include "support/CaseFold.h"
#include "support/NumberFormat.h"
#include "support/Text.h"

namespace tarnwick {

namespace {

constexpr char WelcomeBackOpening[] = "Welcome back. You may still enter team ";
constexpr char LockedOpening[] = "Team ";
constexpr char LockedClosing[] = " is locked to prevent freq-hopping";
constexpr char SetTeamOpening[] = "*setfreq ";

// Whether any roster entry, first to last, is `name` whole, ASCII letters compared without
// regard to case.
bool rosterHolds(const Roster& roster, const char* name) {
    for (Roster::Node* node = roster.head(); node != nullptr; node = node->next) {
        if (equalIgnoringAsciiCase(node->item->chars(), name)) {
            return true;
        }
    }
    return false;
}

// `opening`, the decimal form of a team number (always from 0 to 65535), then `closing` (null
// for none), built with one allocation.
Text teamLine(const char* opening, std::uint32_t team, const char* closing) {
    return lineWithNumber(opening, static_cast<std::int32_t>(team), closing);
}

} // namespace

void handlePlayerEntering(BotInstance& instance, HostAddress player) {
    if (!instance.locked || player == 0) {
        return;
    }
    if (rosterHolds(instance.roster, playerName(player))) {
        if (!setTag(instance.tags, player, TeamPassKey, TeamPassValue)) {
            return;
        }
        const Text line = teamLine(WelcomeBackOpening, instance.lockedTeam, nullptr);
        if (line.present()) {
            sendPrivate(instance, player, line.chars());
        }
        return;
    }
    const Text line = teamLine(LockedOpening, instance.lockedTeam, LockedClosing);
    if (line.present()) {
        sendPrivate(instance, player, line.chars());
    }
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
    const Text line = teamLine(SetTeamOpening, returnTeam, nullptr);
    if (line.present()) {
        sendPrivate(instance, player, line.chars());
    }
}

} // namespace tarnwick
