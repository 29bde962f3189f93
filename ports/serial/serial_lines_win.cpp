// The serial kind's modem lines, as the status bar and the "ﾂｰﾙ(&T)" commands reach
// them through the kinds' registry: the inputs as the engine last read them, DTR
// and RTS toggled on the device, and a 250 ms Break. UI thread only. The Break's end
// is a thread timer, so that the UI thread never sleeps through it; the device may
// have been closed or opened anew meanwhile, which is looked up again at the end.
#include <vector>

#include "ports/serial/serial_dcb.h"
#include "ports/serial/serial_port_win.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/port_lines.h"

constexpr UINT BREAK_MS = 250;

static_assert(PORT_LINE_CTS == MS_CTS_ON && PORT_LINE_DSR == MS_DSR_ON && PORT_LINE_RI == MS_RING_ON &&
                  PORT_LINE_DCD == MS_RLSD_ON,
              "input lines");

static SerialEngine* engine_of(Port* port)
{
    return &reinterpret_cast<SerialPort*>(port)->engine;
}

static unsigned serial_lines(Port* port)
{
    SerialEngine* e = engine_of(port);
    // A port waiting for its device, or whose device is gone, has no line to drive.
    if (!e->device || e->core.device_gone) return 0;
    unsigned lines = PORT_LINES;
    if (e->modem_read) {
        lines |= PORT_LINES_READ |
                 (e->last_modem_status & (PORT_LINE_CTS | PORT_LINE_DSR | PORT_LINE_RI | PORT_LINE_DCD));
    }
    if (e->dtr_control == SERIAL_CONTROL_ENABLE) lines |= PORT_LINE_DTR_ON;
    if (e->rts_control == SERIAL_CONTROL_ENABLE) lines |= PORT_LINE_RTS_ON;
    if (e->dtr_control != SERIAL_CONTROL_HANDSHAKE) lines |= PORT_LINE_DTR_FREE;
    if (e->rts_control != SERIAL_CONTROL_HANDSHAKE) lines |= PORT_LINE_RTS_FREE;
    return lines;
}

// A line the flow control drives is not the user's; a driver that cannot set the
// line (error 50 on a device without modem lines) is told with a beep.
static void toggle(SerialEngine* e, std::uint8_t* control, DWORD set, DWORD clear)
{
    if (*control == SERIAL_CONTROL_HANDSHAKE) return;
    const bool on = *control == SERIAL_CONTROL_ENABLE;
    if (EscapeCommFunction(e->device, on ? clear : set))
        *control = on ? SERIAL_CONTROL_DISABLE : SERIAL_CONTROL_ENABLE;
    else
        MessageBeep(MB_ICONEXCLAMATION);
}

struct BreakUnderWay {
    UINT_PTR timer;
    Port* port;
};
static std::vector<BreakUnderWay> breaks;

static void CALLBACK break_over(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    KillTimer(nullptr, timer);
    for (auto it = breaks.begin(); it != breaks.end(); ++it) {
        if (it->timer != timer) continue;
        Port* port = it->port;
        breaks.erase(it);
        // Closed meanwhile, its device went with it, and the break with the device.
        if (port_is_open(port) && port->kind == PORT_SERIAL && engine_of(port)->device)
            ClearCommBreak(engine_of(port)->device);
        return;
    }
}

static void send_break(Port* port)
{
    for (const BreakUnderWay& b : breaks)
        if (b.port == port) return;  // one at a time
    SerialEngine* e = engine_of(port);
    if (!SetCommBreak(e->device)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    UINT_PTR timer = SetTimer(nullptr, 0, BREAK_MS, break_over);
    try {
        if (timer) breaks.push_back({timer, port});
    } catch (...) {
        if (timer) KillTimer(nullptr, timer);
        timer = 0;
    }
    // Without a timer the break cannot be timed: it ends at once rather than never.
    if (!timer) ClearCommBreak(e->device);
}

static void serial_line_command(Port* port, int command)
{
    if (!(serial_lines(port) & PORT_LINES)) return;
    SerialEngine* e = engine_of(port);
    switch (command) {
    case PORT_LINE_TOGGLE_DTR:
        toggle(e, &e->dtr_control, SETDTR, CLRDTR);
        break;
    case PORT_LINE_TOGGLE_RTS:
        toggle(e, &e->rts_control, SETRTS, CLRRTS);
        break;
    case PORT_LINE_SEND_BREAK:
        send_break(port);
        break;
    }
}

void serial_register_lines()
{
    port_kind_register_lines(PORT_SERIAL, PortLinesEntry{serial_lines, serial_line_command});
}
