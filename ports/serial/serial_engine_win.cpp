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
// The engine core runs the thread, the read and the write (engine_device_win.cpp);
// the serial kind adds the read's size, the comm event wait, the purge and the test
// for a device that is gone.
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
    engine_close_handle(&e->comm_event);
    engine_close_handle(&e->device);
}

static void purge_both(SerialEngine* e);
extern const EngineDeviceKind SERIAL_DEVICE_KIND;

int serial_engine_open(int port_number, SerialEngine* e, const SerialOpenParams* params)
{
    if (port_number < 1 || !e || !params) return -1;
    std::memset(e, 0, sizeof *e);
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\COM%d", port_number);
    e->device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (e->device == INVALID_HANDLE_VALUE) e->device = nullptr;
    if (!e->device ||
        engine_core_open_device(&e->core, &params->callbacks, &SERIAL_DEVICE_KIND, e, e->device, e->device,
                                PORT_CONNECTED) != 0) {
        engine_close_handle(&e->device);
        return -1;
    }
    e->comm_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->comm_overlapped.hEvent = e->comm_event;
    engine_core_add_slot(&e->core, e->comm_event);
    // A device that answers no line state, or refuses the one asked for, is no
    // working serial port: the open fails and the user is told.
    bool usable = e->comm_event && serial_engine_configure(e, &params->settings);
    if (usable) {
        // What was queued before the port was ours is stale. It is discarded here,
        // not by the thread once it runs: bytes that arrive after open has returned
        // belong to the new connection and must not be lost to a late purge.
        purge_both(e);
        usable = engine_core_start_device(&e->core);
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
    const DCB before = dcb;
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
    // A driver may take a speed it cannot run and set another: Wine on a pty, asked
    // for a speed without a termios constant of its own (250000, 76800), reports
    // success and runs at 38400. A speed that does not read back is refused as
    // SetCommState refusing it would be, and the line is put back as it was, so the
    // user never works at a speed other than the one chosen without being told.
    DCB now = {};
    now.DCBlength = sizeof now;
    if (!GetCommState(e->device, &now) || now.BaudRate != dcb.BaudRate) {
        DCB restore = before;
        SetCommState(e->device, &restore);  // best effort: the refusal is what counts
        return 0;
    }
    e->dtr_control = line.dtr_control;
    e->rts_control = line.rts_control;
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
    return e ? engine_core_request_write(&e->core, data, length) : 0;
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

// A read or write ended or failed with `error`. Our own purge or cancel ends I/O
// with ERROR_OPERATION_ABORTED; any other failure after which the device answers no
// line errors either means the device is gone: reported once, and no more I/O starts.
static void transfer_ended(void* engine, EngineTransfer, bool, bool ok, DWORD error)
{
    SerialEngine* e = static_cast<SerialEngine*>(engine);
    if (ok || e->core.device_gone || error == ERROR_OPERATION_ABORTED || error == ERROR_IO_PENDING) return;
    DWORD errors = 0;
    COMSTAT stat = {};
    if (!ClearCommError(e->device, &errors, &stat)) engine_core_device_gone(&e->core);
}

// The next read asks for what the driver holds (at most the buffer), so that it ends
// at once, or, with nothing held, for one byte, so that it ends when the next byte
// arrives. Either way it never waits for more than will come.
static DWORD read_size(void* engine)
{
    DWORD queued = check_errors(static_cast<SerialEngine*>(engine));
    return queued == 0 ? 1 : queued;
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
        if (GetCommModemStatus(e->device, &status) && (status != e->last_modem_status || !e->modem_read)) {
            e->last_modem_status = status;
            InterlockedExchange(&e->modem_read, 1);
            engine_core_status(&e->core);
        }
    }
    if (mask & EV_ERR) check_errors(e);
}

// Issues the WaitCommEvent for this turn unless one is outstanding or the driver
// takes none.
static void wait_comm_event(void* engine)
{
    SerialEngine* e = static_cast<SerialEngine*>(engine);
    if (e->comm_pending || e->events_refused || e->core.device_gone) return;
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
        (status != e->last_modem_status || !e->modem_read)) {
        e->last_modem_status = status;
        InterlockedExchange(&e->modem_read, 1);
        engine_core_status(&e->core);
    }
}

// The owner's wake-up: a purge. Some drivers (Wine's) leave a write under way running
// through the purge; cancelling the thread's own I/O ends it, reported with 0
// written. The cancelled read and event wait end without a report and start again.
static void purge(void* engine)
{
    SerialEngine* e = static_cast<SerialEngine*>(engine);
    purge_both(e);
    CancelIo(e->device);
}

static void serve_comm_event(void* engine, DWORD)
{
    comm_event_served(static_cast<SerialEngine*>(engine));
}

// A mask change is what ends a pending WaitCommEvent (Wine does not cancel it); the
// core's CancelIo then ends the read and the write.
static void finish(void* engine)
{
    SerialEngine* e = static_cast<SerialEngine*>(engine);
    SetCommMask(e->device, 0);
    CancelIo(e->device);
    DWORD ignored;
    if (e->comm_pending) GetOverlappedResult(e->device, &e->comm_overlapped, &ignored, TRUE);
}

static void begin(void* engine)
{
    SerialEngine* e = static_cast<SerialEngine*>(engine);
    e->comm_mask = SERIAL_EVENT_MASK;
    if (!SetCommMask(e->device, SERIAL_EVENT_MASK)) driver_refused_events(e);
    DWORD status = 0;
    if (GetCommModemStatus(e->device, &status)) {
        e->last_modem_status = status;
        InterlockedExchange(&e->modem_read, 1);
    }
}

// An empty or failed read is tried again after 10 ms.
const EngineDeviceKind SERIAL_DEVICE_KIND = {
    begin, read_size, transfer_ended, purge, serve_comm_event, wait_comm_event, nullptr, finish, 10, INFINITE,
};
