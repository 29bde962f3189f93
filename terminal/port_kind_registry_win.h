// The kinds of port, as they register themselves: the one door through which the
// kind-independent code (create_port, abort_send, the frame) reaches a kind. The
// registry belongs here, below the kinds; ports/ fills it at start-up
// (port_kinds_register, called once by the frame), and a test puts a test engine in
// an entry the same way. UI thread, except that abort_send reads an entry's engine
// wake-up on any thread (the entries do not change while ports are open).
#pragma once
#include <windows.h>
#include <prsht.h>

#include <cstddef>
#include <cstdint>

#include "terminal/pacing.h"
#include "terminal/port_win.h"

// What a kind offers: its constructor, the wake-up of its engine that abort_send uses
// (serial and parallel cancel or purge their I/O on it), its reopen (port_reopen: stop
// the port's engine and open the same device again with the same settings; true when
// it runs again, with the port's status set as the constructor sets it), and for the
// frame its
// start-up discovery (1 when the kind can be offered), its connect command, its page
// of the communication-settings sheet, its notice once that sheet has closed, and its
// release at program end, after every port is closed. A kind whose ports name a
// device also gives that name for an open argument ("COM5", "LPT2", a USB device and
// its pipes; compared without regard to case) and its warning that the port cannot
// be opened: create_port refuses a device that is open already with that warning.
// A kind may also open a port named by text instead of chosen in its dialog (the
// command line, the last session): it makes its open argument from a PortRequest and
// calls create_port, and describes an open port as such a request.
// An entry without a constructor is a kind the program does not offer.
typedef Port* (*PortConstructor)(HWND frame, const void* argument);

// A port named rather than chosen: the kind (PortKind); COMn's and LPTn's n, or for
// USBn the n-th entry of the device list; a network port's host (empty for a server
// on every address), TCP port and mode; and a serial port's line settings for this
// port alone, coded as SerialSettings codes them, -1 where not given.
struct PortRequest {
    std::int32_t kind;
    std::int32_t number;
    const char* host;
    std::int32_t tcp_port;
    std::int32_t network_mode;
    std::int32_t baudrate;
    std::int32_t data_bits;
    std::int32_t parity;
    std::int32_t stop_bits;
};

struct PortKindEntry {
    PortConstructor create;
    void (*wake_engine)(Port* port);
    bool (*reopen)(Port* port);
    int (*discover)(int os_family);
    void (*connect)(HWND frame);
    HPROPSHEETPAGE (*settings_page)(HWND frame);
    void (*settings_notify)(HWND frame);
    void (*release)();
    bool (*device_name)(const void* argument, char* out, std::size_t size);
    void (*refuse)(HWND frame, const void* argument);
    // The pacing of what the port sends, as its settings hold it now.
    Pacing (*pacing)(Port* port);
    Port* (*open_request)(const PortRequest* request);
    // The open port as a request that opens it again (the last session); false for
    // a port that cannot be named so. host, when set, points into the port.
    bool (*describe)(Port* port, PortRequest* out);
};

// A kind with modem lines registers them beside its entry: it gives them as
// PortLineBit bits (terminal/port_lines.h) and carries out a PortLineCommand on them.
// UI thread.
struct PortLinesEntry {
    unsigned (*lines)(Port* port);
    void (*command)(Port* port, int command);
};
bool port_kind_register_lines(int kind, const PortLinesEntry& entry);
// The port's modem lines (0 for a kind without them), and a command on them (nothing
// for a kind without them).
unsigned port_lines(Port* port);
void port_line_command(Port* port, int command);

// A kind's warning that a port cannot be opened, as a message box; while warnings
// are held (the last session reopening, which tells its failures in one message) it
// is not shown.
void port_kind_warn(HWND owner, const char* text, const char* caption);
void port_kinds_hold_warnings(bool hold);

// Puts the entry in the kind's place (PortKind); false for a kind outside the table.
bool port_kind_register(int kind, const PortKindEntry& entry);
// The kind's entry; an empty one for a kind outside the table or not registered.
PortKindEntry port_kind_entry(int kind);

// Start-up: each kind discovers its ports; a kind that cannot be offered at all is
// no longer offered (its connect command is grayed).
void port_kinds_discover(int os_family);
// Whether the kind is registered and, once discovered, can be offered.
bool port_kind_offered(int kind);
// The connect command of a kind: its dialog, then create_port.
void port_kinds_connect(int kind, HWND frame);
// The pages of the communication-settings sheet, in kind order, each only if its
// kind makes one; returns how many were put into pages.
UINT port_kinds_settings_pages(HWND frame, HPROPSHEETPAGE* pages, UINT capacity);
// After that sheet has closed, whatever button closed it.
void port_kinds_settings_notify(HWND frame);
// Opens the port the request names through its kind, as its connect command would
// have after its dialog; none when the kind cannot open it (its warning shown).
Port* port_kinds_open(const PortRequest& request);
// Program end, once every port is closed: what the kinds started for the whole run.
void port_kinds_release();
