// The engine core: what every I/O engine shares. Its thread and the stop protocol,
// the engine lock, the wake and write-request events, the copy of the owner's
// EngineCallbacks, the receive buffer, the single-slot write request with its
// report, and the port's status. For the kinds that do overlapped I/O on device
// handles (serial, parallel, USB) it also owns the read request and its completion,
// the write's start and completion, the wait set and the wait for outstanding I/O
// as the thread ends: such a kind gives its handles and an EngineDeviceKind of the
// few things it does differently, and the core runs the thread.
// Threads: open, start and stop run on the UI thread; request_write on any owner
// thread (UI, file send, the engine thread inside on_sent); the rest on the engine
// thread. The lock guards only the write request; a caller may hold its port's lock
// when it takes this one, never the other way round, and no lock is held while the
// core calls back.
#pragma once
#include <windows.h>

#include <cstdint>

#include "terminal/engine_callbacks.h"

struct EngineDeviceKind;

// How many events of its own a kind with a device may add to the wait set.
constexpr DWORD ENGINE_KIND_SLOTS = 2;

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
    // The port's status (PortState and PortReason), written by the engine's threads;
    // every on_status hands it on.
    volatile LONG status_state;
    volatile LONG status_reason;
    // The device went away: set once on the engine thread, which then starts no more
    // I/O; every write asked for afterwards is refused.
    volatile LONG device_gone;

    // The device side (engine_core_open_device); unused by an engine without one.
    const EngineDeviceKind* device_kind;
    void* engine;                 // the kind's record, handed to each of its routines
    HANDLE read_handle;           // the kind's handles: the core never closes them
    HANDLE write_handle;
    HANDLE read_done;             // manual reset, read_overlapped's
    HANDLE write_done;            // manual reset, write_overlapped's
    OVERLAPPED read_overlapped;
    OVERLAPPED write_overlapped;
    std::int32_t read_pending;
    std::int32_t read_paused;     // the last read ended empty or failed: the next at read_again_at
    DWORD read_again_at;
    HANDLE kind_events[ENGINE_KIND_SLOTS];  // the kind's, in the wait set after the core's
    DWORD kind_event_count;
};

// The wait set of an engine with a device, by name. The order gives priority (see
// engine_wait_and_serve); a kind's own events follow from ENGINE_SLOT_KIND on.
enum EngineSlot : DWORD {
    ENGINE_SLOT_READ = 0,           // read_done: the read ended
    ENGINE_SLOT_WRITE = 1,          // write_done: the write ended
    ENGINE_SLOT_WRITE_REQUEST = 2,  // a write was asked for
    ENGINE_SLOT_WAKE = 3,           // the owner's wake-up (abort, purge) or the stop
    ENGINE_SLOT_KIND = 4,           // the first of the kind's own events
};
enum EngineTransfer {
    ENGINE_READ = 0,
    ENGINE_WRITE = 1,
};

// What a kind with a device does differently; every routine runs on the engine
// thread and is handed the kind's record. A null routine does nothing.
struct EngineDeviceKind {
    // Once, as the thread begins (before its first read).
    void (*begin)(void* engine);
    // How many bytes the next read asks for, at most the receive buffer; null: all of it.
    DWORD (*read_size)(void* engine);
    // A read or a write ended (started true) or could not even start: ok, or the
    // failure's code. The kind looks at its device here and may call
    // engine_core_device_gone.
    void (*transfer_ended)(void* engine, EngineTransfer transfer, bool started, bool ok, DWORD error);
    // The owner's wake-up, when no stop was asked for: the kind's abort or purge.
    void (*woken)(void* engine);
    // One of the kind's own events signalled: its index from ENGINE_SLOT_KIND.
    void (*serve)(void* engine, DWORD kind_slot);
    // Before each wait, and after each (also after one that timed out).
    void (*before_wait)(void* engine);
    void (*after_wait)(void* engine);
    // As the thread ends, before the core cancels its read and write: ends and waits
    // for the kind's own I/O.
    void (*finish)(void* engine);
    // After a read that ended empty or failed, the next starts this much later; a
    // read that brought bytes is followed by the next at once. 0: the core starts no
    // read by itself, the kind starts each one (engine_core_start_read).
    DWORD read_again_ms;
    // The longest wait with nothing to do (INFINITE, or the kind's poll).
    DWORD wait_ms;
};

// Clears the core and makes its lock, events and receive buffer. 0, or -1 with
// nothing left made (also for no callbacks or a receive buffer size of 0).
int engine_core_open(EngineCore* core, const EngineCallbacks* callbacks);
// Starts the engine thread on body(argument). False (nothing started) on failure.
bool engine_core_start(EngineCore* core, LPTHREAD_START_ROUTINE body, void* argument);
// For a kind with a device: engine_core_open, then the read and write events, the
// kind's routines and record, its handles (read and write may be one) and its first
// status (state, not reported: the owner sets its own at construction). The kind
// may then add up to ENGINE_KIND_SLOTS events of its own to the wait set. 0, or -1
// with nothing left made. The kind closes its handles itself, after the stop.
int engine_core_open_device(EngineCore* core, const EngineCallbacks* callbacks, const EngineDeviceKind* kind,
                            void* engine, HANDLE read_handle, HANDLE write_handle, PortState state);
// Adds one of the kind's events to the wait set (from ENGINE_SLOT_KIND on, in order).
void engine_core_add_slot(EngineCore* core, HANDLE event);
// Starts the thread of a kind with a device (the core's own body). False on failure.
bool engine_core_start_device(EngineCore* core);
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

// Closes a handle that is neither null nor INVALID_HANDLE_VALUE, and empties it.
void engine_close_handle(HANDLE* handle);

// Engine thread: count received bytes are in rx_buffer.
void engine_core_receive(EngineCore* core, std::uint32_t count);
// Engine thread: the line state changed; reports the status as it is.
void engine_core_status(EngineCore* core);
// Engine thread: the connection's status is now state for reason; reported.
void engine_core_set_status(EngineCore* core, PortState state, PortReason reason);
PortStatus engine_core_get_status(const EngineCore* core);
// Engine thread: the device is gone (lost, device gone). Reported once; no more I/O
// starts and every later write is refused.
void engine_core_device_gone(EngineCore* core);
// Engine thread: starts a read unless one is outstanding, the engine stops or the
// device is gone (a kind whose read_again_ms is 0 starts each read so).
void engine_core_start_read(EngineCore* core);
// Engine thread: cancels the read and the write under way (they end through their
// events: the write reported with 0 written, the read without a report).
void engine_core_cancel_io(EngineCore* core);

// Waits for any of count events (timeout in ms, or INFINITE) and serves the one that
// was signalled and then every later one in the set that is signalled too, without
// waiting: the order of the set gives priority, not exclusion, so an event that is
// signalled on every pass (a read completing at once under a flood) never keeps the
// others from their turn. Stops early when the stop flag is set. Returns false when
// the wait timed out or failed (nothing was served).
bool engine_wait_and_serve(EngineCore* core, const HANDLE* set, DWORD count, DWORD timeout,
                           void (*serve)(void* context, DWORD index), void* context);
