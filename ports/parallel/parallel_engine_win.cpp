// The parallel engine; see parallel_engine_win.h.
//
// Receiving is polled: the thread wakes at least every 50 ms (its wait has that
// time-out), and after every wake-up it counts the milliseconds since the last one
// (GetTickCount differences, so a wrapped counter is harmless) off the countdown to
// the next read (parallel_poll.cpp). A read asks for the whole buffer and stays
// outstanding until the device delivers what it has, or the engine cancels it; the
// interval only says how soon the next one starts after the last has ended.
//
// configure runs on the UI thread while the thread polls. It does not write the
// thread's poll state: it stores the new interval and switch and then sets configured;
// the thread clears configured, takes the two and restarts the countdown itself. So
// the countdown has one writer, and a poll that takes a change half-made (a second
// configure under way) finds configured set again and takes the whole of it at the
// next poll.
//
// A transfer that fails for any reason but our own cancel marks the device failing
// (the status lost, transfer failing, reported once); the next one that succeeds
// clears it. The read
// is tried again at the interval and each write as the owner sends it (the port goes
// on taking input while failing), so a printer switched back on is used again, while
// a device that is gone costs one failing read per interval, never a tight loop. A
// driver without a reverse channel rejects every read: that is no failure of the
// device, and such a port only sends. The engine core runs the thread, the read and
// the write (engine_device_win.cpp); this kind adds the poll and the cancel.
#include "ports/parallel/parallel_engine_win.h"

#include <cstdio>
#include <cstring>

extern const EngineDeviceKind PARALLEL_DEVICE_KIND;

int parallel_engine_open(int port_number, ParallelEngine* e, const ParallelOpenParams* params)
{
    if (port_number < 1 || !e || !params) return -1;
    std::memset(e, 0, sizeof *e);
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\LPT%d", port_number);
    // No sharing: a port in use elsewhere cannot be opened. The device is not set up
    // otherwise: a parallel port has no mode, time-out or buffer to choose here.
    e->device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr);
    if (e->device == INVALID_HANDLE_VALUE) e->device = nullptr;
    if (!e->device ||
        engine_core_open_device(&e->core, &params->callbacks, &PARALLEL_DEVICE_KIND, e, e->device, e->device,
                                PORT_CONNECTED) != 0) {
        engine_close_handle(&e->device);
        return -1;
    }
    if (!parallel_engine_configure(e, &params->settings) || !engine_core_start_device(&e->core)) {
        engine_close_handle(&e->device);
        engine_core_release(&e->core);
        return -1;
    }
    return 0;
}

int parallel_engine_write(ParallelEngine* e, const unsigned char* data, std::int32_t length)
{
    return e ? engine_core_request_write(&e->core, data, length) : 0;
}

int parallel_engine_configure(ParallelEngine* e, const ParallelSettings* settings)
{
    if (!e || !settings || !e->device) return 0;
    InterlockedExchange(&e->receive_interval, static_cast<LONG>(parallel_interval(settings->receive_interval)));
    InterlockedExchange(&e->bidirectional, settings->bidirectional ? 1 : 0);
    InterlockedExchange(&e->configured, 1);
    return 1;
}

int parallel_engine_cancel(ParallelEngine* e)
{
    return e ? engine_core_wake(&e->core) : 0;
}

void parallel_engine_stop(ParallelEngine* e)
{
    if (!e) return;
    // The thread cancels its I/O, waits for it to end and leaves; then the device
    // goes. A thread that had to be terminated leaves its I/O's handles alone.
    engine_core_stop(&e->core);
    if (!e->core.abandoned) engine_close_handle(&e->device);
}

// Engine thread from here on.

static void set_failing(ParallelEngine* e, bool failing)
{
    bool now = e->core.status_state == PORT_LOST;
    if (now == failing) return;
    if (failing)
        engine_core_set_status(&e->core, PORT_LOST, PORT_REASON_TRANSFER_FAILING);
    else
        engine_core_set_status(&e->core, PORT_CONNECTED, PORT_REASON_NONE);
}

// A transfer ended (ok) or failed with `error`; our own cancel says nothing. A read
// the driver does not offer (a port without a reverse channel, or a driver that
// cannot read in the port's mode) tells nothing about the device either.
static void transfer_ended(void* engine, EngineTransfer transfer, bool, bool ok, DWORD error)
{
    ParallelEngine* e = static_cast<ParallelEngine*>(engine);
    if (ok) {
        set_failing(e, false);
        return;
    }
    if (error == ERROR_OPERATION_ABORTED) return;
    if (transfer == ENGINE_READ && (error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED)) return;
    set_failing(e, true);
}

// Cancel: the write under way ends reported with 0 written; the read, which the user
// did not ask to end, starts again at the next poll.
static void cancel(void* engine)
{
    ParallelEngine* e = static_cast<ParallelEngine*>(engine);
    engine_core_cancel_io(&e->core);
    e->poll.poll_countdown = 0;
}

// After every wake-up: the milliseconds since the last come off the countdown to the
// next read.
static void poll(void* engine)
{
    ParallelEngine* e = static_cast<ParallelEngine*>(engine);
    DWORD now = GetTickCount();
    DWORD elapsed = now - e->last_poll;
    e->last_poll = now;
    if (InterlockedExchange(&e->configured, 0)) {
        e->poll.receive_interval = static_cast<std::uint32_t>(e->receive_interval);
        e->poll.bidirectional = e->bidirectional;
        e->poll.poll_countdown = 0;
    }
    if (parallel_poll_step(&e->poll, elapsed, e->core.read_pending != 0)) engine_core_start_read(&e->core);
}

static void begin(void* engine)
{
    static_cast<ParallelEngine*>(engine)->last_poll = GetTickCount();
}

// Reads are started by the poll only; the thread never sleeps longer than 50 ms, so
// that a changed interval or switch, and the next read, are never later than that.
const EngineDeviceKind PARALLEL_DEVICE_KIND = {
    begin, nullptr, transfer_ended, cancel, nullptr, nullptr, poll, nullptr, 0, PARALLEL_MIN_INTERVAL,
};
