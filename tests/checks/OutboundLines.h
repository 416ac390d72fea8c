// Checks of every outbound event against the inbound event being handled when it was sent.
//
// The plug-in sends at most one line per inbound event, always one of a fixed set of forms, in
// the say mode and to the target that the inbound event calls for. A host that records what it
// is about to deliver (`describeDelivery`) can hand each callback to `findOutboundBreach`.
#pragma once

#include "Host.h"
#include "HostEvent.h"

#include <cstdint>
#include <string>

namespace checks {

// What the checks need to know of an inbound event, captured before it is delivered so that
// nothing has to be read through host records that a re-entrant host may free meanwhile.
struct Delivery {
    hostsim::HostEvent event;
    bool hasPlayer = false;
    std::uint32_t playerIdent = 0;
    std::int32_t playerAccess = 0;
    bool hasWord = false;
    std::string word;
    bool hasRest = false;
    std::string rest;
    // Lines seen so far for this delivery.
    unsigned linesSent = 0;
};

// Captures `event` for later checks, reading the player (p1) of player, command and help events
// and the command (p2) of command and help events when their addresses are not 0.
Delivery describeDelivery(const hostsim::HostEvent& event);

// Empty when `sent`, received while `delivery` was being handled, is the one line that event may
// produce: the right handle (never 0), an instance that is not disabled, zero in every unused
// word, a text of an allowed form for the inbound code, the right say mode and target, and a
// number that agrees with the instance's lock state. A handle without an instance may send only
// the out-of-memory refusal of its handshake. Counts the line into `delivery`.
std::string findOutboundBreach(Delivery& delivery, const hostsim::SentEvent& sent);

} // namespace checks
