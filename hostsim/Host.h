// A bot host of our own: arenas per bot, delivery of events to a plug-in's `talk`, and a
// recording callback that copies every outbound event and its text during the call.
#pragma once

#include "Arena.h"
#include "HostEvent.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace hostsim {

// An outbound event as the host received it, with its text copied during the callback.
struct SentEvent {
    std::uint32_t handle;
    std::uint32_t code;
    Word parameters[6];
    std::string text;

    bool isEcho() const { return code == CodeEcho; }
    bool isPublic() const { return code == CodeSay && parameters[0] == ModePublic; }
    bool isPrivate() const { return code == CodeSay && parameters[0] == ModePrivate; }
    // The target ident of a private line.
    std::uint32_t target() const { return static_cast<std::uint32_t>(parameters[2]); }
};

class Host {
public:
    // A host that delivers events to `talk`. Only one host receives callbacks at a time: the
    // most recently constructed one that is still alive.
    explicit Host(EventFunction talk);
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host();

    // The arena of the bot with this handle, made empty on first use.
    Arena& arena(std::uint32_t handle);
    // Every bot's arena, by handle.
    const std::map<std::uint32_t, std::unique_ptr<Arena>>& arenas() const { return arenas_; }

    // Calls `talk` with the event.
    void deliver(HostEvent event);
    // Delivers `EventInit` for `handle` with the version, this host's callback (or none) and the
    // addresses of that bot's list heads.
    void init(std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5,
              bool withCallback = true);

    // Every outbound event received so far, in order.
    const std::vector<SentEvent>& sent() const { return sent_; }
    // Forgets the recorded events.
    void clearSent() { sent_.clear(); }

    // Called inside the callback after each event is recorded; may call `deliver` again.
    std::function<void(const SentEvent&)> onSend;

    // The callback handed to the plug-in.
    static void receive(HostEvent* event);

private:
    EventFunction talk_;
    Host* previous_;
    std::map<std::uint32_t, std::unique_ptr<Arena>> arenas_;
    std::vector<SentEvent> sent_;
};

} // namespace hostsim
