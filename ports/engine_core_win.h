// The engine core: what every I/O engine shares. Its thread and the stop protocol,
// the engine lock, the wake and write-request events, the copy of the owner's
// EngineCallbacks, the receive buffer, and the single-slot write request with its
// report. Each kind embeds one core in its engine record and adds only its device,
// its wait set and its thread body.
// Threads: open, start and stop run on the UI thread; request_write on any owner
// thread (UI, file send, the engine thread inside on_sent); the rest on the engine
// thread. The lock guards only the write request; a caller may hold its port's lock
// when it takes this one, never the other way round, and no lock is held while the
// core calls back.
#pragma once
#include <windows.h>

#include <cstdint>

#include "terminal/engine_callbacks.h"

enum EngineWriteState {
    ENGINE_WRITE_IDLE = 0,
    ENGINE_WRITE_REQUESTED = 1,
    ENGINE_WRITE_IN_PROGRESS = 2,
};

struct EngineCore {
    volatile LONG stop_requested;
    HANDLE volatile thread;       // taken by atomic exchange: by the thread as it ends, or by the stop
    CRITICAL_SECTION lock;        // the engine lock: the write request only
    bool lock_made;
    HANDLE wake;                  // auto reset: abort and stop
    HANDLE write_request;         // auto reset: a request was stored
    EngineCallbacks callbacks;
    unsigned char* rx_buffer;     // owned, callbacks.receive_buffer_size bytes
    volatile LONG write_state;    // EngineWriteState
    const unsigned char* write_buffer;  // the owner's, alive until on_sent
    std::int32_t write_length;
    volatile DWORD reporting_thread;    // the engine thread while on_sent runs
    // Set by the stop when the thread had to be terminated: I/O it started may still
    // be under way, so the receive buffer was left allocated for good, and the engine
    // must leave alone (never close or free) whatever that I/O uses.
    bool abandoned;
};

// Clears the core and makes its lock, events and receive buffer. 0, or -1 with
// nothing left made (also for no callbacks or a receive buffer size of 0).
int engine_core_open(EngineCore* core, const EngineCallbacks* callbacks);
// Starts the engine thread on body(argument). False (nothing started) on failure.
bool engine_core_start(EngineCore* core, LPTHREAD_START_ROUTINE body, void* argument);
// Stops the thread (the stop protocol below) and releases what open made, except the
// receive buffer of a thread that had to be terminated (see abandoned). Once only; a
// null core is ignored.
void engine_core_stop(EngineCore* core);
// Signals the wake event (what the thread does then is the kind's). 1, or 0 without
// a core or an event.
int engine_core_wake(EngineCore* core);
// Releases the lock, events and buffer (open's failure paths and stop use it).
void engine_core_release(EngineCore* core);

// The stop protocol for one thread, after its stop flag is set and its wake event
// signalled: sleep 100 ms, take the handle by atomic exchange, poll its exit code up
// to 20 times at 50 ms, terminate it with exit code 1 if it still runs, close the
// handle. A thread that has ended and taken its own handle is not waited for. An
// engine with a second thread uses this for that one. False when the thread had to
// be terminated.
bool engine_stop_thread(HANDLE volatile* thread);
// For a thread as it leaves: takes its handle and closes it. The thread must not
// touch its engine record after this.
void engine_thread_leave(HANDLE volatile* thread);

// The single-slot write request: 1 when stored (idle before), 0 when refused (busy,
// stopping, or given nothing). Never waits for I/O, only for the lock. A request made
// from inside on_sent on the engine thread is started when on_sent returns, without
// the wake-up through write_request.
int engine_core_request_write(EngineCore* core, const unsigned char* data, std::int32_t length);
// Engine thread: the stored request, now in progress; false when none is stored.
bool engine_core_take_write(EngineCore* core, const unsigned char** data, std::int32_t* length);
// Engine thread: the write in progress (or taken) ended with `written` bytes (0 when
// it failed). The request is cleared before on_sent, which may ask for the next write
// at once; returns true when it did, and the caller starts that one now.
bool engine_core_write_ended(EngineCore* core, std::int32_t written);

// How a kind's engine hears how each write ended: started is false for a write that
// could not even start (ok is false then), true for one that ended through its
// event; error is the failure's code when not ok. Engine thread.
typedef void (*EngineWriteEnded)(void* engine, bool started, bool ok, DWORD error);
// Engine thread: starts the stored write on handle with overlapped (whose event
// WriteFile resets as it starts). A write that cannot start is told to ended and
// reported with 0 written; so, in turn, is one asked for from inside that report.
void engine_start_write(EngineCore* core, HANDLE handle, OVERLAPPED* overlapped, EngineWriteEnded ended,
                        void* engine);
// Engine thread: the write on overlapped has ended (its event is signalled). It is
// told to ended and reported with what was written (0 when it failed); a write asked
// for from inside the report starts at once; the event is reset unless a write is
// under way again.
void engine_write_completed(EngineCore* core, HANDLE handle, OVERLAPPED* overlapped, EngineWriteEnded ended,
                            void* engine);

// Closes a handle that is neither null nor INVALID_HANDLE_VALUE, and empties it.
void engine_close_handle(HANDLE* handle);

// Engine thread: count received bytes are in rx_buffer.
void engine_core_receive(EngineCore* core, std::uint32_t count);
// Engine thread: the line or connection state changed.
void engine_core_status(EngineCore* core);

// Waits for any of count events (timeout in ms, or INFINITE) and serves the one that
// was signalled and then every later one in the set that is signalled too, without
// waiting: the order of the set gives priority, not exclusion, so an event that is
// signalled on every pass (a read completing at once under a flood) never keeps the
// others from their turn. Stops early when the stop flag is set. Returns false when
// the wait timed out or failed (nothing was served).
bool engine_wait_and_serve(EngineCore* core, const HANDLE* set, DWORD count, DWORD timeout,
                           void (*serve)(void* context, DWORD index), void* context);
