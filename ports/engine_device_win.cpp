// The engine core's device side: the thread body of every kind that does overlapped
// I/O on device handles (serial, parallel, USB), with its wait set, the read request
// and its completion, the write's start and completion, and the wait for what is
// still outstanding as the thread ends. See engine_core_win.h; the kind's routines
// (EngineDeviceKind) say only what differs. Engine thread, but for open and start.
//
// Under Wine each wait, reset and signal of an event is a trip to the server, so the
// paths every block takes avoid those that are not needed: a read or write started
// from the completion of the last resets its event itself as it starts, an event is
// reset here only when nothing is under way on it, and a read or write that ends at
// once (the device had the bytes, or room for them) is served at once rather than
// through another wait. That is done a few times in a row at most, so that a flood
// one way never keeps the other events from their turn.

#include "ports/engine_core_win.h"

int engine_core_open_device(EngineCore* core, const EngineCallbacks* callbacks, const EngineDeviceKind* kind,
                            void* engine, HANDLE read_handle, HANDLE write_handle, PortState state)
{
    if (!kind || engine_core_open(core, callbacks) != 0) return -1;
    core->status_state = state;
    core->device_kind = kind;
    core->engine = engine;
    core->read_handle = read_handle;
    core->write_handle = write_handle;
    core->read_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    core->write_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    core->read_overlapped.hEvent = core->read_done;
    core->write_overlapped.hEvent = core->write_done;
    if (!core->read_done || !core->write_done) {
        engine_core_release(core);
        return -1;
    }
    return 0;
}

void engine_core_add_slot(EngineCore* core, HANDLE event)
{
    if (core->kind_event_count < ENGINE_KIND_SLOTS) core->kind_events[core->kind_event_count++] = event;
}

// Engine thread from here on.

// How many transfers one serving of an event may take in turn when each next one
// ends at once: 16 blocks of the receive buffer's 4096 bytes.
constexpr int ENGINE_TURNS = 16;

static void pause_reading(EngineCore* core)
{
    if (core->device_kind->read_again_ms == 0 || core->device_gone) return;
    core->read_paused = 1;
    core->read_again_at = GetTickCount() + core->device_kind->read_again_ms;
}

// Starts a read; true when it ended at once (its event is signalled).
static bool start_read(EngineCore* core)
{
    if (core->read_pending || core->stop_requested || core->device_gone) return false;
    const EngineDeviceKind* kind = core->device_kind;
    const DWORD size = static_cast<DWORD>(core->callbacks.receive_buffer_size);
    DWORD count = kind->read_size ? kind->read_size(core->engine) : size;
    if (count == 0 || count > size) count = size;
    core->read_paused = 0;
    core->read_pending = 1;
    core->read_overlapped.Offset = 0;
    core->read_overlapped.OffsetHigh = 0;
    // ReadFile resets read_done as it starts; a read that ends at once is still
    // reported through it.
    if (ReadFile(core->read_handle, core->rx_buffer, count, nullptr, &core->read_overlapped)) return true;
    DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING) return false;
    core->read_pending = 0;
    if (kind->transfer_ended) kind->transfer_ended(core->engine, ENGINE_READ, false, false, error);
    pause_reading(core);  // tried again after a pause, never in a tight loop
    return false;
}

void engine_core_start_read(EngineCore* core)
{
    start_read(core);
}

static void read_completed(EngineCore* core)
{
    const EngineDeviceKind* kind = core->device_kind;
    for (int turn = 1;; ++turn) {
        core->read_pending = 0;
        DWORD count = 0;
        bool ok = GetOverlappedResult(core->read_handle, &core->read_overlapped, &count, FALSE) != 0;
        DWORD error = ok ? 0 : GetLastError();
        if (kind->transfer_ended) kind->transfer_ended(core->engine, ENGINE_READ, true, ok, error);
        if (ok && count > 0) {
            engine_core_receive(core, count);
            if (kind->read_again_ms && start_read(core) && turn < ENGINE_TURNS) continue;
        } else {
            // A purge or cancel ended it, the driver ended it empty, or it failed: a
            // driver that ends reads at once must not make this spin.
            pause_reading(core);
        }
        break;
    }
    // Left signalled with nothing under way, it would be served again.
    if (!core->read_pending) ResetEvent(core->read_done);
}

static void write_ended(EngineCore* core, bool started, bool ok, DWORD error)
{
    if (core->device_kind->transfer_ended)
        core->device_kind->transfer_ended(core->engine, ENGINE_WRITE, started, ok, error);
}

// Starts the stored write. One that cannot start is reported with 0 written; so, in
// turn, is one asked for from inside that report. True when the write ended at once
// (its event is signalled).
static bool start_write(EngineCore* core)
{
    const unsigned char* data;
    std::int32_t length;
    while (!core->stop_requested && engine_core_take_write(core, &data, &length)) {
        core->write_overlapped.Offset = 0;
        core->write_overlapped.OffsetHigh = 0;
        // WriteFile resets write_done as it starts.
        if (WriteFile(core->write_handle, data, static_cast<DWORD>(length), nullptr, &core->write_overlapped))
            return true;
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) return false;
        write_ended(core, false, false, error);
        if (!engine_core_write_ended(core, 0)) return false;
    }
    return false;
}

// The write has ended: reported with what was written (0 when it failed). The next
// is usually asked for from inside on_sent, on this thread: it starts right after,
// without the round trip through write_request.
static void write_completed(EngineCore* core)
{
    for (int turn = 1;; ++turn) {
        DWORD written = 0;
        bool ok = GetOverlappedResult(core->write_handle, &core->write_overlapped, &written, FALSE) != 0;
        write_ended(core, true, ok, ok ? 0 : GetLastError());
        if (!ok) written = 0;
        if (engine_core_write_ended(core, static_cast<std::int32_t>(written)) && start_write(core) &&
            turn < ENGINE_TURNS)
            continue;
        break;
    }
    if (core->write_state != ENGINE_WRITE_IN_PROGRESS) ResetEvent(core->write_done);
}

void engine_core_cancel_io(EngineCore* core)
{
    if (core->read_handle) CancelIo(core->read_handle);
    if (core->write_handle && core->write_handle != core->read_handle) CancelIo(core->write_handle);
}

static void serve_slot(void* context, DWORD slot)
{
    EngineCore* core = static_cast<EngineCore*>(context);
    const EngineDeviceKind* kind = core->device_kind;
    switch (slot) {
    case ENGINE_SLOT_READ:
        read_completed(core);
        break;
    case ENGINE_SLOT_WRITE:
        write_completed(core);
        break;
    case ENGINE_SLOT_WRITE_REQUEST:
        if (start_write(core)) write_completed(core);
        break;
    case ENGINE_SLOT_WAKE:
        if (!core->stop_requested && kind->woken) kind->woken(core->engine);
        break;
    default:
        if (kind->serve) kind->serve(core->engine, slot - ENGINE_SLOT_KIND);
        break;
    }
}

// Ends the thread's outstanding I/O and waits for it, so that nothing writes into the
// buffer or the record once they are gone. A write it had taken, or had been asked
// for, is reported with what was written (0 when it was cancelled), so that its owner
// does not wait for it (a port being closed has stopped taking reports by then; one
// being opened again takes it).
static void finish_outstanding(EngineCore* core)
{
    if (core->device_kind->finish) core->device_kind->finish(core->engine);
    engine_core_cancel_io(core);
    DWORD done = 0;
    if (core->read_pending) GetOverlappedResult(core->read_handle, &core->read_overlapped, &done, TRUE);
    core->read_pending = 0;
    std::int32_t written = 0;
    if (core->write_state == ENGINE_WRITE_IN_PROGRESS &&
        GetOverlappedResult(core->write_handle, &core->write_overlapped, &done, TRUE))
        written = static_cast<std::int32_t>(done);
    // A request stored while the stop or the device's end was being set is seen here;
    // one made later is refused (both flags, set before, are looked at under the same
    // lock).
    EnterCriticalSection(&core->lock);
    bool report = core->write_state != ENGINE_WRITE_IDLE;
    LeaveCriticalSection(&core->lock);
    if (report) engine_core_write_ended(core, written);
}

static DWORD wait_time(const EngineCore* core)
{
    DWORD wait = core->device_kind->wait_ms;
    if (!core->read_paused) return wait;
    LONG left = static_cast<LONG>(core->read_again_at - GetTickCount());
    DWORD pause = left > 0 ? static_cast<DWORD>(left) : 0;
    return pause < wait ? pause : wait;
}

static DWORD WINAPI device_thread(void* parameter) noexcept
{
    EngineCore* core = static_cast<EngineCore*>(parameter);
    const EngineDeviceKind* kind = core->device_kind;
    if (kind->begin) kind->begin(core->engine);
    if (kind->read_again_ms) engine_core_start_read(core);
    HANDLE set[ENGINE_SLOT_KIND + ENGINE_KIND_SLOTS];
    set[ENGINE_SLOT_READ] = core->read_done;
    set[ENGINE_SLOT_WRITE] = core->write_done;
    set[ENGINE_SLOT_WRITE_REQUEST] = core->write_request;
    set[ENGINE_SLOT_WAKE] = core->wake;
    for (DWORD i = 0; i < core->kind_event_count; ++i) set[ENGINE_SLOT_KIND + i] = core->kind_events[i];
    const DWORD count = ENGINE_SLOT_KIND + core->kind_event_count;
    while (!core->stop_requested) {
        if (kind->before_wait) kind->before_wait(core->engine);
        engine_wait_and_serve(core, set, count, wait_time(core), serve_slot, core);
        if (core->stop_requested) break;
        if (core->read_paused && static_cast<LONG>(GetTickCount() - core->read_again_at) >= 0)
            engine_core_start_read(core);
        if (kind->after_wait) kind->after_wait(core->engine);
    }
    finish_outstanding(core);
    engine_thread_leave(&core->thread);
    return 0;
}

bool engine_core_start_device(EngineCore* core)
{
    return engine_core_start(core, device_thread, core);
}
