// The module's exported entry point, compiled into the module only.
#include "entry/Talk.h"

extern "C" void talk(tarnwick::BotEvent* event) {
    tarnwick::talk(event);
}
