// A host driven by fuzzer bytes: every step is one legal host action over hostsim (see
// HostActions.h), and now and then the host calls `talk` again from inside its own callback.
// After every event, and inside every callback, the plug-in's invariants and the form of every
// outbound line are checked; the first breach aborts the process with a description and the
// recent events, which libFuzzer reports as a crash.
#pragma once

#include "ByteSource.h"
#include "Host.h"
#include "OutboundLines.h"

#include <deque>
#include <string>
#include <vector>

namespace fuzzing {

// Hands an event laid out by the host to the core's `talk`, as the module's export does.
void talkFromHost(hostsim::HostEvent* event);

// One input's host: its bytes, its arenas and the events being delivered.
struct Stream {
    explicit Stream(ByteSource& bytes) : input(bytes) {}

    ByteSource& input;
    hostsim::Host host{&talkFromHost};
    // The events being delivered, innermost last, and how deep inside callbacks we are.
    std::vector<reliability::Delivery> deliveries;
    unsigned depth = 0;
    // The most recent events, for a failure report.
    std::deque<std::string> trail;
};

// Delivers one event (noting it for a failure report), then checks the whole registry. Record
// pointers held across this call may dangle afterwards: a re-entrant host may have freed them.
void deliver(Stream& stream, const hostsim::HostEvent& event);

// The host callback as `EventInit` carries it.
hostsim::Word callbackWord();

// Plays the whole input as a stream of host actions, then destroys every instance.
void playHostStream(ByteSource& input);

// Reports a breach of the plug-in's invariants, with the recent events, and aborts.
[[noreturn]] void failWith(const std::string& breach);

} // namespace fuzzing
