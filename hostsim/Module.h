// Loading a plug-in module by path and resolving its `talk` export, as a host does.
#pragma once

#include "HostEvent.h"

#include <cstdint>
#include <string>

namespace hostsim {

// The handles a load of a module has not yet been given: `next` and every number above it, and 0
// unless `zeroGiven`.
struct FreshHandles {
    std::uint32_t next = 1;
    bool zeroGiven = false;

    // Whether a host should load the module afresh rather than share this load: once handle 0,
    // which keeps its number, was given, or once 256 bots were, which bounds what the bots of
    // earlier hosts hold.
    bool spent() const { return zeroGiven || next > 256; }
};

class Module {
public:
    // Loads the module at `path`, in UTF-8 on Windows too; check loaded() and error() afterwards:
    // "cannot load PATH: REASON", the reason in the system's words.
    explicit Module(const std::string& path);
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    // Unloads the module if it is still loaded.
    ~Module();

    // Whether the module is loaded and exports `talk`.
    bool loaded() const { return talk_ != nullptr; }
    // Why loading failed; empty when it did not.
    const std::string& error() const { return error_; }
    // The resolved `talk`, or null.
    EventFunction talk() const { return talk_; }
    // Unloads the module, which runs its teardown; `talk` is gone afterwards.
    void unload();

    // The handles this load has not yet been given, for hosts that share it (see Host::fresh).
    FreshHandles fresh;

private:
    void* handle_ = nullptr;
    EventFunction talk_ = nullptr;
    std::string error_;
};

} // namespace hostsim
