#include "Description.h"

namespace hostsim {

namespace {

// "1 player", "2 players".
std::string countText(std::size_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// What the bot's handshake came to.
std::string handshakeText(const BotLog& known) {
    if (!known.handshakeDelivered) {
        return "no handshake yet";
    } else if (known.handshakeAnswer.empty()) {
        return "handshake delivered, no answer";
    }
    return "handshake answered \"" + known.handshakeAnswer + "\"";
}

} // namespace

std::string ownerText(std::uint16_t team) {
    return team == NobodysTeam ? std::string("nobody") : "team " + std::to_string(team);
}

std::string placeText(const PlayerRecord& record) {
    return "team " + std::to_string(record.team()) + ", " +
           (record.ship() == SpectatorShip ? std::string("spectating")
                                           : "ship " + std::to_string(record.ship()));
}

std::string listText(const std::vector<std::string>& texts) {
    std::string joined;
    for (const std::string& text : texts) {
        joined += (&text == &texts.front() ? "" : ", ") + text;
    }
    return texts.empty() ? "none" : joined;
}

std::vector<std::string> flagNames(const Arena& arena, const std::vector<FlagRecord*>& flags) {
    std::vector<std::string> names;
    for (const FlagRecord* flag : flags) {
        names.push_back(arena.flagName(*flag));
    }
    return names;
}

std::vector<std::string> describe(Host& host, std::uint32_t current) {
    std::vector<std::string> lines;
    for (const auto& [handle, held] : host.arenas()) {
        const Arena& arena = *held;
        const BotLog& known = host.log(handle);
        lines.push_back("bot " + std::to_string(handle) + (handle == current ? " (current)" : "") +
                        ": " + handshakeText(known) + "; " +
                        countText(arena.players().size(), "player") + ", " +
                        countText(arena.flags().size(), "flag"));
        for (const auto& record : arena.players()) {
            std::string line = "  player " + record->name() + ": " + placeText(*record) +
                               ", ident " + std::to_string(record->ident()) + ", access " +
                               std::to_string(record->access());
            const std::vector<FlagRecord*> carried = arena.carriedBy(*record);
            if (!carried.empty()) {
                line += ", carries " + listText(flagNames(arena, carried));
            } else if (record->flagCount() != 0) {
                line += ", carries " + std::to_string(record->flagCount()) + " flag(s)";
            }
            lines.push_back(line);
        }
        for (const auto& flag : arena.flags()) {
            const PlayerRecord* carrier = arena.carrierOf(*flag);
            std::string where = "on the field, owned by " + ownerText(flag->team());
            if (carrier != nullptr) {
                where = "carried by " + carrier->name() + " (team " +
                        std::to_string(carrier->team()) + ")";
            }
            lines.push_back("  flag " + arena.flagName(*flag) + ": " + where);
        }
        if (!known.lastPublicLine.empty()) {
            lines.push_back("  last public line: " + known.lastPublicLine +
                            " (a lock lifts without a word, so it may be over)");
        }
    }
    return lines;
}

} // namespace hostsim
