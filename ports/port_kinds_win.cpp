// The kinds' registration; see port_kinds_win.h. This is the only file that lists
// every kind.
#include "ports/port_kinds_win.h"

#include "ports/network/network_port_win.h"
#include "ports/parallel/parallel_port_win.h"
#include "ports/serial/serial_port_win.h"
#include "ports/usb/usb_port_win.h"
#include "ports/network/network_settings.h"
#include "terminal/port_win.h"

void port_kinds_register()
{
    serial_register_kind();
    parallel_register_kind();
    network_register_kind();
    usb_register_kind();
}

Port* port_kinds_open(int kind, int number, const char* host, int tcp_port, int network_mode)
{
    if (kind == PORT_SERIAL || kind == PORT_PARALLEL) return create_port(kind, &number);
    if (kind != PORT_NETWORK) return nullptr;
    NetworkTarget target = {host ? host : "", tcp_port, network_mode};
    return create_port(kind, &target);
}
