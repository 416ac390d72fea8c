#include "Records.h"

#include <cstring>

namespace hostsim {

namespace {

template <typename Field> void put(unsigned char* bytes, std::size_t offset, Field value) {
    std::memcpy(bytes + offset, &value, sizeof value);
}

template <typename Field> Field get(const unsigned char* bytes, std::size_t offset) {
    return fieldAt<Field>(reinterpret_cast<Word>(bytes), offset);
}

std::unique_ptr<unsigned char[]> zeroedBytes(std::size_t size) {
    return std::unique_ptr<unsigned char[]>(new unsigned char[size]());
}

} // namespace

PlayerRecord::PlayerRecord() : bytes_(zeroedBytes(player_layout::size)) {}

void PlayerRecord::setIdent(std::uint16_t ident) {
    put(bytes_.get(), player_layout::ident, ident);
}
void PlayerRecord::setAccess(std::int32_t access) {
    put(bytes_.get(), player_layout::access, access);
}
void PlayerRecord::setFlagCount(std::uint16_t flagCount) {
    put(bytes_.get(), player_layout::flagCount, flagCount);
}
void PlayerRecord::setShip(std::uint8_t ship) {
    put(bytes_.get(), player_layout::ship, ship);
}
void PlayerRecord::setTeam(std::uint16_t team) {
    put(bytes_.get(), player_layout::team, team);
}

void PlayerRecord::setName(const std::string& name) {
    const std::size_t length =
        name.size() < player_layout::longestName ? name.size() : player_layout::longestName;
    unsigned char* field = bytes_.get() + player_layout::name;
    std::memset(field, 0, player_layout::longestName + 1);
    std::memcpy(field, name.data(), length);
}

std::uint16_t PlayerRecord::ident() const {
    return get<std::uint16_t>(bytes_.get(), player_layout::ident);
}
std::int32_t PlayerRecord::access() const {
    return get<std::int32_t>(bytes_.get(), player_layout::access);
}
std::uint16_t PlayerRecord::flagCount() const {
    return get<std::uint16_t>(bytes_.get(), player_layout::flagCount);
}
std::string PlayerRecord::name() const {
    return std::string(reinterpret_cast<const char*>(bytes_.get() + player_layout::name));
}
std::uint8_t PlayerRecord::ship() const {
    return get<std::uint8_t>(bytes_.get(), player_layout::ship);
}
std::uint16_t PlayerRecord::team() const {
    return get<std::uint16_t>(bytes_.get(), player_layout::team);
}

FlagRecord::FlagRecord() : bytes_(zeroedBytes(flag_layout::size)) {
    setTeam(0xFFFF);
}
void FlagRecord::setTeam(std::uint16_t team) {
    put(bytes_.get(), flag_layout::team, team);
}
std::uint16_t FlagRecord::team() const {
    return get<std::uint16_t>(bytes_.get(), flag_layout::team);
}

CommandRecord::CommandRecord(const std::string& word, const std::string& rest)
    : word_(word), rest_(rest), bytes_(zeroedBytes(command_layout::size)) {
    put(bytes_.get(), command_layout::word, reinterpret_cast<Word>(word_.c_str()));
    put(bytes_.get(), command_layout::rest, reinterpret_cast<Word>(rest_.c_str()));
}

void CommandRecord::dropWord() {
    put(bytes_.get(), command_layout::word, Word{0});
}
void CommandRecord::dropRest() {
    put(bytes_.get(), command_layout::rest, Word{0});
}

} // namespace hostsim
