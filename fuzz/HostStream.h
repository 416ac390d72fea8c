// A host driven by fuzzer bytes: every step is one legal host action over hostsim (see
// HostActions.h), and now and then the host calls `talk` again from inside its own callback.
// The checking host checks every outbound line and the plug-in's invariants after every event
// and inside every callback; the first breach aborts the process with a description and the
// recent events, which libFuzzer reports as a crash.
#pragma once

#include "ByteSource.h"
#include "CheckingHost.h"

#include <deque>
#include <string>

namespace fuzzing {

// One input's host: its bytes, its arenas and the events being delivered.
struct Stream {
    explicit Stream(ByteSource& bytes) : input(bytes) {}

    ByteSource& input;
    checks::CheckingHost host;
    // How deep inside callbacks we are.
    unsigned depth = 0;
    // The most recent events, for a failure report.
    std::deque<std::string> trail;
};

// Delivers one event (noting it for a failure report); aborts on any breach it caused. Record
// pointers held across this call may dangle afterwards: a re-entrant host may have freed them.
void deliver(Stream& stream, const hostsim::HostEvent& event);

// Plays the whole input as a stream of host actions, then destroys every instance.
void playHostStream(ByteSource& input);

// Reports a breach of the plug-in's invariants, with the recent events, and aborts.
[[noreturn]] void failWith(const std::string& breach);

} // namespace fuzzing
