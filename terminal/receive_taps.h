// What a port hands its received bytes to besides the console, and what other
// modules keep per port without a field in Port. Portable.
//
// Receive taps: every chunk the port has received and converted goes, in order, to
// each attached tap, then to the console. Each tap has a fixed place in ReceiveTapId,
// which is also the order they are called in; its state record belongs to the module
// that attaches it.
//
// Threads. Attach and detach run on the UI thread only; the port's engine thread
// calls the taps. A call in flight is made safe against a detach by a count per
// place: the caller counts itself in, then reads the routine, calls it and counts
// itself out; a detach clears the routine first and then waits until that place's
// count is 0. A caller that counted itself in before the clear either read the
// routine before it (the detach waits for its call) or reads null and calls nothing,
// so once detach returns no call of that tap is running or can begin, and its
// module may free the state. A tap therefore never waits for the UI thread (no
// SendMessage, no lock the UI thread holds while detaching): it queues its work and
// returns. It must not attach or detach taps itself.
#pragma once
#include <atomic>
#include <cstdint>

struct Port;

// One line per tap, in the order they see a chunk.
enum ReceiveTapId {
    TAP_RECEIVE_LOG,  // transfer/receive_log_win.cpp
    TAP_SEQUENCE,     // transfer/sequence_run_win.cpp
    TAP_TEST,         // tests' own tap; called last
    RECEIVE_TAP_COUNT,
};

// Engine thread. Returns false when the chunk is not to be shown in the console
// (every tap still sees it).
typedef bool (*ReceiveTapRoutine)(Port* port, void* state, const unsigned char* data, std::int32_t length);

struct ReceiveTapSlot {
    std::atomic<ReceiveTapRoutine> routine;
    std::atomic<void*> state;
    std::atomic<long> calls;  // callers between counting in and out
};
struct ReceiveTaps {
    ReceiveTapSlot slot[RECEIVE_TAP_COUNT];
};

// UI thread. False when that place is taken already.
bool receive_tap_attach(ReceiveTaps* taps, ReceiveTapId id, ReceiveTapRoutine routine, void* state);
// UI thread. Returns the state it was attached with (null when none was); no call of
// the tap runs once it returns.
void* receive_tap_detach(ReceiveTaps* taps, ReceiveTapId id);
void* receive_tap_state(const ReceiveTaps* taps, ReceiveTapId id);  // null: not attached
// Engine thread: the chunk to every attached tap in order. True: show it.
bool receive_taps_deliver(ReceiveTaps* taps, Port* port, const unsigned char* data, std::int32_t length);

// A module's own record for a port, found by the module's key (the address of any
// object of its own). UI thread sets it; any thread may find a record that was set
// before the thread was given the port's work. The close frees every record with its
// release once no engine call reaches the port any more.
constexpr int PORT_RECORD_SLOTS = 4;
struct PortRecords {
    const void* key[PORT_RECORD_SLOTS];
    void* record[PORT_RECORD_SLOTS];
    void (*release[PORT_RECORD_SLOTS])(void* record);
};
bool port_record_set(PortRecords* records, const void* key, void* record, void (*release)(void*));  // false: full
void* port_record_find(const PortRecords* records, const void* key);
void port_records_release(PortRecords* records);
