#include "LineWords.h"

#include "Arena.h"
#include "Phrases.h"
#include "Tokens.h"

namespace tarnhost {

namespace {

// What the plug-in reads through a parameter of an inbound event, when it reads an address.
enum class AddressKind { None, Player, Flag, Command, HostOwned };

// The kind of record the plug-in reads through parameter `parameter` (from 0) of event `code`.
AddressKind addressKind(std::uint32_t code, std::size_t parameter) {
    switch (code) {
    case hostsim::CodeInit:
        return parameter >= 1 && parameter <= 3 ? AddressKind::HostOwned : AddressKind::None;
    case hostsim::CodePlayerEntering:
    case hostsim::CodePlayerChange:
    case hostsim::CodePlayerLeaving:
        return parameter == 0 ? AddressKind::Player : AddressKind::None;
    case hostsim::CodeCommand:
    case hostsim::CodeHelp:
        return parameter == 0   ? AddressKind::Player
               : parameter == 1 ? AddressKind::Command
                                : AddressKind::None;
    case hostsim::CodeFlagGrab:
        return parameter == 1 ? AddressKind::Flag : AddressKind::None;
    default:
        return AddressKind::None;
    }
}

} // namespace

// Reads "team N ship N ident N access N flags N" pairs from words[first] on; a field named twice
// keeps its last value. Throws on an unknown field, a missing value or a bad number.
PlayerFields parsePlayerFields(const std::vector<std::string>& words, std::size_t first) {
    PlayerFields fields;
    for (std::size_t at = first; at < words.size(); at += 2) {
        const std::string& key = words[at];
        if (at + 1 >= words.size()) {
            throw ScenarioError("'" + key + "' needs a value");
        }
        const std::string& value = words[at + 1];
        if (key == "team") {
            fields.hasTeam = true;
            fields.team = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "team"));
        } else if (key == "ship") {
            fields.hasShip = true;
            fields.ship = static_cast<std::uint8_t>(parseNumber(value, 0, 255, "ship"));
        } else if (key == "ident") {
            fields.hasIdent = true;
            fields.ident = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "ident"));
        } else if (key == "access") {
            fields.hasAccess = true;
            fields.access =
                static_cast<std::int32_t>(parseNumber(value, INT32_MIN, INT32_MAX, "access"));
        } else if (key == "flags") {
            fields.hasFlags = true;
            fields.flagCount = static_cast<std::uint16_t>(parseNumber(value, 0, 65535, "flags"));
        } else {
            throw ScenarioError("unknown player field '" + key +
                                "' (team, ship, ident, access or flags expected)");
        }
    }
    return fields;
}

// Writes the fields the line named into the record; the others keep their values.
void applyPlayerFields(const PlayerFields& fields, hostsim::PlayerRecord& record) {
    if (fields.hasTeam) {
        record.setTeam(fields.team);
    }
    if (fields.hasShip) {
        record.setShip(fields.ship);
    }
    if (fields.hasIdent) {
        record.setIdent(fields.ident);
    }
    if (fields.hasAccess) {
        record.setAccess(fields.access);
    }
    if (fields.hasFlags) {
        record.setFlagCount(fields.flagCount);
    }
}

// The fields a line named, in words ("team 4, ship 1, access 3"); empty when it named none.
std::string fieldsText(const PlayerFields& fields) {
    std::vector<std::string> parts;
    if (fields.hasTeam) {
        parts.push_back("team " + std::to_string(fields.team));
    }
    if (fields.hasShip) {
        parts.push_back(shipText(fields.ship));
    }
    if (fields.hasIdent) {
        parts.push_back("ident " + std::to_string(fields.ident));
    }
    if (fields.hasAccess) {
        parts.push_back("access " + std::to_string(fields.access));
    }
    if (fields.hasFlags) {
        parts.push_back("flag count " + std::to_string(fields.flagCount));
    }
    return parts.empty() ? std::string() : listText(parts);
}

// A flag team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t parseFlagTeam(const std::string& word) {
    if (word == "none") {
        return hostsim::NobodysTeam;
    }
    return static_cast<std::uint16_t>(parseNumber(word, 0, 65535, "flag team"));
}

void expectCount(const std::vector<std::string>& words, std::size_t lowest, std::size_t highest,
                 const std::string& usage) {
    if (words.size() < lowest || words.size() > highest) {
        throw ScenarioError("usage: " + usage);
    }
}

// The code of a named event that carries no parameters, and what it means in words.
bool plainEvent(const std::string& name, std::uint32_t& code, std::string& meaning) {
    struct PlainEvent {
        const char* name;
        std::uint32_t code;
        const char* meaning;
    };
    static const PlainEvent events[] = {
        {"term", hostsim::CodeTerm, "the host disconnects the bot from the plug-in (term)"},
        {"tick", hostsim::CodeTick, "a clock tick"},
        {"arena-enter", hostsim::CodeArenaEnter, "the bot enters the arena"},
        {"arena-leave", hostsim::CodeArenaLeave, "the bot leaves the arena"},
        {"flag-drop", hostsim::CodeFlagDrop,
         "the host reports a flag drop, and nothing else changes"},
        {"game-over", hostsim::CodeFlagGameOver, "the flag game is over"},
        {"flag-reset", hostsim::CodeFlagReset, "the flags are reset"},
    };
    for (const PlainEvent& event : events) {
        if (name == event.name) {
            code = event.code;
            meaning = event.meaning;
            return true;
        }
    }
    return false;
}

// Refuses a word in a parameter the plug-in reads through unless it names a record of the right
// kind: any other number would have the plug-in read memory that is not a record, and end
// the session.
void expectAddressWord(std::uint32_t code, std::size_t parameter, const std::string& word) {
    const AddressKind kind = addressKind(code, parameter);
    const char first = word.empty() ? '\0' : word[0];
    const bool fits = kind == AddressKind::None || word == "null" ||
                      (kind == AddressKind::Player && first == '@') ||
                      (kind == AddressKind::Flag && first == '%');
    if (fits) {
        return;
    }
    const std::string where =
        "p" + std::to_string(parameter + 1) + " of event " + std::to_string(code);
    switch (kind) {
    case AddressKind::Player:
        throw ScenarioError(where + " is read as a player's address: give @NAME or null");
    case AddressKind::Flag:
        throw ScenarioError(where + " is read as a flag's address: give %FLAG or null");
    case AddressKind::Command:
        throw ScenarioError(where + " is read as a command's address: give null, or use "
                                    "'command' or 'help'");
    default:
        throw ScenarioError(where + " is read as an address: give null, or use 'init'");
    }
}

} // namespace tarnhost
