// Running a sequence file on a port: its steps on a thread of their own per port,
// several ports at once, the user free to type meanwhile; the step and the counts of
// passed and failed expects in status-bar part 5 for the port whose window has the
// focus; a result file written as the run goes. Commands 850 and 851.
// Threads: start, stop and the status on the UI thread; the run on its own thread;
// the receive tap (what arrives, for the expects) on the port's engine thread. The
// run reaches the UI thread only through posted notices and, for the receive log's
// start and stop, a message sent to the frame (MSG_SEQUENCE_CALL), which every wait
// of the UI thread for the run handles.
#pragma once
#include <windows.h>

#include <cstdint>

struct Port;

// Sent by the run to the frame: wParam the port's run, lParam the step. Returns 1 when
// the step was carried out.
constexpr UINT MSG_SEQUENCE_CALL = WM_USER + 127;
LRESULT sequence_call(WPARAM wparam, LPARAM lparam);

// How a run ended, for the unattended run's exit code.
enum SequenceEnd {
    SEQUENCE_RUNNING = -1,  // not yet ended (or never started)
    SEQUENCE_PASSED = 0,    // every expect passed
    SEQUENCE_FAILED = 1,    // a step failed
    SEQUENCE_NOT_RUN = 2,   // could not run: the file, its syntax, the result file; or stopped
};

// Reads and checks the sequence and starts it on the port. result_path empty: the
// sequence's name with ".result" beside it. Every fault (the file, a syntax error
// with its line, a file to send that is missing, the result file) is shown in a
// message box owned by owner, or, unattended, written to the result file when it can
// be made; nothing is sent then. False when the run did not start.
bool sequence_start(Port* port, const char* path, const char* result_path, HWND owner, bool unattended);
// The result file of a sequence that could not run: the fault and a summary.
void sequence_write_error(const char* result_path, const char* text);
// Command 850: the file dialog, then the run on the active port.
void sequence_command(HWND frame);
// Command 851, and a port's close (its two halves around the abort of the send
// queue): the run stops at once, its result file ends with a summary that says so.
void sequence_stop(Port* port);
void sequence_stopping(Port* port);
void sequence_stopped(Port* port);
bool sequence_running(const Port* port);
// How the port's last run ended.
int sequence_end_of(const Port* port);
// Status-bar part 5 and the commands, when the port's window has the focus; a run
// that has ended is taken down here.
void sequence_refresh(Port* port);
// Called on the UI thread whenever a run ends; null: none.
extern void (*sequence_ended_hook)(Port* port, int end);
