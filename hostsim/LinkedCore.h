// Driving the plug-in's core linked into the same program, instead of a module loaded by path:
// for tests, benchmarks and the fuzzer, which look inside the core's state.
#pragma once

#include "Host.h"

namespace tarnwick {
struct BotEvent;
}

namespace hostsim {

// The core as a host is joined to it: `talkToLinkedCore` as the entry point and
// `receiveFromLinkedCore` as the callback.
PluginLink linkedCore();

// Hands an event laid out by the host to the core's `talk`, as the module's export does.
void talkToLinkedCore(HostEvent* event);

// The recording callback typed as the core calls it, so the call through the pointer is exact;
// it hands the event to `Host::receive`.
void receiveFromLinkedCore(tarnwick::BotEvent* event);

} // namespace hostsim
