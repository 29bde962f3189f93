// Opening a lost device again; see auto_reopen_win.h. The tries run on the UI thread
// from a timer of the port's window: a try is one open of a device that is not there
// (a millisecond or so), so the waiting costs nothing measurable, and the reopen
// itself (stopping the old engine, opening the new) is the kinds' and must run where
// the port is created and closed.
#include "terminal/auto_reopen_win.h"

#include "base/command_state_win.h"

static constexpr PortStatus WAITING = {PORT_WAITING_FOR_DEVICE, PORT_REASON_DEVICE_GONE};

PortStatus auto_reopen_status(Port* port, PortStatus status)
{
    if (!port || !port->auto_reopen || status.state != PORT_LOST || status.reason != PORT_REASON_DEVICE_GONE)
        return status;
    // Before its window exists the post fails; create_port starts the tries then.
    if (HWND window = port_window(port)) PostMessageA(window, MSG_AUTO_REOPEN, 0, 0);
    return WAITING;
}

// The message can arrive before the engine thread has stored the status it posted
// it for: the timer starts regardless, and each try looks at the status first.
void auto_reopen_start(Port* port)
{
    if (HWND window = port_window(port)) SetTimer(window, AUTO_REOPEN_TIMER, AUTO_REOPEN_INTERVAL_MS, nullptr);
}

void auto_reopen_try(Port* port)
{
    HWND window = port_window(port);
    if (port->status.state != PORT_WAITING_FOR_DEVICE) {
        KillTimer(window, AUTO_REOPEN_TIMER);
        return;
    }
    if (!port->auto_reopen) {
        // Turned off while waiting: the port is lost as it would have been.
        KillTimer(window, AUTO_REOPEN_TIMER);
        port_set_status(port, PortStatus{PORT_LOST, PORT_REASON_DEVICE_GONE});
        show_connection_status(port);
        command_state_refresh();
        return;
    }
    // A failed reopen leaves the port waiting (port_reopen keeps that status).
    if (port_reopen(port)) {
        KillTimer(window, AUTO_REOPEN_TIMER);
        command_state_refresh();
    }
}

void auto_reopen_input_refused(const Port* port)
{
    if (port && port->status.state == PORT_WAITING_FOR_DEVICE) MessageBeep(MB_ICONEXCLAMATION);
}
