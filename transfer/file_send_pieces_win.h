// The pieces of a file send: how one file goes from the disk to the port, in pieces
// of "buffer size" bytes. Two buffers, each a block of whole pieces (as many as fit
// in 256 KB, one when a piece is larger): while the port writes the pieces of one,
// the send thread reads the next block of the file into the other, and the piece
// hook hands the next piece to the port as each write ends, on the engine thread, so
// that the port never waits for the send thread between pieces. One piece is in
// flight at a time; a partial write has the rest of its piece offered again at once,
// a write of nothing the same bytes after a pause.
// Threads: the send thread runs everything here but the hook, which runs on the
// port's engine thread; a lock of the run's own serialises the two over the buffers.
#pragma once
#include <windows.h>

#include <cstdint>

struct Port;
struct SendRun;

// The send thread's pieces for a port: null when memory or the event cannot be had,
// or when the send was stopped before a piece of an earlier send that never reported
// has done so (only then is the new run given to the hook).
SendRun* send_run_open(Port* port);

// Sends one open file of the size it had when it was opened (a file that grows is
// sent as it was; one that shrinks ends where its reads end, as does a read error),
// and shows its summary line unless the send was aborted. A port that has given up
// for good (its engine refuses every write and it is not connected: a USB device
// gone, a connection that is not made again) ends the file where it stands, with
// its summary; the result is then false: the port takes no more files.
bool send_run_file(SendRun* run, const char* path, HANDLE file, LONGLONG size);

// Ends the run: waits for a piece still in flight to report (an abort has the engine
// cancel it), takes the run from the hook, and frees it. A piece that never reports
// keeps its buffers, left to the engine that may still write from them.
void send_run_close(SendRun* run);
