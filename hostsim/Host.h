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

// The plug-in end of a host: the entry point events are delivered to, and the callback address
// the handshake hands over.
struct PluginLink {
    EventFunction talk;
    Word callback;
};

class Host {
public:
    // A host that delivers events to `link.talk` and hands `link.callback` over in the
    // handshake. Only one host receives callbacks at a time: the most recently constructed one
    // that is still alive.
    explicit Host(PluginLink link);
    // A host of a loaded module: delivers to `talk` and hands over `recordingCallback()`.
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
    // The handshake for `handle`: `EventInit` with the version word, the link's callback (0 when
    // `withCallback` is false) and the addresses of that bot's player and flag list heads; p5
    // and p6 are 0.
    HostEvent initEvent(std::uint32_t handle, std::uint32_t version = versionWord(6, 5),
                        bool withCallback = true);
    // Delivers the handshake for `handle` with version major.minor, without a callback when
    // `withCallback` is false.
    void init(std::uint32_t handle, std::uint32_t major = 6, std::uint32_t minor = 5,
              bool withCallback = true);

    // Every outbound event received so far, in order.
    const std::vector<SentEvent>& sent() const { return sent_; }
    // Forgets the recorded events.
    void clearSent() { sent_.clear(); }

    // Called inside the callback after each event is recorded; may call `deliver` again.
    std::function<void(const SentEvent&)> onSend;

    // The recording callback: records the event with the host that receives callbacks.
    static void receive(HostEvent* event);
    // The address of `receive`, as the handshake carries it.
    static Word recordingCallback() { return reinterpret_cast<Word>(&Host::receive); }

private:
    PluginLink link_;
    Host* previous_;
    std::map<std::uint32_t, std::unique_ptr<Arena>> arenas_;
    std::vector<SentEvent> sent_;
};

} // namespace hostsim
