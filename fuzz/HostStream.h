// A host driven by fuzzer bytes: every step is one legal host action over hostsim (players and
// flags coming, going and changing, events of every code for several bots), and now and then
// the host calls `talk` again from inside its own callback. After every event, and inside every
// callback, the plug-in's invariants and the form of every outbound line are checked; the first
// breach aborts the process with a description, which libFuzzer reports as a crash.
#pragma once

#include "ByteSource.h"
#include "Host.h"
#include "OutboundLines.h"

#include <string>
#include <vector>

namespace fuzzing {

// Plays the whole input as a stream of host actions, then destroys every instance.
void playHostStream(ByteSource& input);

// Reports a breach of the plug-in's invariants and aborts.
[[noreturn]] void failWith(const std::string& breach);

} // namespace fuzzing
