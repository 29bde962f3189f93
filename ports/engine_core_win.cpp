// The engine core; see engine_core_win.h. The write request moves idle → requested
// under the lock on the caller's thread; requested → in progress → idle only on the
// engine thread, without the lock: a new request is accepted only when idle, so the
// engine thread never races a caller for the same transition.
//
// The engine lock is an in-process critical section rather than a kernel mutex: it
// is taken once for every write, and under Wine each wait and release of a mutex is
// a round trip to the server that cost a third of the send throughput. It gives the
// same guarantees (one owner at a time, the same place in the lock order).
#include "ports/engine_core_win.h"

#include <cstdlib>
#include <cstring>

void engine_core_release(EngineCore* core)
{
    if (!core) return;
    engine_close_handle(&core->wake);
    engine_close_handle(&core->write_request);
    engine_close_handle(&core->read_done);
    engine_close_handle(&core->write_done);
    for (DWORD i = 0; i < ENGINE_KIND_SLOTS; ++i) core->kind_events[i] = nullptr;  // the kind's own
    core->kind_event_count = 0;
    if (core->lock_made) DeleteCriticalSection(&core->lock);
    core->lock_made = false;
    std::free(core->rx_buffer);
    core->rx_buffer = nullptr;
}

int engine_core_open(EngineCore* core, const EngineCallbacks* callbacks)
{
    if (!core || !callbacks || callbacks->receive_buffer_size <= 0) return -1;
    std::memset(core, 0, sizeof *core);
    core->callbacks = *callbacks;
    core->rx_buffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(callbacks->receive_buffer_size)));
    core->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    core->write_request = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!core->rx_buffer || !core->wake || !core->write_request) {
        engine_core_release(core);
        return -1;
    }
    InitializeCriticalSection(&core->lock);
    core->lock_made = true;
    return 0;
}

bool engine_core_start(EngineCore* core, LPTHREAD_START_ROUTINE body, void* argument)
{
    HANDLE thread = CreateThread(nullptr, 0, body, argument, 0, nullptr);
    if (!thread) return false;
    core->thread = thread;
    return true;
}

int engine_core_wake(EngineCore* core)
{
    if (!core || !core->wake) return 0;
    SetEvent(core->wake);
    return 1;
}

static HANDLE take_handle(HANDLE volatile* thread)
{
    return static_cast<HANDLE>(InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(thread), nullptr));
}

bool engine_stop_thread(HANDLE volatile* thread)
{
    if (!*thread) return true;
    Sleep(100);
    HANDLE handle = take_handle(thread);
    if (!handle) return true;
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 20; ++i) {
        if (!GetExitCodeThread(handle, &code) || code != STILL_ACTIVE) break;
        Sleep(50);
    }
    bool ended = true;
    if (GetExitCodeThread(handle, &code) && code == STILL_ACTIVE) {
        TerminateThread(handle, 1);
        ended = false;
    }
    CloseHandle(handle);
    return ended;
}

void engine_thread_leave(HANDLE volatile* thread)
{
    HANDLE handle = take_handle(thread);
    if (handle) CloseHandle(handle);
}

void engine_core_stop(EngineCore* core)
{
    if (!core) return;
    InterlockedExchange(&core->stop_requested, 1);
    if (core->wake) SetEvent(core->wake);
    // A thread that ends by itself has ended its I/O first (each engine waits for what
    // it cancelled). One that had to be terminated may leave a read still filling the
    // buffer: it is never freed.
    // Once abandoned, an engine stays so: a second stop must not free what the first
    // left in use. The read and write events stay too: that I/O may still signal them.
    if (!engine_stop_thread(&core->thread)) core->abandoned = true;
    if (core->abandoned) {
        core->rx_buffer = nullptr;
        core->read_done = nullptr;
        core->write_done = nullptr;
    }
    engine_core_release(core);
}

int engine_core_request_write(EngineCore* core, const unsigned char* data, std::int32_t length)
{
    if (!core || !data || length <= 0 || core->stop_requested || core->device_gone || !core->lock_made) return 0;
    int accepted = 0;
    EnterCriticalSection(&core->lock);
    // Looked at again under the lock: an engine thread that sets a flag itself (a
    // device found gone) and then reads the request under the lock sees every request
    // stored before, and none is stored after.
    if (core->write_state == ENGINE_WRITE_IDLE && !core->stop_requested && !core->device_gone) {
        core->write_buffer = data;
        core->write_length = length;
        InterlockedExchange(&core->write_state, ENGINE_WRITE_REQUESTED);
        // From inside on_sent the engine thread starts it when on_sent returns.
        if (core->reporting_thread != GetCurrentThreadId()) SetEvent(core->write_request);
        accepted = 1;
    }
    LeaveCriticalSection(&core->lock);
    return accepted;
}

bool engine_core_take_write(EngineCore* core, const unsigned char** data, std::int32_t* length)
{
    if (core->write_state != ENGINE_WRITE_REQUESTED) return false;
    *data = core->write_buffer;
    *length = core->write_length;
    InterlockedExchange(&core->write_state, ENGINE_WRITE_IN_PROGRESS);
    return true;
}

bool engine_core_write_ended(EngineCore* core, std::int32_t written)
{
    const unsigned char* data = core->write_buffer;
    std::int32_t length = core->write_length;
    core->write_buffer = nullptr;
    core->write_length = 0;
    // Idle before the report: on_sent may ask for the next write at once.
    InterlockedExchange(&core->write_state, ENGINE_WRITE_IDLE);
    core->reporting_thread = GetCurrentThreadId();
    if (core->callbacks.on_sent) core->callbacks.on_sent(core->callbacks.owner, data, length, written < 0 ? 0 : written);
    core->reporting_thread = 0;
    return core->write_state == ENGINE_WRITE_REQUESTED;
}

void engine_close_handle(HANDLE* handle)
{
    if (*handle && *handle != INVALID_HANDLE_VALUE) CloseHandle(*handle);
    *handle = nullptr;
}

void engine_core_receive(EngineCore* core, std::uint32_t count)
{
    if (count > 0 && core->callbacks.on_receive)
        core->callbacks.on_receive(core->callbacks.owner, core->rx_buffer, static_cast<std::int32_t>(count));
}

PortStatus engine_core_get_status(const EngineCore* core)
{
    return PortStatus{static_cast<PortState>(core->status_state), static_cast<PortReason>(core->status_reason)};
}

void engine_core_status(EngineCore* core)
{
    if (core->callbacks.on_status) core->callbacks.on_status(core->callbacks.owner, engine_core_get_status(core));
}

void engine_core_set_status(EngineCore* core, PortState state, PortReason reason)
{
    // The reason first: a reader that sees the new state sees its reason too.
    InterlockedExchange(&core->status_reason, reason);
    InterlockedExchange(&core->status_state, state);
    engine_core_status(core);
}

void engine_core_device_gone(EngineCore* core)
{
    if (InterlockedExchange(&core->device_gone, 1)) return;
    core->read_paused = 0;
    engine_core_set_status(core, PORT_LOST, PORT_REASON_DEVICE_GONE);
}

bool engine_wait_and_serve(EngineCore* core, const HANDLE* set, DWORD count, DWORD timeout,
                           void (*serve)(void* context, DWORD index), void* context)
{
    DWORD woke = WaitForMultipleObjects(count, set, FALSE, timeout);
    bool served = false;
    for (DWORD next = 0;;) {
        DWORD offset = woke - WAIT_OBJECT_0;
        if (offset >= count - next) break;  // timed out, failed, or nothing more signalled
        DWORD index = next + offset;
        serve(context, index);
        served = true;
        next = index + 1;
        if (next >= count || core->stop_requested) break;
        woke = WaitForMultipleObjects(count - next, set + next, FALSE, 0);
    }
    return served;
}
