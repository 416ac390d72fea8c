// A busy flag game played against the plug-in as fast as the machine allows, with the time spent
// inside `talk` added up event by event.
#pragma once

#include <cstdint>

namespace bench {

struct FlagGameSettings {
    std::uint32_t players;           // players in the arena at the start, kept near this number
    std::uint32_t flags;             // flags of the flag game
    std::uint32_t teams;             // teams 0 to teams - 1
    std::uint32_t gameSeconds;       // game time covered by the replay
    std::uint32_t tickMilliseconds;  // game time between two flag events
    std::uint32_t teamChangeSeconds; // mean time between two team changes of one player
    std::uint32_t arrivalSeconds; // mean time between two departures, each followed by an arrival
    std::uint32_t winSeconds;     // how long one team must hold every flag to win the game
    std::uint32_t seed;           // the random sequence; the same seed plays the same game
};

// The game the replay plays by default: 200 players on 4 teams, 50 flags, one flag event every
// 50 ms for ten minutes, each player changing team every 5 s on average, one departure and one
// arrival every 2 s, a game won by holding every flag for 15 s.
constexpr FlagGameSettings BusyFlagGame{200, 50, 4, 600, 50, 5, 2, 15, 20240611};

struct ReplayTotals {
    std::uint64_t events;     // every event delivered to `talk`
    std::uint64_t flagEvents; // grabs and drops
    std::uint64_t teamChanges;
    std::uint64_t arrivals;
    std::uint64_t departures;
    std::uint64_t gamesWon;     // each ended with `EventFlagGameOver` and `EventFlagReset`
    std::uint64_t lockLines;    // public lines: locks announced
    std::uint64_t privateLines; // arrival lines and "*setfreq " commands
    std::uint64_t allocations;  // heap allocations made inside `talk`
    double secondsInTalk;       // time inside `talk`, the clock's own cost taken off each call
    double longestEvent;        // the longest single call of `talk`, in seconds
};

// Plays the game described by `settings` against the plug-in core linked into the program.
ReplayTotals playFlagGame(const FlagGameSettings& settings);

} // namespace bench
