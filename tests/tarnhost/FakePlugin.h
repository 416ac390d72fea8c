// A stand-in plug-in for testing tarnhost itself: it records every event it is given and
// answers a team change with a private line chosen by the test.
#pragma once

#include "HostEvent.h"

#include <string>
#include <vector>

namespace fakeplugin {

struct Recording {
    // Every event delivered, in order.
    std::vector<hostsim::HostEvent> events;
    // The line sent privately to the player of the next team change, then forgotten; nothing
    // is sent while it is empty.
    std::string answerToChange;
    // Whether any event arrived while the plug-in was still inside an earlier `talk`.
    bool reentered = false;
};

// The recording of the current test; `reset` empties it.
Recording& recording();
void reset();

// The fake's entry point, the shape of the module's `talk`.
void talk(hostsim::HostEvent* event);

} // namespace fakeplugin
