// The parallel I/O engine: one LPT port opened for overlapped I/O, with a thread that
// performs one write at a time and, while the port is bidirectional, starts a read at
// the receive interval (the device has no events to wait for), and reports through
// EngineCallbacks. Threads: open, configure, cancel and stop on the UI thread; write
// on any owner thread (UI, file send, the engine thread inside on_sent); everything
// else on the engine thread. The engine core's lock guards only the write request.
// The caller owns the record's storage; the engine owns its handles and receive
// buffer until stop.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ports/engine_core_win.h"
#include "ports/parallel/parallel_poll.h"
#include "ports/parallel/parallel_settings.h"
#include "terminal/engine_callbacks.h"

struct ParallelOpenParams {
    ParallelSettings settings;
    EngineCallbacks callbacks;
};

struct ParallelEngine {
    // Thread, stop, write request, callbacks, receive buffer, status (lost, transfer
    // failing while the device fails its transfers), and the read and write.
    EngineCore core;
    HANDLE device;
    // Written by configure on the UI thread; the thread takes them into its poll state
    // at its next poll, when it sees configured set (see parallel_engine_configure).
    volatile LONG receive_interval;
    volatile LONG bidirectional;
    volatile LONG configured;
    // The engine thread's own.
    ParallelPoll poll;
    DWORD last_poll;  // GetTickCount at the last poll
};

// 0 when the device is open and the thread runs; -1 with nothing left open.
int parallel_engine_open(int port_number, ParallelEngine* engine, const ParallelOpenParams* params);
// 1 when the request was stored; 0 when busy, stopping or given nothing.
int parallel_engine_write(ParallelEngine* engine, const unsigned char* data, std::int32_t length);
// The receive interval (at least 50 ms) and the receive switch; the thread takes them
// within about 50 ms and may read at once. 1, or 0 without engine, settings or device.
int parallel_engine_configure(ParallelEngine* engine, const ParallelSettings* settings);
// Asks the thread to cancel its I/O: a write under way reports 0 written, a read ends
// without a report and starts again at once. 1, or 0 without an engine.
int parallel_engine_cancel(ParallelEngine* engine);
void parallel_engine_stop(ParallelEngine* engine);
