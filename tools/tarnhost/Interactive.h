// The interactive mode: scenario lines typed one at a time, each answered at once.
#pragma once

#include "HostEvent.h"

#include <istream>
#include <ostream>
#include <string>

namespace tarnhost {

struct InteractiveOptions {
    // Show a prompt naming the current bot before each line (for a terminal, not a pipe).
    bool prompt = true;
    // Deliver the handshake to each bot the first time a line selects it, bot 1 at the start.
    bool automaticInit = true;
    // Game-server effects from the start ("effects off" turns them off).
    bool effects = true;
    // Where the module was loaded from, for the greeting.
    std::string modulePath;
};

// Reads lines from `in` until "quit", "exit" or the end of input, answering each on `out`. A
// line that cannot be carried out gets one message naming its number and changes nothing; it
// never ends the session. Returns the process exit status, 0.
int runInteractive(hostsim::EventFunction talk, std::istream& in, std::ostream& out,
                   const InteractiveOptions& options);

} // namespace tarnhost
