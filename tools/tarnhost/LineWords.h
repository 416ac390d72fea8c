// The words of scenario lines: player fields, flag teams, plain events and the parameters of
// raw events, read and checked before a command changes anything.
#pragma once

#include "Records.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

// The optional fields of a player line, as its usage shows them.
constexpr char PlayerFieldsUsage[] = "[team N] [ship N] [ident N] [access N] [flags N]";

// The fields a player line may set, each present only when the line names it.
struct PlayerFields {
    bool hasTeam = false, hasShip = false, hasIdent = false, hasAccess = false, hasFlags = false;
    std::uint16_t team = 0, ident = 0, flagCount = 0;
    std::uint8_t ship = 0;
    std::int32_t access = 0;
};

// Reads "team N ship N ident N access N flags N" pairs from words[first] on; a field named twice
// keeps its last value. Throws on an unknown field, a missing value or a bad number.
PlayerFields parsePlayerFields(const std::vector<std::string>& words, std::size_t first);

// Writes the fields the line named into the record; the others keep their values.
void applyPlayerFields(const PlayerFields& fields, hostsim::PlayerRecord& record);

// The fields a line named, in words ("team 4, ship 1, access 3"); empty when it named none.
std::string fieldsText(const PlayerFields& fields);

// A flag team: a number from 0 to 65535, or "none" for a flag nobody owns.
std::uint16_t parseFlagTeam(const std::string& word);

// Throws "usage: USAGE" unless the line has from `lowest` to `highest` words.
void expectCount(const std::vector<std::string>& words, std::size_t lowest, std::size_t highest,
                 const std::string& usage);

// The code of a named event that carries no parameters, and what it means in words; false for
// any other name.
bool plainEvent(const std::string& name, std::uint32_t& code, std::string& meaning);

// Throws unless `word` fits parameter `parameter` (counted from 0) of event `code`: where the
// plug-in reads through the parameter, only a record of the kind it reads, or null.
void expectAddressWord(std::uint32_t code, std::size_t parameter, const std::string& word);

} // namespace tarnhost
