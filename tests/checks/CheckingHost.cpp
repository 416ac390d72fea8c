#include "CheckingHost.h"
#include "LinkedCore.h"

#include "RegistryInvariants.h"
#include "plugin/Talk.h"

namespace reliability {

namespace {

static_assert(sizeof(hostsim::HostEvent) == sizeof(tarnwick::BotEvent), "one record layout");

// Hands an event laid out by the host to the core's `talk`, as the module's export does.
void talkToCore(hostsim::HostEvent* event) {
    hostsim::talkToLinkedCore(event);
}

} // namespace

CheckingHost::CheckingHost(hostsim::EventFunction talk)
    : host_(talk != nullptr ? talk : &talkToCore) {
    host_.onSend = [this](const hostsim::SentEvent& sent) { checkLine(sent); };
}

CheckingHost::~CheckingHost() {
    host_.onSend = nullptr;
}

hostsim::HostEvent CheckingHost::initEvent(std::uint32_t handle, std::uint32_t version,
                                           hostsim::Word callback) {
    hostsim::Arena& bot = arena(handle);
    return hostsim::makeEvent(handle, hostsim::CodeInit, version,
                              callback != 0 ? callback : callbackWord(),
                              bot.playerList().headAddress(), bot.flagList().headAddress());
}

void CheckingHost::deliver(const hostsim::HostEvent& event) {
    deliveries_.push_back(describeDelivery(event));
    host_.deliver(event);
    const unsigned lines = deliveries_.back().linesSent;
    deliveries_.pop_back();
    if (deliveries_.empty()) {
        lastLines_ = lines;
    }
    const LivePlayerQuery inArena = playersHeldBy(host_);
    const std::string breach =
        findRegistryBreach([this, &inArena](std::uint32_t handle, std::uintptr_t player) {
            return inArena(handle, player) || handMadePlayers_.count({handle, player}) != 0;
        });
    if (!breach.empty()) {
        breaches_.push_back("after code " + std::to_string(event.code) + ": " + breach);
    }
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
    if (onLine) {
        onLine(sent);
    }
}

void CheckingHost::receive(tarnwick::BotEvent* event) {
    hostsim::receiveFromLinkedCore(event);
}

hostsim::Word CheckingHost::callbackWord() {
    return reinterpret_cast<hostsim::Word>(&CheckingHost::receive);
}

} // namespace reliability
