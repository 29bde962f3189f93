// A test engine: the kind a test installs in place of a real port kind. It fills the
// five slots and the EngineCallbacks as a real constructor does and behaves like a
// real engine: a thread of its own, a single-slot write request guarded by its own
// mutex (a request while not idle is refused with 0), completions reported from its
// thread with no lock held, and the common stop protocol. A test scripts how many
// bytes each write reports, holds writes back, and injects received bytes.
// Win32 tests only. The TestPort is allocated by the constructor and freed by the
// close slot, like every kind's record.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "terminal/port_win.h"

struct TestEngine {
    HANDLE volatile thread;
    HANDLE wake_event;
    HANDLE engine_mutex;  // guards everything below
    volatile LONG stop;
    volatile LONG wakes;  // times abort_send woke the engine
    volatile LONG applied;  // times the apply_settings slot ran

    int write_state;  // 0 idle, 1 requested, 2 in progress
    const unsigned char* write_data;
    std::int32_t write_length;
    bool hold_writes;               // requests wait until released
    std::deque<std::int32_t> results;  // bytes each write reports; none: all
    std::string written;            // what the "device" received, in order
    std::vector<std::int32_t> requests;  // length of every accepted write request
    int refused;                    // requests made while not idle
    std::deque<std::string> receives;
    volatile LONG busy;             // non-zero while the thread works on something
};

struct TestPort {
    Port port;
    TestEngine engine;
};

// Installs the test engine as kind `kind` and returns the previous entry.
PortKindOps test_engine_install(int kind);
void test_engine_restore(int kind, PortKindOps previous);

TestEngine* test_engine_of(Port* port);
// Holds write requests back, or lets them go.
void test_engine_hold(Port* port, bool hold);
// The next writes report these counts (capped at the request's length).
void test_engine_script(Port* port, const std::vector<std::int32_t>& results);
// Delivers bytes as received, from the engine thread.
void test_engine_receive(Port* port, const std::string& bytes);
// Waits until the engine has nothing left to do and the port's queue is idle or
// waiting only for a held write, handling sent messages meanwhile. False on
// time-out.
bool test_engine_settle(Port* port, DWORD timeout_ms = 5000);
std::string test_engine_written(Port* port);
// What the last stopped engine's device took from a write still held when it was
// stopped (a device finishing its last write as it is closed); "" when none was.
std::string test_engine_taken_at_stop();
std::vector<std::int32_t> test_engine_requests(Port* port);
