// A Port: one open connection of any kind, with its console, the five operation
// slots its kind fills, the send queue, the receive path with its taps, and the
// records other modules keep of it (the file transfer's among them). Each kind's constructor allocates its own record, zero-filled,
// with the Port first and its engine after it, and frees it in its close slot.
//
// Threads: the UI thread creates, closes and sends; engine threads call back through
// EngineCallbacks (on_receive, on_sent, on_status); the file-send thread sends.
// Locks: the port mutex guards quiet, the send queue and completion_hook and is held
// while the write slot runs; an engine's own lock is only ever taken inside it; the
// console mutex is never held with either. No lock is held while calling back.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstddef>
#include <vector>

#include "console/console.h"
#include "console/console_stamped.h"
#include "terminal/port_status.h"
#include "terminal/engine_callbacks.h"
#include "terminal/line_history.h"
#include "terminal/send_queue.h"
#include "terminal/receive_taps.h"

enum PortKind {
    PORT_SERIAL = 1,
    PORT_PARALLEL = 2,
    PORT_NETWORK = 3,
    PORT_USB = 4,
};

// Frame window messages.
constexpr UINT MSG_CLOSE_PORT = WM_USER + 101;             // wParam: the Port
constexpr UINT MSG_PORT_SETTINGS_CHANGED = WM_USER + 102;  // wParam: the kind

// A device's name as a kind gives it: a USB device with its two pipes is the longest.
constexpr std::size_t PORT_DEVICE_NAME_SIZE = 800;

struct Port;
struct PacedSend;
typedef void (*PortCompletionHook)(Port* port, std::int32_t count);

struct Port {
    Console console;
    HWND frame_window;
    std::int32_t paste_sent;
    std::int32_t paste_length;
    char* paste_text;  // owned; null while no paste runs
    // Set by abort_send: the paste in flight ends when its write reports, whatever
    // that report says, instead of sending its rest. Cleared when a paste starts.
    volatile LONG paste_ending;
    unsigned char typed_lead;  // a typed lead byte waiting for its trail (window's thread)
    LineHistory history;       // the LINE input's lines sent (window's thread)

    // Slots filled by the kind's constructor.
    void (*close)(Port* port);  // stops the engine and frees the record
    std::int32_t (*write)(Port* port, const unsigned char* data, std::int32_t length);
    const char* (*long_name)(Port* port);
    const char* (*short_name)(Port* port);
    void (*apply_settings)(Port* port);

    // The port mutex, as a critical section: under Wine every wait on a kernel mutex
    // is a round trip to the wine server, and a file send takes this lock four times
    // for every piece. mutex_made is 1 from create_port until the close takes it away;
    // port_send refuses bytes without it.
    CRITICAL_SECTION mutex;
    volatile LONG mutex_made;
    volatile LONG quiet;             // 1 only while abort_send runs
    volatile LONG reopening;         // 1 only while port_reopen runs: no write reaches the engine
    // 1: a device that goes away is waited for and opened again (auto_reopen_win.h).
    // Set by the kind from its settings on the UI thread, read by the engine thread.
    volatile LONG auto_reopen;
    // What the connection is and why it is not connected: set by the constructor, then
    // only by port_set_status from the engine's reports. connection_state is derived
    // from it there, never written elsewhere.
    PortStatus status;
    std::int32_t connection_state;   // PortConnectionState
    std::int32_t kind;               // PortKind
    // 1 while the engine refuses writes: the port has given up for good (a device
    // gone, a connection not to be made again) or still ends an aborted write; 0
    // again once it takes one.
    volatile LONG write_refused;
    unsigned char rx_convert_buffer[8192];
    SendQueue send;
    char short_name_text[16];
    char long_name_text[128];
    PortCompletionHook completion_hook;
    ReceiveTaps taps;                // where received chunks go before the console
    PortRecords records;             // other modules' own records of the port
    // The device the port opened, as its kind names it (see PortKindEntry in
    // terminal/port_kind_registry_win.h); empty for a kind that names none. Set by
    // create_port.
    char device_name[PORT_DEVICE_NAME_SIZE];

    // Counters: bytes received (as the device gave them, before the line-end
    // conversion) and written, added by whichever thread reports them, with
    // interlocked adds. The UI thread alone keeps what a reset left behind and the
    // count at the last tick of the rate.
    volatile LONGLONG received_count;
    volatile LONGLONG sent_count;
    LONGLONG received_base;
    LONGLONG sent_base;
    LONGLONG received_at_tick;

    // Callback delivery: close_port stops it and waits for calls under way before the
    // console and the mutex go, so no engine call reaches released state.
    volatile LONG delivery_stopped;
    volatile LONG callbacks_running;
    // Set as the close begins: nothing received after it is shown or logged.
    volatile LONG closing;
    // The port's paced send (terminal/paced_send_win.h); null before its first.
    PacedSend* paced;
};

// The five slots, as each kind fills them from one constant table of its own.
struct PortSlots {
    void (*close)(Port* port);
    std::int32_t (*write)(Port* port, const unsigned char* data, std::int32_t length);
    const char* (*long_name)(Port* port);
    const char* (*short_name)(Port* port);
    void (*apply_settings)(Port* port);
};
void port_set_slots(Port* port, const PortSlots* slots);

extern volatile LONG open_port_count;

// What the file transfer (transfer/) attaches to every port, set once at start-up.
// A close runs stopping (a file send takes no further piece, a receive log nothing
// more), then aborts the send queue, then stop (the file send has ended and the
// receive log is closed when it returns); with nothing attached, a close only aborts
// what is being sent. refresh shows a port's file-send and log state when its window
// is activated; sending tells the window that a file send runs (it refuses input).
struct PortTransferHooks {
    void (*stopping)(Port* port);
    void (*stop)(Port* port);
    void (*refresh)(Port* port);
    bool (*sending)(const Port* port);
};
extern PortTransferHooks port_transfer_hooks;

// Opens a port of the kind through its constructor; none when the kind is unknown, its
// engine could not be opened (the constructor has shown why), or the device it names
// is open in this program already (refused with the kind's warning before any open
// is tried: the system does not refuse a second open of every device).
Port* create_port(int kind, const void* argument);
// Closes one port completely; does nothing for a port that is no longer open (a close
// request posted to the frame can arrive after the port was closed another way).
void close_port(Port* port);
// Closes every open port, also one whose window could not be made (program end,
// "close all"). The ports are stopped side by side, each by its own close sequence:
// their aborts wait together, and their engines stop on threads of their own.
void close_all_ports();
bool port_is_open(Port* port);
// Opens the port's device again with the same settings through its kind's reopen,
// keeping the window, the console, the receive log and the port's place: for a
// device that went away and came back. What was being sent is dropped (a direct
// send's hook hears 0 written); sends made meanwhile are refused. True when the port
// runs again; false for a kind without reopen, a port that is not open, or a device
// that cannot be opened (the port then stays, not connected: lost, or still waiting
// when it was waiting for its device). UI thread.
bool port_reopen(Port* port);

// Hands bytes to the send queue. hook null: a buffered send (at most 4096 bytes in
// flight and 4096 waiting); otherwise a direct send of the caller's whole buffer,
// accepted only while the queue is idle, after which hook(port, written) runs.
// Returns the bytes accepted; never blocks on a full queue.
std::int32_t port_send(Port* port, const unsigned char* data, std::int32_t length, PortCompletionHook hook);
void abort_send(Port* port);
// abort_send for several ports at once: one wait for all their engines.
void abort_sends(Port* const* ports, std::size_t count);

// The routines every constructor puts into its EngineCallbacks (owner: the Port):
// port_status_changed takes the engine's status and shows it.
void on_receive(void* owner, const unsigned char* data, std::int32_t length);
void on_sent(void* owner, const unsigned char* data, std::int32_t requested, std::int32_t written);
void port_status_changed(void* owner, PortStatus status);
// The port's status, and the connection state derived from it. A kind's own status
// routine calls it inside the callback guard.
void port_set_status(Port* port, PortStatus status);
// Shows the port's connection text in the status bar if its window has the focus.
void show_connection_status(void* owner);
// The connection text of status-bar part 1: "接続中" only while connected.
const char* port_connection_text(const Port* port);
// Fills the trailing EngineCallbacks fields for a new port.
void port_engine_callbacks(Port* port, EngineCallbacks* callbacks);

// Callback delivery guard for the kinds' own status routines: enter returns false
// when the port is closing (then do nothing and do not call leave).
bool port_callback_enter(Port* port);
void port_callback_leave(Port* port);

// For a UI thread that waits for another thread which may itself be waiting for the
// UI thread in SendMessage (the status bar and the toolbar are set that way): waits
// up to timeout_ms for a sent message and handles every one that came. Posted
// messages stay queued.
void handle_sent_messages(DWORD timeout_ms);

// The open ports are the MDI client's children that hold a Port.
Port* find_active_port();
void for_each_port(void (*routine)(Port* port));
// The open ports, the active one's window first.
std::vector<Port*> open_port_list();

// A port as a dialog or a question holds it across a modal loop, in which the port
// may be closed (its window's close box, a close posted to the frame) and another
// opened at the same address: by its terminal window, which no other port ever has.
// port_from_window is the port that window holds while it is open, else null.
HWND port_window(const Port* port);
Port* port_from_window(HWND window);
