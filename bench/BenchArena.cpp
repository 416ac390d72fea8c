#include "BenchArena.h"

namespace bench {

std::string pilotName(std::uint32_t position) {
    return "Pilot" + std::to_string(position);
}

void populateArena(hostsim::Arena& arena, std::uint32_t playerCount) {
    for (std::uint32_t position = 0; position < playerCount; ++position) {
        const std::uint16_t team = position % 2 == 0 ? HomeTeam : RivalTeam;
        arena.addPlayer(pilotName(position), static_cast<std::uint16_t>(position), team,
                        static_cast<std::uint8_t>(position % 8));
    }
    const std::uint32_t flagCount = playerCount / 4 == 0 ? 1 : playerCount / 4;
    for (std::uint32_t flag = 0; flag < flagCount; ++flag) {
        arena.addFlag(HomeTeam);
    }
    splitFlags(arena);
}

void giveFlagsTo(hostsim::Arena& arena, std::uint16_t team) {
    for (const auto& flag : arena.flags()) {
        flag->setTeam(team);
    }
    std::uint32_t teamPosition = 0;
    for (const auto& player : arena.players()) {
        std::uint16_t carried = 0;
        if (player->team() == team) {
            carried = teamPosition % CarrierSpacing == 0 ? 1 : 0;
            ++teamPosition;
        }
        player->setFlagCount(carried);
    }
}

void splitFlags(hostsim::Arena& arena) {
    std::uint32_t position = 0;
    for (const auto& flag : arena.flags()) {
        flag->setTeam(position % 2 == 0 ? HomeTeam : RivalTeam);
        ++position;
    }
    position = 0;
    for (const auto& player : arena.players()) {
        player->setFlagCount((position / 2) % CarrierSpacing == 0 ? 1 : 0);
        ++position;
    }
}

const hostsim::PlayerRecord& lastPlayerOf(const hostsim::Arena& arena, std::uint16_t team) {
    const hostsim::PlayerRecord* last = nullptr;
    for (const auto& player : arena.players()) {
        if (player->team() == team) {
            last = player.get();
        }
    }
    return *last;
}

std::uint32_t membersOf(const hostsim::Arena& arena, std::uint16_t team) {
    std::uint32_t members = 0;
    for (const auto& player : arena.players()) {
        if (player->team() == team && player->ship() != hostsim::SpectatorShip) {
            ++members;
        }
    }
    return members;
}

} // namespace bench
