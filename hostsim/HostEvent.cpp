#include "HostEvent.h"

namespace hostsim {

HostEvent makeEvent(std::uint32_t handle, std::uint32_t code, Word p1, Word p2, Word p3, Word p4,
                    Word p5, Word p6) {
    return HostEvent{handle, code, {p1, p2, p3, p4, p5, p6}};
}

} // namespace hostsim
