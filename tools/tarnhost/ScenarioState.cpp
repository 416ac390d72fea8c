// What `state` and `help` show: the arenas as the host sees them, and the language itself.
#include "Phrases.h"
#include "Scenario.h"

namespace tarnhost {

namespace {

// "1 player", "2 players", "0 flags".
std::string countText(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

std::vector<std::string> ScenarioSession::describeState() {
    std::vector<std::string> lines;
    for (const auto& [handle, botArena] : host_.arenas()) {
        const BotStatus& status = status_[handle];
        BotFlags& botFlags = flags_[handle];
        const std::string handshake = !status.handshakeDelivered ? "no handshake yet"
                                      : status.handshakeAnswer.empty()
                                          ? "handshake delivered, no answer"
                                          : "handshake answered \"" + status.handshakeAnswer + "\"";
        lines.push_back("bot " + std::to_string(handle) +
                        (handle == currentBot_ ? " (current)" : "") + ": " + handshake + "; " +
                        countText(botArena->players().size(), "player") + ", " +
                        countText(botFlags.order.size(), "flag"));
        for (const auto& record : botArena->players()) {
            std::string text = "  player " + record->name() + ": " + placeText(*record) +
                               ", ident " + std::to_string(record->ident()) + ", access " +
                               std::to_string(record->access());
            std::vector<std::string> carried;
            for (const std::string& flagName : botFlags.order) {
                const auto found = botFlags.carrier.find(flagName);
                if (found != botFlags.carrier.end() && found->second == record->name()) {
                    carried.push_back(flagName);
                }
            }
            if (!carried.empty()) {
                text += ", carries " + listText(carried);
            } else if (record->flagCount() != 0) {
                text += ", carries " + std::to_string(record->flagCount()) + " flag(s)";
            }
            lines.push_back(text);
        }
        for (const std::string& flagName : botFlags.order) {
            const auto carried = botFlags.carrier.find(flagName);
            const hostsim::PlayerRecord* carrier =
                carried == botFlags.carrier.end() ? nullptr : botArena->findPlayer(carried->second);
            lines.push_back("  flag " + flagName + ": " +
                            (carrier != nullptr
                                 ? "carried by " + carrier->name() + " (team " +
                                       std::to_string(carrier->team()) + ")"
                                 : "on the field, owned by " +
                                       flagOwnerText(botFlags.byName[flagName]->team())));
        }
        if (!status.lastAnnouncement.empty()) {
            lines.push_back("  last public line: " + status.lastAnnouncement +
                            " (a lock lifts without a word, so it may be over)");
        }
    }
    return lines;
}

std::vector<std::string> ScenarioSession::helpText() {
    return {
        "Arena setup (the plug-in is not told):",
        "  bot HANDLE                       act on this bot from now on (default 1)",
        "  player NAME [team N] [ship N] [ident N] [access N] [flags N]",
        "                                   put a player in the arena (ship 8 spectates)",
        "  set NAME [team N] [ship N] [ident N] [access N] [flags N]",
        "                                   change a player's record quietly",
        "  remove NAME                      take a player out quietly",
        "  flag NAME [team N|none]          put a flag on the field",
        "  flag-team FLAG N|none            change a flag's owner quietly",
        "  remove-flag FLAG                 take a flag away quietly",
        "  effects on|off                   the game server carries out \"*setfreq N\" (moves",
        "                                   the player, then reports the change) and shows",
        "                                   \"*arena\" lines to the arena",
        "Events delivered to the plug-in:",
        "  init [MAJOR.MINOR] [no-callback] [no-lists]   handshake (default 6.5)",
        "  term | tick | arena-enter | arena-leave | game-over | flag-reset | flag-drop",
        "  flag-grab FLAG                   a grab event naming FLAG, nothing else changes",
        "  arrive NAME [fields as player]   a player enters the arena",
        "  depart NAME                      a player leaves the arena",
        "  change NAME [team N] [ship N]    a player changes team or ship",
        "  grab NAME FLAG                   a player picks a flag off the field",
        "  drop NAME                        a player drops every flag carried",
        "  command NAME WORD [REST]         a chat command, e.g. command Ace about",
        "  help NAME [TOPIC]                a help request (plain 'help' lists these commands)",
        "  event CODE [P1 ... P6]           any event; P is a number, @PLAYER, %FLAG or null",
        "Looking:",
        "  state                            every bot's arena as the host sees it",
        "  help                             this list",
        "Numbers are decimal, 0x-hex or negative; quote names and texts with blanks (\"a b\").",
        "In a file, lines starting with '>' state what the line above must print, and '#'",
        "starts a comment (shown as narration by --transcript).",
    };
}

} // namespace tarnhost
