// The kinds' table and the door through it; see port_kinds_win.h. This is the only
// file that lists every kind. A kind the program does not have yet has an empty
// entry: it yields no port and its connect command is grayed at start-up.
#include "ports/port_kinds_win.h"

#include "app/commands_win.h"
#include "ports/network/network_port_win.h"
#include "ports/parallel/parallel_port_win.h"
#include "ports/serial/serial_port_win.h"
#include "ports/usb/usb_port_win.h"
#include "resources/commands.h"

// The USB kind's discovery is its start-up: the list, then the host-controller probe.
static int usb_discover(int)
{
    return usb_startup();
}

// A network port names no device: it may connect to the same peer more than once.
PortKindEntry port_kinds[5] = {
    {},
    {serial_port_create, serial_wake_engine, serial_reopen, serial_enumerate_ports, serial_connect, serial_settings_page,
     serial_settings_notify, nullptr, serial_device_name, serial_refuse},
    {parallel_port_create, parallel_wake_engine, parallel_reopen, parallel_enumerate_ports, parallel_connect,
     parallel_settings_page, parallel_settings_notify, nullptr, parallel_device_name, parallel_refuse},
    {network_port_new, network_wake_engine, nullptr, network_startup, network_connect, network_settings_page, nullptr,
     network_release, nullptr, nullptr},
    {usb_port_new, nullptr, usb_reopen, usb_discover, usb_connect, usb_settings_page, nullptr, nullptr, usb_device_name,
     usb_refuse},
};

static const int CONNECT_COMMANDS[5] = {0, CMD_CONNECT_SERIAL, CMD_CONNECT_PARALLEL, CMD_CONNECT_NETWORK,
                                        CMD_CONNECT_USB};

void port_kinds_discover(int os_family)
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind) {
        const PortKindEntry& entry = port_kinds[kind];
        bool offered = entry.create && entry.discover && entry.discover(os_family);
        if (!offered) enable_command(CONNECT_COMMANDS[kind], false);
    }
}

void port_kinds_connect(int kind, HWND frame)
{
    if (kind >= PORT_SERIAL && kind <= PORT_USB && port_kinds[kind].connect) port_kinds[kind].connect(frame);
}

UINT port_kinds_settings_pages(HWND frame, HPROPSHEETPAGE* pages, UINT capacity)
{
    UINT count = 0;
    for (int kind = PORT_SERIAL; kind <= PORT_USB && count < capacity; ++kind) {
        if (!port_kinds[kind].settings_page) continue;
        if (HPROPSHEETPAGE page = port_kinds[kind].settings_page(frame)) pages[count++] = page;
    }
    return count;
}

void port_kinds_settings_notify(HWND frame)
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind)
        if (port_kinds[kind].settings_notify) port_kinds[kind].settings_notify(frame);
}

void port_kinds_release()
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind)
        if (port_kinds[kind].release) port_kinds[kind].release();
}
