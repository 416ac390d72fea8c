// Host records built at the byte offsets a host uses, each at a fixed heap address for its life.
#pragma once

#include "HostEvent.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace hostsim {

// Offsets of a player record, chosen independently of the plug-in's own reading of them.
namespace player_layout {
constexpr std::size_t ident = 0, access = 4, flagCount = 12, name = 21, ship = 157, team = 216;
constexpr std::size_t size = 256;
// Room for the name between its offset and the ship, less the NUL.
constexpr std::size_t longestName = ship - name - 1;
} // namespace player_layout

namespace flag_layout {
constexpr std::size_t team = 4, size = 16;
}

namespace command_layout {
constexpr std::size_t word = 16, rest = 16 + sizeof(Word), size = 16 + 2 * sizeof(Word);
}

// The field of type Field at `offset` in the record at `address`, copied out byte for byte: for
// code that has only the address an event carries.
template <typename Field> Field fieldAt(Word address, std::size_t offset) {
    Field value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(address) + offset, sizeof value);
    return value;
}

// A player record. Setters write the field at its offset; a name longer than the record holds
// is cut to `player_layout::longestName` bytes.
class PlayerRecord {
public:
    PlayerRecord();
    Word address() const { return reinterpret_cast<Word>(bytes_.get()); }

    void setIdent(std::uint16_t ident);
    void setAccess(std::int32_t access);
    void setFlagCount(std::uint16_t flagCount);
    void setName(const std::string& name);
    void setShip(std::uint8_t ship);
    void setTeam(std::uint16_t team);

    std::uint16_t ident() const;
    std::int32_t access() const;
    std::uint16_t flagCount() const;
    std::string name() const;
    std::uint8_t ship() const;
    std::uint16_t team() const;

private:
    std::unique_ptr<unsigned char[]> bytes_;
};

// A flag record holding the owning team (0xFFFF for nobody).
class FlagRecord {
public:
    FlagRecord();
    Word address() const { return reinterpret_cast<Word>(bytes_.get()); }
    void setTeam(std::uint16_t team);
    std::uint16_t team() const;

private:
    std::unique_ptr<unsigned char[]> bytes_;
};

// A parsed command: the word and the rest of the line, as texts the record points to. Either
// text can be made absent (a null address) to stand for a faulty host.
class CommandRecord {
public:
    CommandRecord(const std::string& word, const std::string& rest);
    // The record points into its own texts, so it stays where it was made.
    CommandRecord(const CommandRecord&) = delete;
    CommandRecord& operator=(const CommandRecord&) = delete;
    Word address() const { return reinterpret_cast<Word>(bytes_.get()); }
    void dropWord();
    void dropRest();

private:
    std::string word_;
    std::string rest_;
    std::unique_ptr<unsigned char[]> bytes_;
};

} // namespace hostsim
