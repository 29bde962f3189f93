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
// (reported once, through on_status); the next one that succeeds clears it. The read
// is tried again at the interval and each write as the owner sends it (the port goes
// on taking input while failing), so a printer switched back on is used again, while
// a device that is gone costs one failing read per interval, never a tight loop. A
// driver without a reverse channel rejects every read: that is no failure of the
// device, and such a port only sends.
#include "ports/parallel/parallel_engine_win.h"

#include <cstdio>
#include <cstring>

// What the parallel engine has beside its core.
static void release_device(ParallelEngine* e)
{
    engine_close_handle(&e->read_done);
    engine_close_handle(&e->write_done);
    engine_close_handle(&e->device);
}

static DWORD WINAPI parallel_engine_thread(void* parameter) noexcept;

int parallel_engine_open(int port_number, ParallelEngine* e, const ParallelOpenParams* params)
{
    if (port_number < 1 || !e || !params) return -1;
    std::memset(e, 0, sizeof *e);
    if (engine_core_open(&e->core, &params->callbacks) != 0) return -1;
    char name[32];
    std::snprintf(name, sizeof name, "\\\\.\\LPT%d", port_number);
    // No sharing: a port in use elsewhere cannot be opened. The device is not set up
    // otherwise: a parallel port has no mode, time-out or buffer to choose here.
    e->device = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                            nullptr);
    if (e->device == INVALID_HANDLE_VALUE) e->device = nullptr;
    e->read_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->write_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->read_overlapped.hEvent = e->read_done;
    e->write_overlapped.hEvent = e->write_done;
    bool usable = e->device && e->read_done && e->write_done && parallel_engine_configure(e, &params->settings) &&
                  engine_core_start(&e->core, parallel_engine_thread, e);
    if (!usable) {
        release_device(e);
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
    if (!e->core.abandoned) release_device(e);
}

// Engine thread from here on.

static void set_failing(ParallelEngine* e, bool failing)
{
    if ((e->failing != 0) == failing) return;
    InterlockedExchange(&e->failing, failing ? 1 : 0);
    engine_core_status(&e->core);
}

// A transfer ended (ok) or failed with `error`; our own cancel says nothing.
static void transfer_ended(ParallelEngine* e, bool ok, DWORD error)
{
    if (ok)
        set_failing(e, false);
    else if (error != ERROR_OPERATION_ABORTED)
        set_failing(e, true);
}

// A read the driver does not offer (a port without a reverse channel, or a driver
// that cannot read in the port's mode) tells nothing about the device.
static void read_ended(ParallelEngine* e, bool ok, DWORD error)
{
    if (ok || (error != ERROR_INVALID_FUNCTION && error != ERROR_NOT_SUPPORTED)) transfer_ended(e, ok, error);
}

static void start_read(ParallelEngine* e)
{
    e->read_pending = 1;
    e->read_overlapped.Offset = 0;
    e->read_overlapped.OffsetHigh = 0;
    // ReadFile resets read_done as it starts; a read that ends at once is still
    // reported through it.
    if (!ReadFile(e->device, e->core.rx_buffer, static_cast<DWORD>(e->core.callbacks.receive_buffer_size), nullptr,
                  &e->read_overlapped)) {
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) return;
        e->read_pending = 0;  // the countdown already counts from here: tried again after the interval
        read_ended(e, false, error);
    }
}

static void read_completed(ParallelEngine* e)
{
    // Served first in the wait set: left signalled it would be served again.
    ResetEvent(e->read_done);
    e->read_pending = 0;
    DWORD count = 0;
    bool ok = GetOverlappedResult(e->device, &e->read_overlapped, &count, FALSE) != 0;
    read_ended(e, ok, ok ? 0 : GetLastError());
    if (ok) engine_core_receive(&e->core, count);
}

static void write_ended(void* engine, bool, bool ok, DWORD error)
{
    transfer_ended(static_cast<ParallelEngine*>(engine), ok, error);
}

static void start_write(ParallelEngine* e)
{
    engine_start_write(&e->core, e->device, &e->write_overlapped, write_ended, e);
}

static void write_completed(ParallelEngine* e)
{
    engine_write_completed(&e->core, e->device, &e->write_overlapped, write_ended, e);
}

// Serves one event of the wait set (its index there).
static void serve_event(void* context, DWORD index)
{
    ParallelEngine* e = static_cast<ParallelEngine*>(context);
    switch (index) {
    case 0:
        read_completed(e);
        break;
    case 1:
        write_completed(e);
        break;
    case 2:
        start_write(e);
        break;
    case 3:
        // Cancel: the write under way ends reported with 0 written; the read, which
        // the user did not ask to end, starts again at the next poll.
        CancelIo(e->device);
        e->poll.poll_countdown = 0;
        break;
    }
}

static void poll(ParallelEngine* e, DWORD elapsed)
{
    if (InterlockedExchange(&e->configured, 0)) {
        e->poll.receive_interval = static_cast<std::uint32_t>(e->receive_interval);
        e->poll.bidirectional = e->bidirectional;
        e->poll.poll_countdown = 0;
    }
    if (parallel_poll_step(&e->poll, elapsed, e->read_pending != 0)) start_read(e);
}

// Ends the thread's outstanding I/O and waits for it, so that nothing writes into the
// buffer or the record once they are gone.
static void finish_outstanding(ParallelEngine* e)
{
    CancelIo(e->device);
    DWORD ignored;
    if (e->read_pending) GetOverlappedResult(e->device, &e->read_overlapped, &ignored, TRUE);
    if (e->core.write_state == ENGINE_WRITE_IN_PROGRESS)
        GetOverlappedResult(e->device, &e->write_overlapped, &ignored, TRUE);
    e->read_pending = 0;
}

static DWORD WINAPI parallel_engine_thread(void* parameter) noexcept
{
    ParallelEngine* e = static_cast<ParallelEngine*>(parameter);
    const HANDLE set[4] = {e->read_done, e->write_done, e->core.write_request, e->core.wake};
    DWORD last = GetTickCount();
    while (!e->core.stop_requested) {
        // Never asleep longer than 50 ms: a changed interval or switch, and the next
        // read, are never later than that.
        engine_wait_and_serve(&e->core, set, 4, PARALLEL_MIN_INTERVAL, serve_event, e);
        if (e->core.stop_requested) break;
        DWORD now = GetTickCount();
        poll(e, now - last);
        last = now;
    }
    finish_outstanding(e);
    engine_thread_leave(&e->core.thread);
    return 0;
}
