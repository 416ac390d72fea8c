// A recording host that checks the plug-in as it goes: every outbound line against the event
// being delivered when it came, and the whole registry inside every callback and after every
// event. Breaches are collected, not thrown, so a driver can keep going and report them all at
// the end.
#pragma once

#include "Host.h"
#include "LinkedCore.h"
#include "OutboundLines.h"

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace checks {

class CheckingHost {
public:
    // A host joined to `link`: the linked core with the recording callback unless told
    // otherwise (a wrapper of either end must pass the event on to the core or to the host).
    explicit CheckingHost(hostsim::PluginLink link = hostsim::linkedCore());
    CheckingHost(const CheckingHost&) = delete;
    CheckingHost& operator=(const CheckingHost&) = delete;
    ~CheckingHost();

    // The arena of the bot `handle`, made empty on first use.
    hostsim::Arena& arena(std::uint32_t handle) { return host_.arena(handle); }

    // The handshake for `handle`, as `hostsim::Host::initEvent` builds it.
    hostsim::HostEvent initEvent(std::uint32_t handle,
                                 std::uint32_t version = hostsim::versionWord(6, 5),
                                 bool withCallback = true) {
        return host_.initEvent(handle, version, withCallback);
    }

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

private:
    void checkLine(const hostsim::SentEvent& sent);
    // Notes a breach of the registry's invariants, if there is one, saying when it was found.
    void checkRegistry(const std::string& moment);

    hostsim::Host host_;
    std::vector<Delivery> deliveries_;
    std::vector<std::string> breaches_;
    std::set<std::pair<std::uint32_t, hostsim::Word>> handMadePlayers_;
    unsigned lastLines_ = 0;
};

} // namespace checks
