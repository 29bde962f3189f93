// The port kinds' entries: each kind's constructor and the engine wake-up abort_send
// uses. A kind not built into the program has no entry and create_port yields none.
#include "ports/serial/serial_port_win.h"
#include "terminal/port_win.h"

PortKindOps port_kinds[5] = {
    {nullptr, nullptr},
    {serial_port_create, serial_wake_engine},
    {nullptr, nullptr},
    {nullptr, nullptr},
    {nullptr, nullptr},
};
