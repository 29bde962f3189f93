// A test engine: the kind a test installs in place of a real port kind. It sits on
// the engine core like every real engine (a thread of its own, the single-slot write
// request, completions reported from its thread with no lock held, the stop
// protocol) and fills the five slots and the EngineCallbacks as a real constructor
// does. A test scripts how many bytes each write reports, holds writes back, and
// injects received bytes, which reach the port through the core's receive buffer as
// a device's would.
// Win32 tests only. The TestPort is allocated by the constructor and freed by the
// close slot, like every kind's record.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ports/engine_core_win.h"
#include "terminal/port_kind_registry_win.h"

struct TestEngine {
    EngineCore core;
    HANDLE work;             // auto reset: a delivery waits, or a hold was released
    CRITICAL_SECTION lock;   // guards everything below
    volatile LONG wakes;     // times abort_send woke the engine
    volatile LONG applied;   // times the apply_settings slot ran
    bool hold_writes;                    // requests wait until released
    std::deque<std::int32_t> results;    // bytes each write reports; none: all
    std::string written;                 // what the "device" received, in order
    std::vector<std::int32_t> requests;  // length of every write the engine started
    int refused;                         // requests made while not idle
    std::deque<std::string> receives;
    volatile LONG busy;                  // non-zero while the thread works on something
    volatile LONG gone;                  // the device is gone: writes refused, a held one ends with 0
};

struct TestPort {
    Port port;
    TestEngine engine;
};

// Installs the test engine's constructor and engine wake-up as kind `kind` (the
// kind's other entries stay) and returns the previous entry.
PortKindEntry test_engine_install(int kind);
void test_engine_restore(int kind, PortKindEntry previous);
// The pacing every test port has from now on (none after an install).
void test_engine_pacing(const Pacing& pacing);

TestEngine* test_engine_of(Port* port);
// Holds write requests back, or lets them go.
void test_engine_hold(Port* port, bool hold);
// The next writes report these counts (capped at the request's length).
void test_engine_script(Port* port, const std::vector<std::int32_t>& results);
// Delivers bytes as received, from the engine thread.
void test_engine_receive(Port* port, const std::string& bytes);
// The device goes for good, as a USB device pulled out: a write under way or held
// ends with nothing written, every later one is refused, and the port is shown not
// connected (connection_state 0, reported through on_status).
void test_engine_give_up(Port* port);
// Waits until the engine has nothing left to do (no delivery waiting, no write
// requested or under way unless held), handling sent messages meanwhile. False on
// time-out.
bool test_engine_settle(Port* port, DWORD timeout_ms = 5000);
std::string test_engine_written(Port* port);
std::vector<std::int32_t> test_engine_requests(Port* port);
// What the last stopped engine's device took from a write still held when it was
// stopped (a device finishing its last write as it is closed); "" when none was.
std::string test_engine_taken_at_stop();
