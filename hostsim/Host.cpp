#include "Host.h"

namespace hostsim {

namespace {

// The host that receives callbacks; a plug-in callback carries no context of its own.
Host* receivingHost = nullptr;

} // namespace

Host::Host(PluginLink link) : link_(link), previous_(receivingHost) {
    receivingHost = this;
}

Host::Host(EventFunction talk) : Host(PluginLink{talk, recordingCallback()}) {}

Host::~Host() {
    receivingHost = previous_;
}

Arena& Host::arena(std::uint32_t handle) {
    std::unique_ptr<Arena>& arena = arenas_[handle];
    if (!arena) {
        arena = std::make_unique<Arena>();
    }
    return *arena;
}

void Host::deliver(HostEvent event) {
    if (link_.talk != nullptr) {
        link_.talk(&event);
    }
}

HostEvent Host::initEvent(std::uint32_t handle, std::uint32_t version, bool withCallback) {
    Arena& bot = arena(handle);
    return makeEvent(handle, CodeInit, version, withCallback ? link_.callback : 0,
                     bot.playerList().headAddress(), bot.flagList().headAddress());
}

void Host::init(std::uint32_t handle, std::uint32_t major, std::uint32_t minor, bool withCallback) {
    deliver(initEvent(handle, versionWord(major, minor), withCallback));
}

void Host::receive(HostEvent* event) {
    Host* host = receivingHost;
    if (host == nullptr || event == nullptr) {
        return;
    }
    SentEvent sent{event->handle, event->code, {}, {}};
    for (int index = 0; index < 6; ++index) {
        sent.parameters[index] = event->parameters[index];
    }
    const Word textAddress = event->code == CodeEcho  ? event->parameters[0]
                             : event->code == CodeSay ? event->parameters[3]
                                                      : 0;
    if (textAddress != 0) {
        sent.text = reinterpret_cast<const char*>(textAddress);
    }
    host->sent_.push_back(sent);
    if (host->onSend) {
        host->onSend(sent); // a copy: the handler may deliver events that grow `sent_`
    }
}

} // namespace hostsim
