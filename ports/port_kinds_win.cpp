// The kinds' registration; see port_kinds_win.h. This is the only file that lists
// every kind.
#include "ports/port_kinds_win.h"

#include "ports/network/network_port_win.h"
#include "ports/parallel/parallel_port_win.h"
#include "ports/serial/serial_port_win.h"
#include "ports/usb/usb_port_win.h"

void port_kinds_register()
{
    serial_register_kind();
    parallel_register_kind();
    network_register_kind();
    usb_register_kind();
}
