#include "BareWalk.h"

#include <cstring>

namespace bench {

namespace {

// Offsets of the fields a survey reads; written out here rather than taken from the plug-in.
constexpr std::size_t PlayerFlagCountOffset = 12;
constexpr std::size_t PlayerTeamOffset = 216;
constexpr std::size_t FlagTeamOffset = 4;
constexpr std::size_t NodeNextOffset = sizeof(hostsim::Word);

// The field of type Field at `address` + `offset`.
template <typename Field> Field readAt(hostsim::Word address, std::size_t offset) {
    Field value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(address) + offset, sizeof value);
    return value;
}

} // namespace

std::uint32_t walkHostLists(hostsim::Word playerHead, hostsim::Word flagHead) {
    std::uint32_t sum = 0;
    for (auto node = readAt<hostsim::Word>(playerHead, 0); node != 0;
         node = readAt<hostsim::Word>(node, NodeNextOffset)) {
        const auto player = readAt<hostsim::Word>(node, 0);
        const std::uint16_t flagCount = readAt<std::uint16_t>(player, PlayerFlagCountOffset);
        if (flagCount != 0) {
            sum += readAt<std::uint16_t>(player, PlayerTeamOffset);
        }
    }
    for (auto node = readAt<hostsim::Word>(flagHead, 0); node != 0;
         node = readAt<hostsim::Word>(node, NodeNextOffset)) {
        sum += readAt<std::uint16_t>(readAt<hostsim::Word>(node, 0), FlagTeamOffset);
    }
    return sum;
}

} // namespace bench
