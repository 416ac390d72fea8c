#include "Playground.h"

#include "BenchArena.h"
#include "PluginDriver.h"

namespace bench {

hostsim::Host& benchHost() {
    static hostsim::Host host{countingCore()};
    return host;
}

hostsim::Arena& arenaOf(std::uint32_t players) {
    hostsim::Host& host = benchHost();
    hostsim::Arena& arena = host.arena(players);
    if (arena.players().empty()) {
        populateArena(arena, players);
        host.init(players);
    }
    return arena;
}

} // namespace bench
