// The soak: a million random but legal host events for three bots sharing one arena of about
// 200 players and six flags, in a release build. Passes when the resident memory at the end is
// within a small margin of the memory after the first ten thousand events, when no bot ever
// holds more tags than there are players, and when the whole registry is consistent at every
// ten-thousandth event and at the end.
//
//   reliability_soak [EVENTS [SEED]]
//
// Meant for a release build: under AddressSanitizer the memory bound is not applied.
#include "LinkedCore.h"
#include "RegistryInvariants.h"

#include "bot/InstanceRegistry.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

namespace {

constexpr std::uint32_t Bots[] = {1, 2, 3};
constexpr std::uint32_t ArenaOwner = 1;
constexpr std::size_t ArenaSize = 200;
constexpr std::size_t FlagCount = 6;
constexpr std::uint64_t WarmUpEvents = 10000;
constexpr std::uint64_t CheckInterval = 10000;
// Growth of the resident set allowed after the warm-up: allocator noise, not a leak. A leak of
// even one small block per event would pass it many times over in a million events.
constexpr long AllowedGrowthBytes = 512 * 1024;

// Under AddressSanitizer freed memory waits in a quarantine, so the resident set grows without
// any leak; the memory bound then means nothing and is only reported.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool ResidentSetIsBounded = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool ResidentSetIsBounded = false;
#else
constexpr bool ResidentSetIsBounded = true;
#endif
#else
constexpr bool ResidentSetIsBounded = true;
#endif

// The process's resident set in bytes, from /proc/self/statm; -1 when it cannot be read.
long residentBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return -1;
    }
    long totalPages = 0;
    long residentPages = -1;
    if (std::fscanf(statm, "%ld %ld", &totalPages, &residentPages) != 2) {
        residentPages = -1;
    }
    std::fclose(statm);
    return residentPages < 0 ? -1 : residentPages * sysconf(_SC_PAGESIZE);
}

struct Soak {
    explicit Soak(std::uint32_t seed) : random(seed) {}

    std::mt19937 random;
    hostsim::Host host{hostsim::linkedCore()};
    std::uint64_t events = 0;
    std::uint64_t announcements = 0;
    std::uint64_t mostTags = 0;
    std::string failure;
    std::uint16_t nextIdent = 0;
    // Who carries each flag, by the flag's place in the arena; null while it lies on the field.
    hostsim::PlayerRecord* carriers[FlagCount] = {};

    hostsim::Arena& arena() { return host.arena(ArenaOwner); }

    std::uint32_t below(std::uint32_t bound) {
        return std::uniform_int_distribution<std::uint32_t>(0, bound - 1)(random);
    }
    std::uint16_t team() { return static_cast<std::uint16_t>(below(10) == 0 ? 150 : below(4)); }
    std::uint8_t ship() { return static_cast<std::uint8_t>(below(9)); }
    hostsim::PlayerRecord& anyPlayer() { return *arena().players()[below(ArenaSize)]; }

    // Puts the flag at `index` back on the field, owned by its carrier's team.
    void dropFlag(std::size_t index) {
        hostsim::PlayerRecord& carrier = *carriers[index];
        carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() - 1));
        hostsim::FlagRecord& flag = *arena().flags()[index];
        flag.setTeam(carrier.team());
        arena().setFlagListed(flag, true);
        carriers[index] = nullptr;
    }

    // Delivers one event and checks that its bot's tags stay within the player count.
    void deliver(const hostsim::HostEvent& event) {
        const std::uint32_t handle = event.handle;
        host.deliver(event);
        ++events;
        for (const hostsim::SentEvent& sent : host.sent()) {
            announcements += sent.isPublic() ? 1u : 0u;
        }
        host.clearSent();
        const tarnwick::BotInstance* bot = tarnwick::findInstance(handle);
        const std::uint64_t tags = bot != nullptr ? bot->tags.count() : 0;
        mostTags = tags > mostTags ? tags : mostTags;
        if (tags > arena().players().size() && failure.empty()) {
            failure = "bot " + std::to_string(handle) + " holds " + std::to_string(tags) +
                      " tags for " + std::to_string(arena().players().size()) + " players";
        }
    }

    // Delivers one event with `code` and up to three parameters to `handle`.
    void deliver(std::uint32_t handle, std::uint32_t code, hostsim::Word p1 = 0,
                 hostsim::Word p2 = 0, hostsim::Word p3 = 0) {
        deliver(hostsim::makeEvent(handle, code, p1, p2, p3));
    }

    // Delivers the event to every bot, as the host does for an arena they share.
    void deliverToAll(std::uint32_t code, hostsim::Word p1 = 0, hostsim::Word p2 = 0,
                      hostsim::Word p3 = 0) {
        for (std::uint32_t handle : Bots) {
            deliver(handle, code, p1, p2, p3);
        }
    }

    void addPlayer() {
        hostsim::PlayerRecord& player =
            arena().addPlayer("Pilot" + std::to_string(below(400)), nextIdent++, team(), ship());
        player.setAccess(static_cast<std::int32_t>(below(16)) - 2);
    }

    void connect() {
        for (std::size_t index = 0; index < ArenaSize; ++index) {
            addPlayer();
        }
        for (std::size_t index = 0; index < FlagCount; ++index) {
            arena().addFlag(team());
        }
        // The bots share one arena: each is handed the lists of `ArenaOwner`.
        const hostsim::HostEvent shared = host.initEvent(ArenaOwner);
        for (std::uint32_t handle : Bots) {
            hostsim::HostEvent init = shared;
            init.handle = handle;
            deliver(init);
        }
    }

    // A player leaves (told to every bot before the record goes; his flags fall where he was)
    // and another arrives.
    void replacePlayer() {
        hostsim::PlayerRecord& leaver = anyPlayer();
        bool droppedFlags = false;
        for (std::size_t index = 0; index < FlagCount; ++index) {
            if (carriers[index] == &leaver) {
                dropFlag(index);
                droppedFlags = true;
            }
        }
        deliverToAll(hostsim::CodePlayerLeaving, leaver.address());
        arena().removePlayer(leaver);
        if (droppedFlags) {
            deliverToAll(hostsim::CodeFlagDrop);
        }
        addPlayer();
        deliverToAll(hostsim::CodePlayerEntering, arena().players().back()->address());
    }

    void changePlayer() {
        hostsim::PlayerRecord& player = anyPlayer();
        const std::uint32_t previousTeam = player.team();
        const std::uint32_t previousShip = player.ship();
        if (below(2) == 0) {
            player.setTeam(team());
        } else {
            player.setShip(ship());
        }
        deliverToAll(hostsim::CodePlayerChange, player.address(), previousTeam, previousShip);
    }

    // A player picks up a flag from the field, or its carrier drops it for his team.
    void moveFlag() {
        const std::size_t index = below(FlagCount);
        if (carriers[index] != nullptr) {
            dropFlag(index);
            deliverToAll(hostsim::CodeFlagDrop);
            return;
        }
        hostsim::FlagRecord& flag = *arena().flags()[index];
        hostsim::PlayerRecord& carrier = anyPlayer();
        carrier.setFlagCount(static_cast<std::uint16_t>(carrier.flagCount() + 1));
        carriers[index] = &carrier;
        deliverToAll(hostsim::CodeFlagGrab, carrier.address(), flag.address());
        arena().setFlagListed(flag, false);
    }

    // The flag game ends, is reset or the bots leave the arena; then every flag goes back on the
    // field owned by one team and the bots enter again.
    void resetFlags() {
        const std::uint16_t owner = team();
        for (const auto& flag : arena().flags()) {
            flag->setTeam(owner);
            arena().setFlagListed(*flag, true);
        }
        for (const auto& player : arena().players()) {
            player->setFlagCount(0);
        }
        for (hostsim::PlayerRecord*& carrier : carriers) {
            carrier = nullptr;
        }
        const std::uint32_t endings[] = {hostsim::CodeFlagReset, hostsim::CodeFlagGameOver,
                                         hostsim::CodeArenaLeave};
        deliverToAll(endings[below(3)]);
        deliverToAll(hostsim::CodeArenaEnter);
    }

    void command() {
        static hostsim::CommandRecord requests[] = {
            {"about", ""}, {"version", ""}, {"help", "about"}, {"help", ""}};
        const std::uint32_t code = below(2) == 0 ? hostsim::CodeCommand : hostsim::CodeHelp;
        deliver(Bots[below(3)], code, anyPlayer().address(), requests[below(4)].address());
    }

    void step() {
        const std::uint32_t choice = below(100);
        if (choice < 25) {
            replacePlayer();
        } else if (choice < 55) {
            changePlayer();
        } else if (choice < 85) {
            moveFlag();
        } else if (choice < 87) {
            resetFlags();
        } else if (choice < 95) {
            command();
        } else if (choice < 97) {
            deliver(Bots[below(3)], hostsim::CodeTerm);
        } else {
            deliver(Bots[below(3)], below(2) == 0 ? hostsim::CodeTick : 42 + below(1000));
        }
    }

    void checkRegistry() {
        if (!failure.empty()) {
            return;
        }
        std::string breach =
            checks::findRegistryBreach([this](std::uint32_t, std::uintptr_t player) {
                return arena().playerList().contains(player);
            });
        if (!breach.empty()) {
            failure = "after " + std::to_string(events) + " events: " + breach;
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    const std::uint64_t total = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const auto seed =
        static_cast<std::uint32_t>(argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 2026);
    const auto start = std::chrono::steady_clock::now();
    long afterWarmUp = -1;
    {
        Soak soak(seed);
        soak.connect();
        std::uint64_t nextCheck = CheckInterval;
        while (soak.events < total && soak.failure.empty()) {
            soak.step();
            if (afterWarmUp < 0 && soak.events >= WarmUpEvents) {
                afterWarmUp = residentBytes();
            }
            if (soak.events >= nextCheck) {
                soak.checkRegistry();
                nextCheck += CheckInterval;
            }
        }
        soak.checkRegistry();
        const long atEnd = residentBytes();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("soak: %llu events in %.1f s, %llu announcements, at most %llu tags per bot "
                    "for %zu players\n",
                    static_cast<unsigned long long>(soak.events), seconds,
                    static_cast<unsigned long long>(soak.announcements),
                    static_cast<unsigned long long>(soak.mostTags), ArenaSize);
        std::printf("soak: resident %ld KiB after %llu events, %ld KiB at the end\n",
                    afterWarmUp / 1024, static_cast<unsigned long long>(WarmUpEvents),
                    atEnd / 1024);
        if (soak.failure.empty() && (afterWarmUp < 0 || atEnd < 0)) {
            soak.failure = "cannot read the resident set from /proc/self/statm";
        } else if (soak.failure.empty() && ResidentSetIsBounded &&
                   atEnd - afterWarmUp > AllowedGrowthBytes) {
            soak.failure =
                "resident memory grew by " + std::to_string((atEnd - afterWarmUp) / 1024) + " KiB";
        } else if (soak.failure.empty() && soak.announcements == 0) {
            soak.failure = "no lock was ever announced: the soak did not exercise the lock";
        }
        tarnwick::destroyAllInstances();
        if (!soak.failure.empty()) {
            std::fprintf(stderr, "soak: FAILED: %s\n", soak.failure.c_str());
            return 1;
        }
    }
    std::printf("soak: ok\n");
    return 0;
}
