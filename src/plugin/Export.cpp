// The module's exported entry point, compiled into the module only.
#include "plugin/Talk.h"

extern "C" void talk(tarnwick::BotEvent* event) { tarnwick::talk(event); }
