#include "CheckingHost.h"

#include "RegistryInvariants.h"

namespace checks {

CheckingHost::CheckingHost(hostsim::PluginLink link) : host_(link) {
    host_.onSend = [this](const hostsim::SentEvent& sent) { checkLine(sent); };
}

CheckingHost::~CheckingHost() {
    host_.onSend = nullptr;
}

void CheckingHost::deliver(const hostsim::HostEvent& event) {
    deliveries_.push_back(describeDelivery(event));
    host_.deliver(event);
    const unsigned lines = deliveries_.back().linesSent;
    deliveries_.pop_back();
    if (deliveries_.empty()) {
        lastLines_ = lines;
    }
    checkRegistry("after code " + std::to_string(event.code));
}

void CheckingHost::treatAsLive(std::uint32_t handle, hostsim::Word player) {
    handMadePlayers_.insert({handle, player});
}

void CheckingHost::checkLine(const hostsim::SentEvent& sent) {
    if (deliveries_.empty()) {
        breaches_.push_back("a line outside any call of talk: " + sent.text);
        return;
    }
    const std::string breach = findOutboundBreach(deliveries_.back(), sent);
    if (!breach.empty()) {
        breaches_.push_back(breach);
    }
    checkRegistry("inside the callback for \"" + sent.text + "\"");
    if (onLine) {
        onLine(sent);
    }
}

void CheckingHost::checkRegistry(const std::string& moment) {
    const LivePlayerQuery inArena = playersHeldBy(host_);
    const std::string breach =
        findRegistryBreach([this, &inArena](std::uint32_t handle, std::uintptr_t player) {
            return inArena(handle, player) || handMadePlayers_.count({handle, player}) != 0;
        });
    if (!breach.empty()) {
        breaches_.push_back(moment + ": " + breach);
    }
}

} // namespace checks
