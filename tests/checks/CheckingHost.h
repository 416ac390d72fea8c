// A recording host that checks the plug-in as it goes: every outbound line against the event
// being delivered when it came, and the whole registry after every event. Breaches are
// collected, not thrown, so a driver can keep going and report them all at the end.
#pragma once

#include "Host.h"
#include "OutboundLines.h"
#include "host/BotEvent.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace reliability {

class CheckingHost {
public:
    // A host that hands events to the core's `talk`, or to `talk` when one is given (a wrapper
    // that must pass the event on to the core).
    explicit CheckingHost(hostsim::EventFunction talk = nullptr);
    CheckingHost(const CheckingHost&) = delete;
    CheckingHost& operator=(const CheckingHost&) = delete;
    ~CheckingHost();

    // The arena of the bot `handle`, made empty on first use.
    hostsim::Arena& arena(std::uint32_t handle) { return host_.arena(handle); }

    // An `EventInit` for `handle` with the given version word, `callback` (the checking callback
    // when 0) and the bot's own list heads.
    hostsim::HostEvent initEvent(std::uint32_t handle, std::uint32_t version = 0x00060005u,
                                 hostsim::Word callback = 0);

    // Hands `event` to `talk`, checking every line it causes and, afterwards, the
    // registry; a tag on a record that the bot's arena no longer holds is a breach.
    void deliver(const hostsim::HostEvent& event);

    // Counts the record at `player`, laid out by the test itself, as live for the bot `handle`
    // alongside the players of its arena.
    void treatAsLive(std::uint32_t handle, hostsim::Word player);

    // Lines sent while the most recent top-level delivery was handled.
    unsigned linesOfLastDelivery() const { return lastLines_; }
    // Every line received, in order, and every breach found, in order.
    const std::vector<hostsim::SentEvent>& sent() const { return host_.sent(); }
    const std::vector<std::string>& breaches() const { return breaches_; }
    void clearSent() { host_.clearSent(); }

    // Called inside the callback after each line is checked; may deliver further events.
    std::function<void(const hostsim::SentEvent&)> onLine;

    // The callback as the core calls it, forwarding to the checking host that is alive.
    static void receive(tarnwick::BotEvent* event);
    // The address of `receive`, as `EventInit` carries it.
    static hostsim::Word callbackWord();

private:
    void checkLine(const hostsim::SentEvent& sent);

    hostsim::Host host_;
    std::vector<Delivery> deliveries_;
    std::vector<std::string> breaches_;
    std::set<std::pair<std::uint32_t, hostsim::Word>> handMadePlayers_;
    unsigned lastLines_ = 0;
};

} // namespace reliability
