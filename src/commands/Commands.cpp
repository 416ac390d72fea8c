#include "commands/Commands.h"

#include "bot/Senders.h"
#include "host/HostRecords.h"
#include "support/CaseFold.h"

#include <cstring>

namespace tarnwick {

namespace {

constexpr char HelpLine[] = "!about (query me about my function)";
constexpr char PurposeLine[] = "When one team owns all the flags, I disallow freq-hopping.";
constexpr char VersionLine[] = "[name:tarnwick.dll] [maker:maintainers@tarnwick.example] [build:2]";

// The highest access level that is answered; levels are compared as unsigned, so a negative
// level counts as above it.
constexpr std::uint32_t HighestAnsweredAccess = 12;
// Levels that may ask for help without a topic, and the lowest level told the version.
constexpr std::uint32_t HighestUntopicalHelpAccess = 1;
constexpr std::uint32_t LowestVersionAccess = 3;

// The player's access level read as unsigned, so that negative levels rank above every other.
std::uint32_t accessRank(HostAddress player) {
    return static_cast<std::uint32_t>(playerAccess(player));
}

// Whether the command record is present with both its texts; a record missing either is
// malformed and is not answered at all, whichever text the request would have read.
bool isWholeCommand(HostAddress command) {
    return command != 0 && commandWord(command) != nullptr && commandRest(command) != nullptr;
}

// Whether the word of a whole command record equals `literal` exactly.
bool matchesWord(HostAddress command, const char* literal) {
    return std::strcmp(commandWord(command), literal) == 0;
}

} // namespace

void handleHelp(BotInstance& instance, HostAddress player, HostAddress command) {
    if (player == 0 || !isWholeCommand(command)) {
        return;
    }
    const char* rest = commandRest(command);
    const std::uint32_t rank = accessRank(player);
    if (rest[0] == '\0') {
        if (rank <= HighestUntopicalHelpAccess) {
            sendPrivate(instance, player, HelpLine);
        }
        return;
    }
    if (rank <= HighestAnsweredAccess && equalIgnoringAsciiCase(rest, "about")) {
        sendPrivate(instance, player, HelpLine);
    }
}

void handleCommand(BotInstance& instance, HostAddress player, HostAddress command) {
    if (player == 0 || !isWholeCommand(command)) {
        return;
    }
    const std::uint32_t rank = accessRank(player);
    if (rank > HighestAnsweredAccess) {
        return;
    }
    if (rank >= LowestVersionAccess && matchesWord(command, "version")) {
        sendPrivate(instance, player, VersionLine);
    } else if (matchesWord(command, "about")) {
        sendPrivate(instance, player, PurposeLine);
    }
}

} // namespace tarnwick
