#include "HostStream.h"
#include "LinkedCore.h"

#include "HostActions.h"
#include "RegistryInvariants.h"
#include "plugin/InstanceRegistry.h"
#include "plugin/Talk.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzing {

namespace {

static_assert(sizeof(hostsim::HostEvent) == sizeof(tarnwick::BotEvent),
              "host and plug-in records agree");

// How deep the host nests calls of `talk` inside its own callback.
constexpr unsigned DeepestReentry = 3;
// How many recent events a failure report shows.
constexpr std::size_t TrailLength = 40;

// The stream being played, for the failure report.
Stream* failingStream = nullptr;

// The callback handed to the plug-in, typed as the plug-in calls it, so that the call through
// the pointer is exact; it passes the event on to the recording host.
void receiveFromPlugin(tarnwick::BotEvent* event) {
    hostsim::receiveFromLinkedCore(event);
}

// Aborts with a description when the registry breaks an invariant; a pass must be held for a
// record that the bot's arena still holds.
void checkRegistry(Stream& stream, const char* moment) {
    const std::string breach =
        reliability::findRegistryBreach(reliability::playersHeldBy(stream.host));
    if (!breach.empty()) {
        failWith(std::string(moment) + ": " + breach);
    }
}

// The host's callback: every line is checked against the event being handled, and now and then
// the host answers it by calling `talk` again before returning.
void onHostReceives(Stream& stream, const hostsim::SentEvent& sent) {
    if (stream.deliveries.empty()) {
        failWith("a callback outside any call of talk");
    }
    const std::string breach = reliability::findOutboundBreach(stream.deliveries.back(), sent);
    if (!breach.empty()) {
        failWith(breach);
    }
    checkRegistry(stream, "inside a callback");
    if (stream.depth < DeepestReentry && stream.input.oneIn(4)) {
        ++stream.depth;
        performAction(stream);
        --stream.depth;
    }
}

} // namespace

void talkFromHost(hostsim::HostEvent* event) {
    hostsim::talkToLinkedCore(event);
}

hostsim::Word callbackWord() {
    return reinterpret_cast<hostsim::Word>(&receiveFromPlugin);
}

void deliver(Stream& stream, const hostsim::HostEvent& event) {
    char line[96];
    std::snprintf(line, sizeof line, "%*shandle %u code %u", static_cast<int>(2 * stream.depth), "",
                  event.handle, event.code);
    stream.trail.emplace_back(line);
    if (stream.trail.size() > TrailLength) {
        stream.trail.pop_front();
    }
    stream.deliveries.push_back(reliability::describeDelivery(event));
    stream.host.deliver(event);
    stream.deliveries.pop_back();
    checkRegistry(stream, "after an event");
    if (stream.depth == 0) {
        stream.host.clearSent();
    }
}

void failWith(const std::string& breach) {
    std::fprintf(stderr, "\ntarnwick invariant breached: %s\n", breach.c_str());
    if (failingStream != nullptr) {
        std::fprintf(stderr,
                     "recent events, oldest first (indented: delivered from a callback):\n");
        for (const std::string& line : failingStream->trail) {
            std::fprintf(stderr, "  %s\n", line.c_str());
        }
    }
    std::abort();
}

void playHostStream(ByteSource& input) {
    tarnwick::destroyAllInstances();
    {
        Stream stream(input);
        failingStream = &stream;
        stream.host.onSend = [&stream](const hostsim::SentEvent& sent) {
            onHostReceives(stream, sent);
        };
        if (stream.input.oneIn(2)) {
            stream.host.arena(1).addFlag(3);
            connectBot(stream, 1);
            connectBot(stream, 2);
        }
        while (!stream.input.exhausted()) {
            performAction(stream);
        }
        tarnwick::destroyAllInstances();
        if (tarnwick::registeredInstances().count() != 0) {
            failWith("instances left after the teardown");
        }
        failingStream = nullptr;
    }
}

} // namespace fuzzing
