// File send: a list of files sent through one port by a thread of its own, each file
// read piece by piece into a buffer and handed to the port as direct writes, one
// piece in flight at a time; pause, resume and abort; the progress in status-bar
// part 2 and commands 402-404 for the port whose console has the focus; a summary
// line in the port's console after each file. Several ports may send at once.
// Threads: commands and refresh on the UI thread; the send thread per Port; the piece
// hook on the port's engine thread. The send thread owns the Port's send_list, its
// read buffer and the piece event; the UI thread only changes send_state.
#pragma once
#include <windows.h>

#include <cstdint>

#include "terminal/send_state.h"

struct Port;


// Bytes read from a file at a time, and so the largest piece written at once
// ("buffer size" of "file config"): 1 to SEND_BUFFER_MAX, any other stored value
// being read as the default.
extern std::int32_t send_buffer_size;
constexpr std::int32_t SEND_BUFFER_MAX = 1 << 20;

// Start-up: "buffer size", the file send dialog's file types and starting folder, and
// the file transfer attached to the ports. Program end: releases what it read.
void file_send_load_settings();
void file_send_release();

// Command 401: the file send dialog, then the send through the chosen port.
void file_send_command(HWND frame);
// Starts the send thread for a port whose send_list the caller has filled (malloc'd,
// now the thread's) while no send runs on it. False when the thread could not start:
// the list is freed and the port is idle again.
bool file_send_start(Port* port);

// Commands 402, 403 and 404 on a port. The abort also runs when a port closes: it
// empties the send queue, always, and returns once the send thread has ended.
void file_send_pause(Port* port);
void file_send_resume(Port* port);
void file_send_abort(Port* port);
// The abort's two halves around abort_send, for a close of several ports at once:
// stopping lets the send thread take no further piece; stopped waits for it to end.
void file_send_stopping(Port* port);
void file_send_stopped(Port* port);

// Shows the port's progress text and sets commands 402-404, when its console has the
// focus.
void file_send_refresh(Port* port);

// The completion hook handed to port_send with every piece.
void piece_hook(Port* port, std::int32_t count);
