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
    core->abandoned = !engine_stop_thread(&core->thread);
    if (core->abandoned) core->rx_buffer = nullptr;
    engine_core_release(core);
}

int engine_core_request_write(EngineCore* core, const unsigned char* data, std::int32_t length)
{
    if (!core || !data || length <= 0 || core->stop_requested || !core->lock_made) return 0;
    int accepted = 0;
    EnterCriticalSection(&core->lock);
    // Looked at again under the lock: an engine thread that sets the flag itself (a
    // device found gone) and then reads the request under the lock sees every request
    // stored before, and none is stored after.
    if (core->write_state == ENGINE_WRITE_IDLE && !core->stop_requested) {
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

void engine_start_write(EngineCore* core, HANDLE handle, OVERLAPPED* overlapped, EngineWriteEnded ended,
                        void* engine)
{
    const unsigned char* data;
    std::int32_t length;
    while (engine_core_take_write(core, &data, &length)) {
        overlapped->Offset = 0;
        overlapped->OffsetHigh = 0;
        if (WriteFile(handle, data, static_cast<DWORD>(length), nullptr, overlapped)) return;
        DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) return;
        ended(engine, false, false, error);
        if (!engine_core_write_ended(core, 0)) return;
    }
}

void engine_write_completed(EngineCore* core, HANDLE handle, OVERLAPPED* overlapped, EngineWriteEnded ended,
                            void* engine)
{
    DWORD written = 0;
    bool ok = GetOverlappedResult(handle, overlapped, &written, FALSE) != 0;
    ended(engine, true, ok, ok ? 0 : GetLastError());
    if (!ok) written = 0;
    // The next piece is usually asked for from inside on_sent, on this thread: it is
    // started right after, without the round trip through write_request, and its
    // WriteFile resets the event. Only when none starts is the event reset here
    // (under Wine each reset is a trip to the server).
    if (engine_core_write_ended(core, static_cast<std::int32_t>(written)))
        engine_start_write(core, handle, overlapped, ended, engine);
    if (core->write_state != ENGINE_WRITE_IN_PROGRESS) ResetEvent(overlapped->hEvent);
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

void engine_core_status(EngineCore* core)
{
    if (core->callbacks.on_status) core->callbacks.on_status(core->callbacks.owner);
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
