#include "FailureInsideTalk.h"

#include "Allocations.h"
#include "LinkedCore.h"

namespace harness {

namespace {

// The allocation of the next call of `talk` to fail (0 for none), and whether it struck.
std::size_t nextTalkFailsAt = 0;
bool failureStruck = false;

// The core's `talk` with the pending failure armed for this call alone.
void talkFailingOnce(hostsim::HostEvent* event) {
    if (nextTalkFailsAt == 0) {
        hostsim::talkToLinkedCore(event);
        return;
    }
    hostsim::FailingAllocation failing(nextTalkFailsAt);
    nextTalkFailsAt = 0;
    hostsim::talkToLinkedCore(event);
    failureStruck = failing.struck();
}

// The recording callback with the host's own allocations kept out of the failure count.
void receiveUncounted(tarnwick::BotEvent* event) {
    hostsim::AllocationFailurePause pause;
    hostsim::receiveFromLinkedCore(event);
}

} // namespace

hostsim::PluginLink linkedCoreFailingInsideTalk() {
    return hostsim::PluginLink{&talkFailingOnce,
                               reinterpret_cast<hostsim::Word>(&receiveUncounted)};
}

void failNextTalkAt(std::size_t ordinal) {
    nextTalkFailsAt = ordinal;
    failureStruck = false;
}

bool lastTalkFailed() {
    return failureStruck;
}

} // namespace harness
