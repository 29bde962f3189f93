// The test engine; see test_engine_win.h. Its thread is the only one that calls the
// port's callbacks; the test's thread only queues work and reads results.
#include "tests/support/test_engine_win.h"

#include <cstdio>

#include "terminal/engine_thread_win.h"

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
    WaitForSingleObject(e->engine_mutex, INFINITE);
}

static void unlock(TestEngine* e)
{
    ReleaseMutex(e->engine_mutex);
}

// Takes the next piece of work: a delivery first, then a write. Returns false when
// there is none.
static bool engine_step(TestPort* tp)
{
    TestEngine* e = &tp->engine;
    lock(e);
    if (!e->receives.empty()) {
        std::string bytes = e->receives.front();
        e->receives.pop_front();
        InterlockedIncrement(&e->busy);
        unlock(e);
        on_receive(&tp->port, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::int32_t>(bytes.size()));
        InterlockedDecrement(&e->busy);
        return true;
    }
    if (e->write_state == 1 && !e->hold_writes) {
        e->write_state = 2;
        const unsigned char* data = e->write_data;
        std::int32_t requested = e->write_length;
        std::int32_t count = requested;
        if (!e->results.empty()) {
            count = e->results.front() < requested ? e->results.front() : requested;
            e->results.pop_front();
        }
        e->written.append(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
        // Idle before the report, as a real engine: on_sent may request the next write.
        e->write_state = 0;
        InterlockedIncrement(&e->busy);
        unlock(e);
        on_sent(&tp->port, data, requested, count);
        InterlockedDecrement(&e->busy);
        return true;
    }
    unlock(e);
    return false;
}

static DWORD WINAPI engine_thread(void* parameter) noexcept
{
    TestPort* tp = static_cast<TestPort*>(parameter);
    TestEngine* e = &tp->engine;
    for (;;) {
        WaitForSingleObject(e->wake_event, INFINITE);
        if (e->stop) break;
        while (!e->stop && engine_step(tp)) {
        }
    }
    engine_thread_leave(&e->thread);
    return 0;
}

static std::int32_t test_write(Port* port, const unsigned char* data, std::int32_t length)
{
    TestEngine* e = engine_of(port);
    lock(e);
    if (e->write_state != 0) {
        e->refused++;
        unlock(e);
        return 0;
    }
    e->write_state = 1;
    e->write_data = data;
    e->write_length = length;
    e->requests.push_back(length);
    unlock(e);
    SetEvent(e->wake_event);
    return length;
}

static const char* test_long_name(Port* port)
{
    if (!port) return "";
    return port->long_name_text;
}

static const char* test_short_name(Port* port)
{
    if (!port) return "";
    return port->short_name_text;
}

static void test_apply_settings(Port* port)
{
    InterlockedIncrement(&engine_of(port)->applied);
}

static std::string taken_at_stop;

std::string test_engine_taken_at_stop()
{
    return taken_at_stop;
}

// The common stop protocol, as every engine stops.
static void test_close(Port* port)
{
    TestPort* tp = reinterpret_cast<TestPort*>(port);
    TestEngine* e = &tp->engine;
    InterlockedExchange(&e->stop, 1);
    SetEvent(e->wake_event);
    engine_stop_thread(&e->thread);
    // Like a device that still sends its last write while it is being closed: the
    // bytes must still be the caller's.
    taken_at_stop.clear();
    if (e->write_state == 1 && e->write_data)
        taken_at_stop.assign(reinterpret_cast<const char*>(e->write_data), static_cast<size_t>(e->write_length));
    CloseHandle(e->wake_event);
    CloseHandle(e->engine_mutex);
    delete tp;
}

static void test_wake(Port* port)
{
    TestEngine* e = engine_of(port);
    InterlockedIncrement(&e->wakes);
    SetEvent(e->wake_event);
}

static int constructed = 0;

static Port* test_create(HWND, const void* argument)
{
    TestPort* tp = new TestPort();  // value-initialised: the Port is zero-filled
    Port* port = &tp->port;
    port->kind = argument ? *static_cast<const int*>(argument) : PORT_SERIAL;
    port->connection_state = 1;
    port->close = test_close;
    port->write = test_write;
    port->long_name = test_long_name;
    port->short_name = test_short_name;
    port->apply_settings = test_apply_settings;
    ++constructed;
    std::snprintf(port->short_name_text, sizeof port->short_name_text, "TEST%d", constructed);
    std::snprintf(port->long_name_text, sizeof port->long_name_text, "テスト ポート (TEST%d)", constructed);
    TestEngine* e = &tp->engine;
    e->wake_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    e->engine_mutex = CreateMutexA(nullptr, FALSE, nullptr);
    e->thread = CreateThread(nullptr, 0, engine_thread, tp, 0, nullptr);
    return port;
}

PortKindOps test_engine_install(int kind)
{
    PortKindOps previous = port_kinds[kind];
    port_kinds[kind] = PortKindOps{test_create, test_wake};
    return previous;
}

void test_engine_restore(int kind, PortKindOps previous)
{
    port_kinds[kind] = previous;
}

void test_engine_hold(Port* port, bool hold)
{
    TestEngine* e = engine_of(port);
    lock(e);
    e->hold_writes = hold;
    unlock(e);
    SetEvent(e->wake_event);
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
    SetEvent(e->wake_event);
}

bool test_engine_settle(Port* port, DWORD timeout_ms)
{
    TestEngine* e = engine_of(port);
    DWORD start = GetTickCount();
    for (;;) {
        lock(e);
        bool quiet = e->receives.empty() && e->busy == 0 && (e->write_state == 0 || e->hold_writes);
        bool queue_idle = port->send.in_flight_length == 0 || e->hold_writes;
        unlock(e);
        if (quiet && queue_idle) return true;
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
