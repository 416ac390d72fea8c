// The plug-in's door: every inbound event of every bot passes through `talk`.
#pragma once

#include "host/BotEvent.h"

namespace tarnwick {

// Finds or creates the instance for the event's handle and dispatches the event to it. An event
// that cannot be handled for want of memory is dropped with every list whole; when it is the
// `EventInit` of a handle without an instance, its callback hears "DLL plugin cannot connect.
// Out of memory." and nothing else, unless the handle is 0 or the callback null, when nothing is
// sent at all. A null event address is ignored.
void talk(const BotEvent* event) noexcept;

} // namespace tarnwick

// The module's one export, with C linkage and the platform's default calling convention.
extern "C" {
#if defined(_WIN32)
__declspec(dllexport)
#else
__attribute__((visibility("default")))
#endif
    void talk(tarnwick::BotEvent* event);
}
