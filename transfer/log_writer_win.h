// The writer of a receive log: a file on disk written by a thread of its own, fed
// through a bounded queue, so that no file (a disk that stalls, a share gone quiet)
// can hold up a port's reception, the window or the program's end.
// The engine thread's side is log_writer_append, which only copies bytes into the
// queue: it is the part of a log that sits on the receive path and knows nothing of
// ports. When the queue is full it waits for room while the writer makes progress,
// as the file's own pace held reception before; a writer that has been inside one
// write for LOG_WRITER_STALL_MS is stuck, and the log fails instead.
// States: open (writing what comes), failed (a write failed or stuck: nothing more
// is taken or written), closing (taking nothing more, writing what is queued).
// Threads: open and close on the UI thread, append on one engine thread at a time,
// the writer on its own; notify runs on the writer or the appending thread. After a
// close that had to leave a writer inside the system, the writer owns the file, the
// queue and the record, and frees them when (if ever) its write returns.
#pragma once
#include <windows.h>

#include <cstddef>

struct LogWriter;

// How long one write may take before the writer counts as stuck, and how much the
// queue holds.
constexpr DWORD LOG_WRITER_STALL_MS = 2000;
constexpr std::size_t LOG_WRITER_QUEUE_BYTES = 1u << 20;

// Called with the bytes written so far after each write and when the log fails,
// until the writer is closed; it must not wait for anything (it runs under the
// writer's lock).
typedef void (*LogWriterNotify)(void* context, LONGLONG written);

// Starts a writer for an open file, which it owns from now on (also when it fails:
// then it closes the file). first (malloc'd, may be null) is written before anything
// appended and freed by the writer. Null when memory, an event or the thread cannot
// be had.
LogWriter* log_writer_open(HANDLE file, unsigned char* first, std::size_t first_length, LogWriterNotify notify,
                           void* context);

// Engine thread: queues the bytes, in order after everything before. False when the
// log has failed or is closing (the bytes are not taken).
bool log_writer_append(LogWriter* writer, const unsigned char* data, std::size_t length);
// Bytes written to the file so far, and whether the log has failed.
LONGLONG log_writer_written(LogWriter* writer);
bool log_writer_failed(LogWriter* writer);

// The first half of a close, UI thread: no append takes anything from now on (one
// waiting for room returns at once), and the writer writes what is queued, closes the
// file and ends. A port that closes ends every log of the ports it closes first, so
// that their writers end side by side.
void log_writer_end(LogWriter* writer);
// UI thread, once no append runs: ends the writer if that was not done, and waits
// for it to write what it holds and end, handling sent messages; but no longer than
// limit_ms after it was ended, nor once its write under way has lasted stuck_ms. A
// writer still inside the system then is left to finish alone. The record is gone
// on return. True when everything queued was written and the file closed.
bool log_writer_close(LogWriter* writer, DWORD stuck_ms, DWORD limit_ms);

// The file write the writer uses: WriteFile, replaced by tests.
extern BOOL(WINAPI* log_writer_write_file)(HANDLE file, LPCVOID data, DWORD length, LPDWORD written,
                                           LPOVERLAPPED overlapped);
