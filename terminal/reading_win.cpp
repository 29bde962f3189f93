// The reading aids of a terminal window; see reading_win.h. The gutter changes the
// text area's width, so the page sizes are taken again at once, not at the next
// paint: an append in between scrolls with them.
#include "terminal/reading_win.h"

#include <windows.h>

#include <cstring>

#include "base/command_state_win.h"
#include "base/status_bar_win.h"
#include "console/console_view_win.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "terminal/port_counters.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/port_lines.h"
#include "terminal/port_win.h"

void toggle_time_stamps(Port* port)
{
    Console* console = &port->console;
    console_lock(console);
    console->view.time_stamps = console->view.time_stamps ? 0 : 1;
    console_unlock(console);
    HWND window = static_cast<HWND>(console->window);
    RECT client;
    if (window && GetClientRect(window, &client)) console_resized(console, client.right, client.bottom, false);
    command_state_refresh();  // the check mark
}

// The counts as the engine threads leave them: a 64-bit read is one access on the
// 64-bit build, which is the only one made.
static LONGLONG count_of(volatile LONGLONG* count)
{
    return *count;
}

static void show_counter_text(Port* port, bool with_rate, LONGLONG rate)
{
    char text[PORT_COUNTER_TEXT];
    const LONGLONG received = count_of(&port->received_count) - port->received_base;
    const LONGLONG sent = count_of(&port->sent_count) - port->sent_base;
    port_counter_text(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(sent),
                      static_cast<std::uint64_t>(rate), with_rate && rate > 0, text);
    // The modem lines after the counts, for a kind that has them.
    char lines[PORT_LINES_TEXT];
    port_lines_text(port_lines(port), lines);
    if (lines[0]) {
        std::strncat(text, "  ", sizeof text - std::strlen(text) - 1);
        std::strncat(text, lines, sizeof text - std::strlen(text) - 1);
    }
    set_status_text(STATUS_COUNTERS, text);
}

void show_counters(Port* port)
{
    if (port && port->console.has_focus) show_counter_text(port, false, 0);
}

void reset_counters(Port* port)
{
    port->received_base = count_of(&port->received_count);
    port->sent_base = count_of(&port->sent_count);
    port->received_at_tick = port->received_base;
    show_counters(port);
}

void counters_tick(Port* port)
{
    const LONGLONG now = count_of(&port->received_count);
    const LONGLONG rate = now - port->received_at_tick;
    port->received_at_tick = now;
    if (port->console.has_focus) show_counter_text(port, true, rate);
}
