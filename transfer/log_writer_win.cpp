// The receive log's writer; see log_writer_win.h.
//
// The queue is a ring of LOG_WRITER_QUEUE_BYTES: appends copy into it under the lock
// and the writer writes from it outside the lock, so no append waits for the file.
// The writer gathers what arrives for up to GATHER_MS before a write of less than
// GATHER_BYTES: under Wine every wake-up of a thread is a trip through the server,
// and one per received chunk would cost reception more than the file does. It is
// woken by an append only when it waits on an empty queue.
//
// Who owns what: the record holds two references, the UI side's (given up by
// log_writer_close) and the writer's (given up as it ends); the last one frees the
// record, the queue and the first block. The file is the writer's: it closes it as it
// ends. notify reaches the caller's context only while the record is not detached,
// and detaching happens under the same lock, so once close has returned nothing
// reaches the context any more.
#include "transfer/log_writer_win.h"

#include <cstdlib>
#include <cstring>

BOOL(WINAPI* log_writer_write_file)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = WriteFile;

constexpr std::size_t GATHER_BYTES = 64 * 1024;
constexpr DWORD GATHER_MS = 10;
// An append waiting for room looks again this often whether the writer is stuck.
constexpr DWORD ROOM_WAIT_MS = 50;

struct LogWriter {
    CRITICAL_SECTION lock;  // everything below but the handles and the refs
    HANDLE file;
    HANDLE thread;
    HANDLE has_data;  // auto reset: set for a writer waiting on an empty queue
    HANDLE has_room;  // auto reset: set for an append waiting for room
    unsigned char* first;
    std::size_t first_length;
    std::size_t first_done;
    unsigned char* queue;
    ULONGLONG queued;    // bytes ever appended to the queue
    ULONGLONG dequeued;  // bytes of them written
    volatile LONGLONG written;
    bool writer_waiting;
    bool append_waiting;
    bool busy;           // the writer is inside a write, since busy_since
    DWORD busy_since;
    volatile LONG failed;
    bool closing;        // no append takes anything; the writer writes what is queued and ends
    DWORD closing_since;
    bool detached;       // notify reaches the context no more
    LogWriterNotify notify;
    void* context;
    volatile LONG refs;
};

static void release(LogWriter* w)
{
    if (InterlockedDecrement(&w->refs) != 0) return;
    DeleteCriticalSection(&w->lock);
    CloseHandle(w->has_data);
    CloseHandle(w->has_room);
    std::free(w->queue);
    std::free(w->first);
    std::free(w);
}

// Under the lock.
static void tell(LogWriter* w)
{
    if (!w->detached && w->notify) w->notify(w->context, w->written);
}

static void fail(LogWriter* w)
{
    if (InterlockedExchange(&w->failed, 1) == 0) tell(w);
}

static std::size_t waiting_bytes(const LogWriter* w)
{
    return (w->first_length - w->first_done) + static_cast<std::size_t>(w->queued - w->dequeued);
}

// The next bytes to write, in order: the first block, then the queue up to its end
// (a write never wraps around it). Under the lock.
static DWORD next_segment(const LogWriter* w, const unsigned char** from)
{
    if (w->first_done < w->first_length) {
        *from = w->first + w->first_done;
        return static_cast<DWORD>(w->first_length - w->first_done);
    }
    std::size_t at = static_cast<std::size_t>(w->dequeued % LOG_WRITER_QUEUE_BYTES);
    std::size_t length = static_cast<std::size_t>(w->queued - w->dequeued);
    if (length > LOG_WRITER_QUEUE_BYTES - at) length = LOG_WRITER_QUEUE_BYTES - at;
    *from = w->queue + at;
    return static_cast<DWORD>(length);
}

static void written(LogWriter* w, DWORD count)
{
    if (w->first_done < w->first_length)
        w->first_done += count;
    else
        w->dequeued += count;
    InterlockedExchange64(&w->written, static_cast<LONGLONG>(w->first_done + w->dequeued));
}

// Waits, with the lock held on entry and on return, until there is something to
// write (false: there is not, and the writer ends).
static bool wait_for_data(LogWriter* w)
{
    for (;;) {
        if (w->failed) return false;
        std::size_t waiting = waiting_bytes(w);
        if (waiting == 0 && w->closing) return false;
        if (waiting >= GATHER_BYTES || w->closing || w->first_done < w->first_length) return waiting > 0;
        // Nothing, or a little: an empty queue is waited for until an append wakes
        // the writer; a little is gathered for a moment without waking anyone.
        w->writer_waiting = waiting == 0;
        LeaveCriticalSection(&w->lock);
        WaitForSingleObject(w->has_data, waiting == 0 ? INFINITE : GATHER_MS);
        EnterCriticalSection(&w->lock);
        w->writer_waiting = false;
        if (waiting > 0 && waiting_bytes(w) > 0) return true;
    }
}

static DWORD WINAPI writer_thread(void* parameter) noexcept
{
    auto* w = static_cast<LogWriter*>(parameter);
    EnterCriticalSection(&w->lock);
    while (wait_for_data(w)) {
        const unsigned char* from = nullptr;
        DWORD length = next_segment(w, &from);
        w->busy = true;
        w->busy_since = GetTickCount();
        LeaveCriticalSection(&w->lock);
        // The queue's bytes being written stay where they are: appends only fill the
        // room before them.
        DWORD done = 0;
        BOOL ok = log_writer_write_file(w->file, from, length, &done, nullptr);
        EnterCriticalSection(&w->lock);
        w->busy = false;
        if (done > length) done = length;
        written(w, done);
        // A full disk, a drive gone: nothing more is written, so the file never has a
        // hole. A write that only came back after the log was taken for stuck changes
        // nothing: the log has failed already.
        if (!ok || done != length)
            fail(w);
        else
            tell(w);
        if (w->append_waiting) SetEvent(w->has_room);
    }
    LeaveCriticalSection(&w->lock);
    CloseHandle(w->file);
    release(w);
    return 0;
}

LogWriter* log_writer_open(HANDLE file, unsigned char* first, std::size_t first_length, LogWriterNotify notify,
                           void* context)
{
    auto* w = static_cast<LogWriter*>(std::calloc(1, sizeof(LogWriter)));
    if (w) {
        w->queue = static_cast<unsigned char*>(std::malloc(LOG_WRITER_QUEUE_BYTES));
        w->has_data = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        w->has_room = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    if (!w || !w->queue || !w->has_data || !w->has_room || !InitializeCriticalSectionAndSpinCount(&w->lock, 0)) {
        if (w) {
            if (w->has_data) CloseHandle(w->has_data);
            if (w->has_room) CloseHandle(w->has_room);
            std::free(w->queue);
            std::free(w);
        }
        CloseHandle(file);
        std::free(first);
        return nullptr;
    }
    w->file = file;
    w->first = first;
    w->first_length = first ? first_length : 0;
    w->notify = notify;
    w->context = context;
    w->refs = 2;
    w->thread = CreateThread(nullptr, 0, writer_thread, w, 0, nullptr);
    if (!w->thread) {
        w->refs = 1;
        CloseHandle(file);
        release(w);
        return nullptr;
    }
    return w;
}

bool log_writer_append(LogWriter* w, const unsigned char* data, std::size_t length)
{
    EnterCriticalSection(&w->lock);
    while (length > 0 && !w->failed && !w->closing) {
        // A write that does not come back holds everything after it: the log is
        // over, and reception goes on without it.
        if (w->busy && GetTickCount() - w->busy_since >= LOG_WRITER_STALL_MS) {
            fail(w);
            break;
        }
        std::size_t room = LOG_WRITER_QUEUE_BYTES - static_cast<std::size_t>(w->queued - w->dequeued);
        if (room == 0) {
            // The file's pace holds reception, as it always has, but only while
            // the writer gets on.
            w->append_waiting = true;
            LeaveCriticalSection(&w->lock);
            WaitForSingleObject(w->has_room, ROOM_WAIT_MS);
            EnterCriticalSection(&w->lock);
            w->append_waiting = false;
            continue;
        }
        std::size_t at = static_cast<std::size_t>(w->queued % LOG_WRITER_QUEUE_BYTES);
        std::size_t count = length < room ? length : room;
        if (count > LOG_WRITER_QUEUE_BYTES - at) count = LOG_WRITER_QUEUE_BYTES - at;
        std::memcpy(w->queue + at, data, count);
        w->queued += count;
        data += count;
        length -= count;
        if (w->writer_waiting) {
            w->writer_waiting = false;
            SetEvent(w->has_data);
        }
    }
    LeaveCriticalSection(&w->lock);
    return length == 0;
}

LONGLONG log_writer_written(LogWriter* w)
{
    return InterlockedCompareExchange64(&w->written, 0, 0);
}

bool log_writer_failed(LogWriter* w)
{
    return w->failed != 0;
}

void log_writer_end(LogWriter* w)
{
    EnterCriticalSection(&w->lock);
    if (!w->closing) {
        w->closing = true;
        w->closing_since = GetTickCount();
    }
    if (w->append_waiting) SetEvent(w->has_room);
    LeaveCriticalSection(&w->lock);
    SetEvent(w->has_data);
}

// Whether the writer is inside a write that has lasted stuck_ms.
static bool stuck(LogWriter* w, DWORD stuck_ms)
{
    EnterCriticalSection(&w->lock);
    bool long_write = w->busy && GetTickCount() - w->busy_since >= stuck_ms;
    LeaveCriticalSection(&w->lock);
    return long_write;
}

// Until the writer's thread has ended (true), it is stuck, or limit_ms have passed
// since it was ended; the messages other threads send to this one are handled
// meanwhile.
static bool wait_writer(LogWriter* w, DWORD stuck_ms, DWORD limit_ms)
{
    constexpr DWORD SLICE_MS = 10;
    for (;;) {
        DWORD spent = GetTickCount() - w->closing_since;
        if (spent >= limit_ms || stuck(w, stuck_ms)) return WaitForSingleObject(w->thread, 0) == WAIT_OBJECT_0;
        DWORD left = limit_ms - spent;
        DWORD slice = left < SLICE_MS ? left : SLICE_MS;
        DWORD result = MsgWaitForMultipleObjects(1, &w->thread, FALSE, slice, QS_SENDMESSAGE);
        if (result == WAIT_OBJECT_0) return true;
        if (result == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

bool log_writer_close(LogWriter* w, DWORD stuck_ms, DWORD limit_ms)
{
    log_writer_end(w);
    bool ended = wait_writer(w, stuck_ms, limit_ms);
    EnterCriticalSection(&w->lock);
    bool complete = ended && !w->failed && waiting_bytes(w) == 0;
    // Left inside the system, the writer finishes alone: it tells no one any more.
    w->detached = true;
    LeaveCriticalSection(&w->lock);
    CloseHandle(w->thread);
    release(w);
    return complete;
}
