// The file transfer's own record of a port: its file send and its receive log. Made
// on the UI thread the first time the port needs one, kept among the port's records
// (see terminal/receive_taps.h), freed by the port's close once no engine call
// reaches the port any more. The send thread, the piece hook, the log's tap and
// its writer only ever reach a record that was made before they were started.
#pragma once
#include <windows.h>

#include <cstdint>

#include "console/console_stamped.h"
#include "terminal/pacing.h"
#include "terminal/send_state.h"

struct Port;
struct LogWriter;

struct TransferPort {
    // File send (file_send_win.cpp); all zero while none runs. The send thread owns
    // the list, its read buffer and the event.
    volatile LONG send_state;        // SendState
    char (*send_list)[260];          // send_list_count full paths, NUL-terminated
    std::int32_t send_list_count;
    // 64-bit, so that a file of 2 GiB and more is sent whole and shown as it is.
    volatile LONGLONG send_file_size;
    volatile LONGLONG send_file_done;
    HANDLE volatile send_piece_done;    // auto reset; set by the piece hook
    void* volatile send_run;            // the send thread's pieces, for the piece hook
    // 1 from offering a piece until its hook has run: a piece left unreported by an
    // ended send is never taken for the next send's.
    volatile LONG send_piece_outstanding;
    volatile LONG send_hooks_running;   // piece hooks under way
    volatile LONG send_offering;        // pieces being handed to the port; an abort waits for them
    DWORD send_thread_id;               // an abort closes the thread's message box
    Pacing send_pacing;                 // the port's pacing as the send started
    // Receive log (receive_log_win.cpp), the port's receive tap TAP_RECEIVE_LOG while
    // it runs.
    volatile LONG log_active;        // 1 while logging
    LogWriter* log_writer;           // the file's writer; null while not logging
    char log_file_name[260];
    volatile LONGLONG log_bytes;     // bytes written to the file since logging began
    DWORD log_start_tick;
    std::int32_t log_stamped;        // each logged line starts with its time (set before the log starts)
    StampedLines log_lines;          // where the log stands in its line (the tap's alone once started)
    // 1 while a notice of the file send or the log waits for the UI thread to show it.
    volatile LONG transfer_notice_pending;
};

// The port's record, made when it has none yet (UI thread; other threads only reach
// one that exists). The const form makes none: a port without one reads as idle.
TransferPort* transfer_port(Port* port);
const TransferPort* transfer_port(const Port* port);
