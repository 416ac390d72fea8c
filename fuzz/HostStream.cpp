#include "HostStream.h"

#include "HostActions.h"
#include "bot/InstanceRegistry.h"

#include <cstdio>
#include <cstdlib>

namespace fuzzing {

namespace {

// How deep the host nests calls of `talk` inside its own callback.
constexpr unsigned DeepestReentry = 3;
// How many recent events a failure report shows.
constexpr std::size_t TrailLength = 40;

// The stream being played, for the failure report.
Stream* failingStream = nullptr;

// Aborts with the first breach the checking host has found, if any.
void stopAtFirstBreach(const Stream& stream) {
    if (!stream.host.breaches().empty()) {
        failWith(stream.host.breaches().front());
    }
}

// The host's answer to a checked line: now and then it calls `talk` again before returning.
void onHostReceives(Stream& stream) {
    stopAtFirstBreach(stream);
    if (stream.depth < DeepestReentry && stream.input.oneIn(4)) {
        ++stream.depth;
        performAction(stream);
        --stream.depth;
    }
}

} // namespace

void deliver(Stream& stream, const hostsim::HostEvent& event) {
    char line[96];
    std::snprintf(line, sizeof line, "%*shandle %u code %u", static_cast<int>(2 * stream.depth), "",
                  event.handle, event.code);
    stream.trail.emplace_back(line);
    if (stream.trail.size() > TrailLength) {
        stream.trail.pop_front();
    }
    stream.host.deliver(event);
    stopAtFirstBreach(stream);
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
        stream.host.onLine = [&stream](const hostsim::SentEvent&) { onHostReceives(stream); };
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
