// The test engine; see test_engine_win.h. Its thread is the only one that calls the
// port's callbacks; the test's thread only queues work and reads results.
#include "tests/support/test_engine_win.h"

#include <cstdio>
#include <cstring>

static TestEngine* engine_of(Port* port)
{
    return &reinterpret_cast<TestPort*>(port)->engine;
}

TestEngine* test_engine_of(Port* port)
{
    return engine_of(port);
}

static void lock(TestEngine* e)
{
    EnterCriticalSection(&e->lock);
}

static void unlock(TestEngine* e)
{
    LeaveCriticalSection(&e->lock);
}

// Takes the next piece of work: a delivery first, then a write. Returns false when
// there is none.
static bool engine_step(TestEngine* e)
{
    lock(e);
    if (!e->receives.empty()) {
        std::string bytes = e->receives.front();
        e->receives.pop_front();
        InterlockedIncrement(&e->busy);
        unlock(e);
        // Through the receive buffer, a buffer's worth at a time, as a device delivers.
        const std::uint32_t size = static_cast<std::uint32_t>(e->core.callbacks.receive_buffer_size);
        for (size_t at = 0; at < bytes.size(); at += size) {
            std::uint32_t count = static_cast<std::uint32_t>(std::min<size_t>(size, bytes.size() - at));
            std::memcpy(e->core.rx_buffer, bytes.data() + at, count);
            engine_core_receive(&e->core, count);
        }
        InterlockedDecrement(&e->busy);
        return true;
    }
    const unsigned char* data;
    std::int32_t requested;
    if ((!e->hold_writes || e->gone) && engine_core_take_write(&e->core, &data, &requested)) {
        std::int32_t count = e->gone ? 0 : requested;
        if (!e->gone && !e->results.empty()) {
            count = e->results.front() < requested ? e->results.front() : requested;
            e->results.pop_front();
        }
        e->written.append(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
        e->requests.push_back(requested);
        InterlockedIncrement(&e->busy);
        unlock(e);
        engine_core_write_ended(&e->core, count);  // a next write asked for meanwhile is taken next
        InterlockedDecrement(&e->busy);
        return true;
    }
    unlock(e);
    return false;
}

static DWORD WINAPI engine_thread(void* parameter) noexcept
{
    TestEngine* e = static_cast<TestEngine*>(parameter);
    const HANDLE set[3] = {e->core.write_request, e->work, e->core.wake};
    while (!e->core.stop_requested) {
        WaitForMultipleObjects(3, set, FALSE, INFINITE);
        while (!e->core.stop_requested && engine_step(e)) {
        }
    }
    engine_thread_leave(&e->core.thread);
    return 0;
}

static std::int32_t test_write(Port* port, const unsigned char* data, std::int32_t length)
{
    TestEngine* e = engine_of(port);
    int accepted = e->gone ? 0 : engine_core_request_write(&e->core, data, length);
    if (!accepted) {
        lock(e);
        e->refused++;
        unlock(e);
    }
    return accepted;
}

static const char* test_long_name(Port* port)
{
    return port ? port->long_name_text : "";
}

static const char* test_short_name(Port* port)
{
    return port ? port->short_name_text : "";
}

static void test_apply_settings(Port* port)
{
    InterlockedIncrement(&engine_of(port)->applied);
}

// Closes of several ports run on threads of their own, side by side.
static std::string taken_at_stop;
static CRITICAL_SECTION* taken_lock()
{
    static CRITICAL_SECTION lock;
    static bool made = [] {
        InitializeCriticalSection(&lock);
        return true;
    }();
    (void)made;
    return &lock;
}

std::string test_engine_taken_at_stop()
{
    EnterCriticalSection(taken_lock());
    std::string taken = taken_at_stop;
    LeaveCriticalSection(taken_lock());
    return taken;
}

static void test_close(Port* port)
{
    TestPort* tp = reinterpret_cast<TestPort*>(port);
    TestEngine* e = &tp->engine;
    engine_core_stop(&e->core);
    // Like a device that still sends its last write while it is being closed: the
    // bytes must still be the caller's.
    EnterCriticalSection(taken_lock());
    taken_at_stop.clear();
    if (e->core.write_state == ENGINE_WRITE_REQUESTED && e->core.write_buffer)
        taken_at_stop.assign(reinterpret_cast<const char*>(e->core.write_buffer),
                             static_cast<size_t>(e->core.write_length));
    LeaveCriticalSection(taken_lock());
    CloseHandle(e->work);
    DeleteCriticalSection(&e->lock);
    delete tp;
}

static void test_wake(Port* port)
{
    TestEngine* e = engine_of(port);
    InterlockedIncrement(&e->wakes);
    SetEvent(e->core.wake);
}

static const PortSlots TEST_SLOTS = {test_close, test_write, test_long_name, test_short_name, test_apply_settings};

static int constructed = 0;

static Port* test_create(HWND, const void* argument)
{
    TestPort* tp = new TestPort();  // value-initialised: the Port is zero-filled
    Port* port = &tp->port;
    port->kind = argument ? *static_cast<const int*>(argument) : PORT_SERIAL;
    port_set_status(port, PortStatus{PORT_CONNECTED, PORT_REASON_NONE});
    port_set_slots(port, &TEST_SLOTS);
    ++constructed;
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "TEST%d", constructed);
    std::snprintf(port->long_name_text, sizeof port->long_name_text, "テスト ポート (TEST%d)", constructed);
    TestEngine* e = &tp->engine;
    EngineCallbacks callbacks;
    port_engine_callbacks(port, &callbacks);
    InitializeCriticalSection(&e->lock);
    e->work = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (engine_core_open(&e->core, &callbacks) != 0 || !e->work || !engine_core_start(&e->core, engine_thread, e)) {
        engine_core_release(&e->core);
        if (e->work) CloseHandle(e->work);
        DeleteCriticalSection(&e->lock);
        delete tp;
        return nullptr;
    }
    return port;
}

static Pacing installed_pacing;

static Pacing test_pacing(Port*)
{
    return installed_pacing;
}

void test_engine_pacing(const Pacing& pacing)
{
    installed_pacing = pacing;
}

PortKindEntry test_engine_install(int kind)
{
    installed_pacing = Pacing{};
    PortKindEntry previous = port_kind_entry(kind);
    PortKindEntry entry = previous;
    entry.create = test_create;
    entry.wake_engine = test_wake;
    entry.reopen = nullptr;  // the kind's would take a test port for its own
    // Test ports name no device: any number of them may be open.
    entry.device_name = nullptr;
    // The kind's own pacing would read a test port as its own record.
    entry.pacing = test_pacing;
    port_kind_register(kind, entry);
    return previous;
}

void test_engine_restore(int kind, PortKindEntry previous)
{
    port_kind_register(kind, previous);
}

void test_engine_hold(Port* port, bool hold)
{
    TestEngine* e = engine_of(port);
    lock(e);
    e->hold_writes = hold;
    unlock(e);
    SetEvent(e->work);
}

void test_engine_script(Port* port, const std::vector<std::int32_t>& results)
{
    TestEngine* e = engine_of(port);
    lock(e);
    e->results.assign(results.begin(), results.end());
    unlock(e);
}

void test_engine_receive(Port* port, const std::string& bytes)
{
    TestEngine* e = engine_of(port);
    lock(e);
    e->receives.push_back(bytes);
    unlock(e);
    SetEvent(e->work);
}

void test_engine_give_up(Port* port)
{
    TestEngine* e = engine_of(port);
    InterlockedExchange(&e->gone, 1);
    engine_core_set_status(&e->core, PORT_LOST, PORT_REASON_DEVICE_GONE);
    SetEvent(e->work);
}

bool test_engine_settle(Port* port, DWORD timeout_ms)
{
    TestEngine* e = engine_of(port);
    DWORD start = GetTickCount();
    for (;;) {
        lock(e);
        bool quiet = e->receives.empty() && e->busy == 0 &&
                     (e->core.write_state == ENGINE_WRITE_IDLE || e->hold_writes);
        unlock(e);
        if (quiet) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        // The engine may be waiting for this thread (the status bar and toolbar are
        // set by sent messages): let those through while waiting.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

std::string test_engine_written(Port* port)
{
    TestEngine* e = engine_of(port);
    lock(e);
    std::string copy = e->written;
    unlock(e);
    return copy;
}

std::vector<std::int32_t> test_engine_requests(Port* port)
{
    TestEngine* e = engine_of(port);
    lock(e);
    std::vector<std::int32_t> copy = e->requests;
    unlock(e);
    return copy;
}
