// Opening a port's device again by itself after it went away (an adapter pulled, a
// board reset): the one place that decides when, over the kinds' reopen, which
// knows how. A port whose "auto reopen" is on is not shown as lost when its device
// goes: it waits ("再接続待ち"), its window tries the kind's reopen once a second,
// and when the device is back the same window goes on with the settings applied
// again. Input meanwhile is refused with a beep, never kept for later.
// Threads: auto_reopen_status on the engine thread that reports the loss; the rest
// on the UI thread, through the port's window (its message and its timer die with
// it, so closing the window stops the waiting at once).
#pragma once
#include <windows.h>

#include "terminal/port_win.h"

constexpr UINT MSG_AUTO_REOPEN = WM_APP + 10;  // posted to the port's window: start waiting
constexpr UINT_PTR AUTO_REOPEN_TIMER = 10;
constexpr UINT AUTO_REOPEN_INTERVAL_MS = 1000;

// Engine thread: the status the port takes for one its engine reports. A device gone
// from a port with auto reopen on becomes the waiting, and its window is asked to
// start trying; every other status is the port's as it is.
PortStatus auto_reopen_status(Port* port, PortStatus status);
// UI thread, the window's MSG_AUTO_REOPEN: the tries begin (create_port calls it for
// a port whose device went before its window was made).
void auto_reopen_start(Port* port);
// UI thread, the window's AUTO_REOPEN_TIMER: one try. Waiting ends when the device
// is back or when auto reopen has been turned off meanwhile (the port is then lost).
void auto_reopen_try(Port* port);
// Typing, a paste or a function key that the port refused: a beep while its device
// is waited for, so that the user knows nothing went.
void auto_reopen_input_refused(const Port* port);
