// The serial I/O engine: one COM port opened for overlapped I/O, configured from its
// SerialSettings, with a thread that waits on the device's events, reads what has
// arrived, performs one write at a time and reports through EngineCallbacks.
// Threads: open, configure, purge and stop on the UI thread; write on any owner
// thread (UI, file send, the engine thread inside on_sent); everything else on the
// engine thread. The engine core's lock guards only the write request. The caller
// owns the record's storage; the engine owns its handles and receive buffer until
// stop.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ports/serial/serial_settings.h"
#include "ports/engine_core_win.h"
#include "terminal/engine_callbacks.h"

struct SerialOpenParams {
    SerialSettings settings;
    EngineCallbacks callbacks;
};

struct SerialEngine {
    // Thread, stop, write request, callbacks, receive buffer, status, and the read and
    // write on the device; the core's device_gone is set when the device went away (an
    // adapter pulled, the far end of a pty closed).
    EngineCore core;
    std::uint32_t last_errors;
    std::uint32_t last_modem_status;
    HANDLE device;
    HANDLE comm_event;  // manual reset, comm_overlapped's; the kind's slot in the wait set
    OVERLAPPED comm_overlapped;
    // The engine thread's own bookkeeping of its WaitCommEvent.
    std::int32_t comm_pending;   // a WaitCommEvent is outstanding
    DWORD comm_mask;             // the events the driver accepted
    DWORD event_mask;            // what the outstanding WaitCommEvent fills in
    std::int32_t events_refused; // the driver takes no WaitCommEvent at all
    std::int32_t mask_changed;   // the outstanding wait ends by our own mask change
    // 1 once GetCommModemStatus has answered: last_modem_status holds the inputs.
    // Engine thread writes, the UI thread reads.
    volatile LONG modem_read;
    // The DTR and RTS control in force (SERIAL_CONTROL_*): set by configure and by the
    // user's DTR and RTS commands, both on the UI thread.
    std::uint8_t dtr_control;
    std::uint8_t rts_control;
};

// What the comm event wait watches: the modem lines and line errors (receiving
// needs no event, see serial_engine_win.cpp), or the errors alone for a driver that
// cannot watch the lines.
constexpr DWORD SERIAL_EVENT_MASK = EV_CTS | EV_DSR | EV_RLSD | EV_ERR | EV_RING;  // 0x1B8
constexpr DWORD SERIAL_ERROR_EVENTS = EV_ERR;                                    // 0x80

// 0 when the device is open and the thread runs; -1 with nothing left open.
int serial_engine_open(int port_number, SerialEngine* engine, const SerialOpenParams* params);
// 1 when the request was stored; 0 when busy, stopping, the device is gone or given
// nothing.
int serial_engine_write(SerialEngine* engine, const unsigned char* data, std::int32_t length);
// 1 after the settings went to the device; 0 without engine, settings or device, or
// when the device answers no line state or refuses the new one (a speed it does not
// read back as set counts as refused).
int serial_engine_configure(SerialEngine* engine, const SerialSettings* settings);
// Asks the thread to discard everything queued both ways. 1, or 0 without an engine.
int serial_engine_purge(SerialEngine* engine);
void serial_engine_stop(SerialEngine* engine);
