// The serial engine; see serial_engine_win.h.
//
// Receiving: a read is always outstanding, for what the driver holds or, with
// nothing held, for the next byte, so bytes are handed on without waiting for a
// comm event and none can sit unseen in the driver's queue. The comm event wait watches only the modem lines and line
// errors: under Wine every wait that does not end at once costs a thread, and
// waking for every received byte halved the throughput.
// Driver quirks it copes with:
//  - Some drivers cannot watch the modem lines: WaitCommEvent fails at once, or its
//    wait ends at once with a failure or with no events. The engine then watches
//    the line errors alone, and with those refused too, no events at all; receiving
//    does not depend on them.
//  - Some drivers do not end a write under way on a purge: the engine cancels its
//    own I/O after purging.
//  - A second WaitCommEvent while one is outstanding is refused by some drivers, so
//    a new one is issued only when the last has ended.
//  - A device that goes away fails its reads and writes (under Wine: error 109 for
//    reads, 21 for writes; a pulled USB adapter gives others) and then answers no
//    line errors either. The engine reports it once as lost and starts no more I/O,
//    so nothing retries in a loop and the owner can show the port as gone.
// Each pass serves every event that is signalled, in the order of the wait set (see
// engine_wait_and_serve): a flood of received bytes never keeps a write from starting.
#include "ports/serial/serial_engine_win.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ports/serial/serial_dcb.h"

static_assert(SERIAL_BAUD_300 == BAUD_300 && SERIAL_BAUD_115200 == BAUD_115200 && SERIAL_BAUD_57600 == BAUD_57600 &&
                  SERIAL_BAUD_USER == BAUD_USER && SERIAL_BAUD_9600 == BAUD_9600,
              "speed bits");
static_assert(SERIAL_DATABITS_5 == DATABITS_5 && SERIAL_DATABITS_8 == DATABITS_8, "data bits");
static_assert(SERIAL_STOPBITS_15 == STOPBITS_15 && SERIAL_PARITY_SPACE == PARITY_SPACE, "stop and parity bits");
static_assert(SERIAL_PCF_DTRDSR == PCF_DTRDSR && SERIAL_PCF_RTSCTS == PCF_RTSCTS && SERIAL_PCF_XONXOFF == PCF_XONXOFF,
              "provider capabilities");
static_assert(SERIAL_CONTROL_ENABLE == DTR_CONTROL_ENABLE && SERIAL_CONTROL_HANDSHAKE == RTS_CONTROL_HANDSHAKE,
              "line control");

// What the serial engine has beside its core.
static void release_device(SerialEngine* e)
{
    engine_close_handle(&e->read_done);
    engine_close_handle(&e->write_done);
    engine_close_handle(&e->comm_event);
    engine_close_handle(&e->device);
}

static DWORD WINAPI serial_engine_thread(void* parameter) noexcept;
static void purge_both(SerialEngine* e);

int serial_engine_open(int port_number, SerialEngine* e, const SerialOpenParams* params)
{
    if (port_number < 1 || !e || !params) return -1;
    std::memset(e, 0, sizeof *e);
    if (engine_core_open(&e->core, &params->callbacks) != 0) return -1;
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port_number);
    e->device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (e->device == INVALID_HANDLE_VALUE) e->device = nullptr;
    e->read_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->write_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->comm_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->read_overlapped.hEvent = e->read_done;
    e->write_overlapped.hEvent = e->write_done;
    e->comm_overlapped.hEvent = e->comm_event;
    // A device that answers no line state, or refuses the one asked for, is no
    // working serial port: the open fails and the user is told.
    bool usable = e->device && e->read_done && e->write_done && e->comm_event &&
                  serial_engine_configure(e, &params->settings);
    if (usable) {
        // What was queued before the port was ours is stale. It is discarded here,
        // not by the thread once it runs: bytes that arrive after open has returned
        // belong to the new connection and must not be lost to a late purge.
        purge_both(e);
        usable = engine_core_start(&e->core, serial_engine_thread, e);
    }
    if (!usable) {
        release_device(e);
        engine_core_release(&e->core);
        return -1;
    }
    return 0;
}
int serial_engine_configure(SerialEngine* e, const SerialSettings* settings)
{
    if (!e || !settings || !e->device) return 0;
    COMMPROP prop = {};
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    // Without properties the driver offers nothing to set: every setting keeps the
    // device's value (all the capability masks stay zero).
    if (!GetCommProperties(e->device, &prop)) prop = COMMPROP{};
    if (!GetCommState(e->device, &dcb)) return 0;
    dcb.DCBlength = sizeof dcb;
    SerialCaps caps = {prop.dwSettableBaud, prop.wSettableData, prop.wSettableStopParity, prop.dwProvCapabilities};
    SerialLine line = {};
    line.baud_rate = dcb.BaudRate;
    line.byte_size = dcb.ByteSize;
    line.parity = dcb.Parity;
    line.stop_bits = dcb.StopBits;
    serial_map_settings(&caps, settings, &line);
    dcb.BaudRate = line.baud_rate;
    dcb.ByteSize = line.byte_size;
    dcb.Parity = line.parity;
    dcb.StopBits = line.stop_bits;
    dcb.fBinary = line.binary;
    dcb.fParity = line.parity_check;
    dcb.fOutxCtsFlow = line.out_cts_flow;
    dcb.fOutxDsrFlow = line.out_dsr_flow;
    dcb.fDtrControl = line.dtr_control;
    dcb.fDsrSensitivity = line.dsr_sensitivity;
    dcb.fTXContinueOnXoff = line.tx_continue_on_xoff;
    dcb.fOutX = line.out_x;
    dcb.fInX = line.in_x;
    dcb.fNull = line.null_discard;
    dcb.fRtsControl = line.rts_control;
    dcb.XonChar = line.xon_char;
    dcb.XoffChar = line.xoff_char;
    if (!SetCommState(e->device, &dcb)) return 0;
    // No time-outs: a read ends when its count has arrived. The thread asks only for
    // what is there, or for one byte when nothing is, so no read waits for more than
    // will come; whatever time-outs the port was left with must not end reads early
    // and empty.
    COMMTIMEOUTS timeouts = {};
    if (!SetCommTimeouts(e->device, &timeouts)) return 0;
    DWORD errors;
    COMSTAT stat;
    ClearCommError(e->device, &errors, &stat);  // only clears; what it says is stale
    return 1;
}

int serial_engine_write(SerialEngine* e, const unsigned char* data, std::int32_t length)
{
    if (!e || e->device_lost) return 0;
    return engine_core_request_write(&e->core, data, length);
}

int serial_engine_purge(SerialEngine* e)
{
    return e ? engine_core_wake(&e->core) : 0;
}

void serial_engine_stop(SerialEngine* e)
{
    if (!e) return;
    // The thread purges on the wake, finishes its own I/O and leaves; then the
    // device goes. The core's stop closes the events and frees the buffer. After a
    // thread that had to be terminated only the device is closed, so that the port
    // can be opened again: that cancels its I/O, which may still signal the events
    // and fill the OVERLAPPEDs, so those stay (the record is never freed then).
    engine_core_stop(&e->core);
    if (e->core.abandoned)
        engine_close_handle(&e->device);
    else
        release_device(e);
}

// Engine thread from here on.

static void purge_both(SerialEngine* e)
{
    PurgeComm(e->device, PURGE_TXABORT | PURGE_TXCLEAR);
    PurgeComm(e->device, PURGE_RXABORT | PURGE_RXCLEAR);
}

// Reads the line errors, reports a change of them, and returns how many bytes the
// driver holds.
static DWORD check_errors(SerialEngine* e)
{
    DWORD errors = 0;
    COMSTAT stat = {};
    if (!ClearCommError(e->device, &errors, &stat)) return 0;
    if (errors != e->last_errors) {
        e->last_errors = errors;
        engine_core_status(&e->core);
    }
    return stat.cbInQue;
}

// A read or write failed with `error`. Our own purge or cancel ends I/O with
// ERROR_OPERATION_ABORTED; any other failure after which the device answers no line
// errors either means the device is gone: reported once, and no more I/O starts.
// Returns true when the device is gone.
static bool device_gone(SerialEngine* e, DWORD error)
{
    if (e->device_lost) return true;
    if (error == ERROR_OPERATION_ABORTED || error == ERROR_IO_PENDING) return false;
    DWORD errors = 0;
    COMSTAT stat = {};
    if (ClearCommError(e->device, &errors, &stat)) return false;
    InterlockedExchange(&e->device_lost, 1);
    e->read_retry = 0;
    engine_core_status(&e->core);
    return true;
}

// Starts the next read: for what the driver holds (at most the buffer), so that it
// ends at once, or, with nothing held, for one byte, so that it ends when the next
// byte arrives. Either way it never waits for more than will come.
static void start_read(SerialEngine* e)
{
    if (e->read_pending || e->core.stop_requested || e->device_lost) return;
    DWORD queued = check_errors(e);
    const DWORD size = static_cast<DWORD>(e->core.callbacks.receive_buffer_size);
    DWORD count = queued == 0 ? 1 : queued < size ? queued : size;
    e->read_retry = 0;
    e->read_pending = 1;
    e->read_overlapped.Offset = 0;
    e->read_overlapped.OffsetHigh = 0;
    // ReadFile resets read_done itself as it starts (under Wine every reset is a
    // trip to the server, so it is not done twice); a read that finishes at once
    // is still reported through it.
    if (!ReadFile(e->device, e->core.rx_buffer, count, nullptr, &e->read_overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        e->read_pending = 0;
        if (!device_gone(e, GetLastError())) e->read_retry = 1;  // again after a pause, not in a tight loop
    }
}

static void read_completed(SerialEngine* e)
{
    // Served first in the wait set: left signalled it would be served again.
    ResetEvent(e->read_done);
    e->read_pending = 0;
    DWORD count = 0;
    if (GetOverlappedResult(e->device, &e->read_overlapped, &count, FALSE)) {
        if (count > 0) {
            engine_core_receive(&e->core, count);
            start_read(e);
            return;
        }
    } else if (device_gone(e, GetLastError())) {
        return;
    }
    // A purge cancelled the read, or the driver ended it empty. A driver that ends
    // empty reads at once must not make this spin: pause first.
    e->read_retry = 1;
}

// The driver cannot deliver the events asked for: watch the line errors alone, and
// when it refuses those too, stop asking.
static void driver_refused_events(SerialEngine* e)
{
    if (e->comm_mask == SERIAL_EVENT_MASK && SetCommMask(e->device, SERIAL_ERROR_EVENTS)) {
        e->comm_mask = SERIAL_ERROR_EVENTS;
        // A mask change ends an outstanding wait with no events; that is no refusal.
        if (e->comm_pending) e->mask_changed = 1;
    } else {
        e->events_refused = 1;
    }
}

static void comm_event_served(SerialEngine* e)
{
    ResetEvent(e->comm_event);
    e->comm_pending = 0;
    DWORD ignored;
    if (!GetOverlappedResult(e->device, &e->comm_overlapped, &ignored, FALSE)) {
        // Cancelled by a purge: nothing to serve. Any other failure is the driver
        // refusing the wait after it began.
        if (GetLastError() != ERROR_OPERATION_ABORTED) driver_refused_events(e);
        return;
    }
    DWORD mask = e->event_mask;
    if (mask == 0) {
        // Ended with nothing to report: by our own mask change, or by a driver that
        // cannot watch what was asked (Wine without modem lines ends every wait so);
        // waiting the same way again would spin.
        if (e->mask_changed)
            e->mask_changed = 0;
        else
            driver_refused_events(e);
        return;
    }
    if (mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)) {
        DWORD status = 0;
        if (GetCommModemStatus(e->device, &status) && status != e->last_modem_status) {
            e->last_modem_status = status;
            engine_core_status(&e->core);
        }
    }
    if (mask & EV_ERR) check_errors(e);
}

// A write that failed, to start or as it ended, may mean the device is gone.
static void write_ended(void* engine, bool, bool ok, DWORD error)
{
    if (!ok) device_gone(static_cast<SerialEngine*>(engine), error);
}

static void start_write(SerialEngine* e)
{
    engine_start_write(&e->core, e->device, &e->write_overlapped, write_ended, e);
}

static void write_completed(SerialEngine* e)
{
    engine_write_completed(&e->core, e->device, &e->write_overlapped, write_ended, e);
}

// Issues the WaitCommEvent for this turn unless one is outstanding or the driver
// takes none.
static void wait_comm_event(SerialEngine* e)
{
    if (e->comm_pending || e->events_refused || e->device_lost) return;
    ResetEvent(e->comm_event);
    e->event_mask = 0;
    if (!WaitCommEvent(e->device, &e->event_mask, &e->comm_overlapped) && GetLastError() != ERROR_IO_PENDING) {
        driver_refused_events(e);
        return;
    }
    e->comm_pending = 1;
    // A driver without an event history (Wine's) starts watching only now: a line that
    // changed since the last look would go unreported. Looked at once more here.
    DWORD status = 0;
    if ((e->comm_mask & (EV_CTS | EV_DSR | EV_RLSD | EV_RING)) && GetCommModemStatus(e->device, &status) &&
        status != e->last_modem_status) {
        e->last_modem_status = status;
        engine_core_status(&e->core);
    }
}

// Serves one event of the wait set (its index there).
static void serve_event(void* context, DWORD index)
{
    SerialEngine* e = static_cast<SerialEngine*>(context);
    switch (index) {
    case 0:
        read_completed(e);
        break;
    case 1:
        write_completed(e);
        break;
    case 2:
        comm_event_served(e);
        break;
    case 3:
        start_write(e);
        break;
    case 4:
        purge_both(e);
        // Some drivers (Wine's) leave a write under way running through the purge;
        // cancelling the thread's own I/O ends it, reported with 0 written. The
        // cancelled read and event wait end without a report and start again.
        CancelIo(e->device);
        break;
    }
}

// Ends the thread's outstanding I/O and waits for it, so that nothing writes into the
// record once it is gone. A mask change is what ends a pending WaitCommEvent (Wine
// does not cancel it); CancelIo ends the read and the write.
static void finish_outstanding(SerialEngine* e)
{
    SetCommMask(e->device, 0);
    CancelIo(e->device);
    DWORD ignored;
    if (e->read_pending) GetOverlappedResult(e->device, &e->read_overlapped, &ignored, TRUE);
    if (e->comm_pending) GetOverlappedResult(e->device, &e->comm_overlapped, &ignored, TRUE);
    if (e->core.write_state == ENGINE_WRITE_IN_PROGRESS)
        GetOverlappedResult(e->device, &e->write_overlapped, &ignored, TRUE);
}

static DWORD WINAPI serial_engine_thread(void* parameter) noexcept
{
    SerialEngine* e = static_cast<SerialEngine*>(parameter);
    e->comm_mask = SERIAL_EVENT_MASK;
    if (!SetCommMask(e->device, SERIAL_EVENT_MASK)) driver_refused_events(e);
    DWORD status = 0;
    if (GetCommModemStatus(e->device, &status)) e->last_modem_status = status;
    start_read(e);
    const HANDLE set[5] = {e->read_done, e->write_done, e->comm_event, e->core.write_request, e->core.wake};
    while (!e->core.stop_requested) {
        wait_comm_event(e);
        if (!engine_wait_and_serve(&e->core, set, 5, e->read_retry ? 10 : INFINITE, serve_event, e) &&
            e->read_retry)
            start_read(e);  // the pause after an empty or failed read is over
    }
    finish_outstanding(e);
    engine_thread_leave(&e->core.thread);
    return 0;
}
