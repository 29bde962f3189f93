// The registry of port kinds and the frame's door through it; see
// port_kind_registry_win.h. A kind nobody registered has an empty entry: it yields no
// port and its connect command is grayed at start-up.
#include "terminal/port_kind_registry_win.h"

#include "base/command_state_win.h"
#include "resources/commands.h"

static PortKindEntry registered_kinds[PORT_USB + 1];
// Until its discovery says otherwise, a registered kind is offered.
static bool not_offered[PORT_USB + 1];

static bool known_kind(int kind)
{
    return kind >= PORT_SERIAL && kind <= PORT_USB;
}

bool port_kind_register(int kind, const PortKindEntry& entry)
{
    if (!known_kind(kind)) return false;
    registered_kinds[kind] = entry;
    not_offered[kind] = false;
    return true;
}

PortKindEntry port_kind_entry(int kind)
{
    return known_kind(kind) ? registered_kinds[kind] : PortKindEntry{};
}

void port_kinds_discover(int os_family)
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind) {
        const PortKindEntry& entry = registered_kinds[kind];
        not_offered[kind] = !(entry.create && entry.discover && entry.discover(os_family));
    }
    command_state_refresh();
}

bool port_kind_offered(int kind)
{
    return known_kind(kind) && registered_kinds[kind].create && !not_offered[kind];
}

void port_kinds_connect(int kind, HWND frame)
{
    if (known_kind(kind) && registered_kinds[kind].connect) registered_kinds[kind].connect(frame);
}

static bool warnings_held;

void port_kind_warn(HWND owner, const char* text, const char* caption)
{
    if (!warnings_held) MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

void port_kinds_hold_warnings(bool hold)
{
    warnings_held = hold;
}

Port* port_kinds_open(const PortRequest& request)
{
    // A kind not offered is asked too: its open fails with the warning the user
    // needs to see, instead of nothing happening.
    if (!known_kind(request.kind) || !registered_kinds[request.kind].open_request) return nullptr;
    return registered_kinds[request.kind].open_request(&request);
}

UINT port_kinds_settings_pages(HWND frame, HPROPSHEETPAGE* pages, UINT capacity)
{
    UINT count = 0;
    for (int kind = PORT_SERIAL; kind <= PORT_USB && count < capacity; ++kind) {
        if (!registered_kinds[kind].settings_page) continue;
        if (HPROPSHEETPAGE page = registered_kinds[kind].settings_page(frame)) pages[count++] = page;
    }
    return count;
}

void port_kinds_settings_notify(HWND frame)
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind)
        if (registered_kinds[kind].settings_notify) registered_kinds[kind].settings_notify(frame);
}

void port_kinds_release()
{
    for (int kind = PORT_SERIAL; kind <= PORT_USB; ++kind)
        if (registered_kinds[kind].release) registered_kinds[kind].release();
}

static PortLinesEntry registered_lines[PORT_USB + 1];

bool port_kind_register_lines(int kind, const PortLinesEntry& entry)
{
    if (kind < PORT_SERIAL || kind > PORT_USB) return false;
    registered_lines[kind] = entry;
    return true;
}

static PortLinesEntry lines_of(const Port* port)
{
    return port && port->kind >= PORT_SERIAL && port->kind <= PORT_USB ? registered_lines[port->kind]
                                                                         : PortLinesEntry{};
}

unsigned port_lines(Port* port)
{
    const PortLinesEntry entry = lines_of(port);
    return entry.lines ? entry.lines(port) : 0;
}

void port_line_command(Port* port, int command)
{
    const PortLinesEntry entry = lines_of(port);
    if (entry.command) entry.command(port, command);
}
