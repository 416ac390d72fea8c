// The events the suite measures, each with the arena and lock state it needs, the untimed step
// that restores that state between two measured events, and what it may allocate and send.
#pragma once

#include "Host.h"

#include <cstdint>

namespace bench {

enum class EventCase {
    FlagDropUnlocked,    // a drop that changes nothing: unlocked, flags split
    FlagDropKeepsLock,   // a drop while locked on the team that still owns every flag
    LockSet,             // a drop that locks the home team, its whole team in the roster
    LockMove,            // a drop that moves the lock to the other team
    ArrivalLastInRoster, // an arrival whose name is the last roster entry
    ArrivalNotInRoster,  // an arrival whose name is in no roster entry
    TeamChangeWithPass,  // a pass holder (the last one tagged) taking a ship on the team
    TeamChangeSentBack,  // a player without a pass taking a ship on the team: "*setfreq "
    CommandReply,        // the command "about", answered with a literal line
    IgnoredCode,         // `EventTick`, which has no effect
};
constexpr int EventCaseCount = 10;

// The two states of the flags a case can be measured in, each with its own bare walk.
enum class FlagState { Split, Owned };

struct EventCaseInfo {
    const char* name;
    // Whether an untimed step runs before each measured event.
    bool untimedStep;
    // The flag state, and so the bare walk, the case is compared with.
    FlagState flags;
    // Outbound events each measured event must produce.
    std::uint32_t sendsPerEvent;
};

// The fixed facts of a case.
const EventCaseInfo& caseInfo(EventCase eventCase);

// The most heap allocations one event of the case may make, with `members` players on the
// locked team: a node and an item per roster entry and per tag, a buffer per name copy, and for
// a numbered line as many as building it a piece at a time takes (an empty text, one prepend
// per digit, one concatenation per literal). Zero for an event that sends no built text and
// changes no roster or tag.
std::uint64_t allowedAllocations(EventCase eventCase, std::uint32_t members);

// One case staged in one bot's arena: its standalone records and the event it measures.
struct CaseStage {
    EventCase eventCase;
    std::uint32_t handle;
    hostsim::Arena* arena;
    // The player outside the list who arrives, hops or asks.
    hostsim::PlayerRecord visitor;
    hostsim::CommandRecord command{"about", ""};
    hostsim::HostEvent measured;
    // The team the next lock move goes to.
    std::uint16_t nextOwner;
};

// Puts the arena and the bot `stage.handle` into the state the case needs and builds its
// event. The bot must be connected to `stage.arena`, which must be populated.
void setUpStage(hostsim::Host& host, CaseStage& stage);

// The untimed step before each measured event of a case that has one.
void runUntimedStep(hostsim::Host& host, CaseStage& stage);

// Null when the bot is in the state the measured event must leave it in; otherwise a line
// saying what is wrong.
const char* checkStage(const CaseStage& stage);

} // namespace bench
