// Heap exhaustion inside the plug-in alone: a link to the linked core whose `talk` fails one
// chosen allocation of one call, and whose callback does the host's recording and checking with
// failures paused, so that nothing but the plug-in's own work is ever failed.
#pragma once

#include "Host.h"

#include <cstddef>

namespace harness {

// The linked core's link, with the failing `talk` and the paused callback.
hostsim::PluginLink linkedCoreFailingInsideTalk();

// Makes the `ordinal`-th allocation of the next call of that `talk` fail; 0 fails nothing.
void failNextTalkAt(std::size_t ordinal);

// Whether the failure armed for the most recent call of `talk` struck.
bool lastTalkFailed();

} // namespace harness
