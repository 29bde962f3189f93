// Receive log: everything a port receives, after the line-end conversion and before
// it is shown, written to a file on disk, optionally after the text its console
// already shows; the bytes logged and the time since logging began in status-bar
// part 3 for the port whose console has the focus. Several ports may log at once.
// Threads: the dialog, start, stop and refresh on the UI thread; the tap on the
// port's engine thread, which only hands the bytes to the log's writer
// (log_writer_win.h), whose own thread writes the file and has the UI thread show
// the status through a notice (transfer_notify). A write that fails or does not come
// back ends the log: the UI thread, at the notice, stops the log and tells the user;
// the console keeps every byte. The stop waits a bounded time for the writer.
#pragma once
#include <windows.h>

#include <cstdint>

struct Port;

// The last state of check box 1416, for the run (not stored).
extern int include_console_text;
// The last state of "時刻を付ける" (not stored; off at start, so the log is the bytes
// as received): each logged line then starts with "[yyyy-mm-dd hh:mm:ss.mmm] ".
extern int log_time_stamps;

// Command 405: the dialog, then the log on the chosen port.
void start_receive_log_command(HWND frame);
// Creates the port's log_file_name (asking before overwriting) and starts logging.
void start_receive_log(Port* port, HWND owner);
// The same without a word to the user, for a sequence: the file is made anew (an
// earlier one replaced), and the log holds what arrives from now on. False when the
// file or its writer could not be had, or a log runs already.
bool receive_log_start_quiet(Port* port);
// Command 406, and a port that closes: the log takes nothing more, and its writer
// writes what it holds and closes the file. It is waited for at most LOG_STOP_WAIT_MS
// from the log's end, and no longer once one write has lasted LOG_STOP_STUCK_MS: a
// writer stuck in the system is left to end alone.
constexpr DWORD LOG_STOP_WAIT_MS = 1000;
constexpr DWORD LOG_STOP_STUCK_MS = 500;
void stop_receive_log(Port* port);
// A port that closes, before stop_receive_log: the log takes nothing more and its
// writer ends, counting its wait from now.
void receive_log_stopping(Port* port);
// The status text and command 406, when the port's console has the focus.
void refresh_log_state(Port* port);
// At a notice, UI thread: a log whose write failed is stopped and the user told.
void receive_log_check(Port* port);
