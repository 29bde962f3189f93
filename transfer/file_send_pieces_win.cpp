// The pieces of a file send; see file_send_pieces_win.h.
//
// Who does what: the send thread fills empty buffers from the file and offers a
// piece when none is in flight (the first one, after a pause, a write of nothing, or
// a refusal); the hook, as a piece's write ends, counts what was written and offers
// the next bytes at once when it may (sending, and the write took something). The
// buffer being written is `writing`; the other one is filled next or waits to go.
// A buffer holds several pieces: the hook wakes the thread only when it has emptied
// one (or offers nothing), not after every piece, since under Wine every wake-up is
// a round trip through the server that a fast port waits for.
//
// With pacing, each piece is what the pacing gives (at most a "buffer size"), the
// hook never offers the next one, and the thread offers it after the piece's pause.
//
// Races closed on purpose:
//  - A piece refused because typed bytes (or a paste) still hold the send queue is
//    offered again by the thread every 10 ms until the queue takes it.
//  - The hook and the end of a run: the thread takes the run and the event from the
//    Port, then waits for hooks under way, and only then frees them.
//  - A piece of an earlier send that never reported (its engine refused the write)
//    could report late into a later run: a new run is given to the hook only once no
//    such piece is outstanding.
#include "transfer/file_send_pieces_win.h"

#include <cstdlib>

#include "terminal/pacing_win.h"
#include "terminal/port_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_win.h"
#include "transfer/transfer_text.h"
#include "transfer/transfer_win.h"

constexpr DWORD POLL_MS = 10;
constexpr DWORD PIECE_WAIT_SLICE_MS = 100;
// The progress is shown at most this often (and always at a file's start and end):
// every piece would keep the UI thread repainting the status bar. Under Wine a new
// status-bar text repaints the bar at once (4-9 ms of the UI thread, and the X
// server's share of the same cores), so four times a second is what a fast send can
// afford while the text still moves visibly.
constexpr DWORD PROGRESS_MS = 250;
// After an abort the engine reports the cancelled piece within abort_send's 500 ms;
// one that has not reported by then is not going to.
constexpr DWORD UNREPORTED_PIECE_MS = 3000;
// The file is read in blocks of as many whole pieces as fit in this (at least one).
constexpr std::int32_t READ_BLOCK_BYTES = 256 * 1024;

struct SendBuffer {
    unsigned char* bytes;
    DWORD filled;  // bytes read into it; 0: empty
    DWORD offset;  // bytes of it written
};

struct SendRun {
    Port* port;
    HANDLE piece_done;
    DWORD piece;     // the most offered at once: "buffer size"
    DWORD capacity;  // of each buffer: whole pieces
    CRITICAL_SECTION lock;  // everything below, between the thread and the hook
    SendBuffer buffers[2];
    int writing;     // the buffer written now, or next
    bool in_flight;  // a piece was accepted and has not reported
    bool zero_write; // the last report wrote nothing: the next offer waits a little
    LONGLONG done;   // bytes of the current file written
    Pacing pacing;
    bool paced;
    std::int32_t piece_length;  // paced: the piece in flight and the pause after it
    DWORD piece_pause;
    DWORD pause_ms;             // paced: the pause due before the next piece
};

static void lock(SendRun* run)
{
    EnterCriticalSection(&run->lock);
}

static void unlock(SendRun* run)
{
    LeaveCriticalSection(&run->lock);
}

// Hands what is left of the writing buffer to the port; in_flight is already set.
// False, with in_flight cleared, when the send is no longer sending or the queue
// refused it. The offer counts itself in send_offering before it tests the state,
// and the abort waits for the count to reach 0 after it has set the state and before
// it empties the queue (both with full barriers): a piece is either in flight when
// the abort empties the queue, and so cancelled, or never sent.
static bool offer(SendRun* run, const SendBuffer* buffer)
{
    Port* port = run->port;
    InterlockedExchange(&transfer_port(port)->send_piece_outstanding, 1);
    // The rest of the current piece: a partial write leaves the pieces where they were.
    DWORD left = buffer->filled - buffer->offset, rest = run->piece - buffer->offset % run->piece;
    std::int32_t length = static_cast<std::int32_t>(left < rest ? left : rest);
    if (run->paced) {
        // Only this thread or the hook of the piece before it gets here: nothing else
        // reads these until this piece reports.
        PacedPiece piece = pacing_next_piece(run->pacing, buffer->bytes + buffer->offset, static_cast<std::size_t>(length));
        length = static_cast<std::int32_t>(piece.length);
        run->piece_length = length;
        run->piece_pause = piece.delay_ms;
    }
    InterlockedIncrement(&transfer_port(port)->send_offering);
    bool sent =
        transfer_port(port)->send_state == SEND_SENDING && port_send(port, buffer->bytes + buffer->offset, length, piece_hook) > 0;
    InterlockedDecrement(&transfer_port(port)->send_offering);
    if (sent) return true;
    InterlockedExchange(&transfer_port(port)->send_piece_outstanding, 0);
    lock(run);
    run->in_flight = false;
    unlock(run);
    return false;
}

// The hook's part: a piece reported count bytes written.
static void piece_written(SendRun* run, std::int32_t count)
{
    const SendBuffer* next = nullptr;
    bool emptied = false;
    lock(run);
    SendBuffer* buffer = &run->buffers[run->writing];
    buffer->offset += static_cast<DWORD>(count);
    run->done += count;
    transfer_store(&transfer_port(run->port)->send_file_done, run->done);
    run->in_flight = false;
    run->zero_write = count == 0;
    // A piece written whole is followed by its pause; the rest of a partial one is not.
    if (run->paced && count == run->piece_length) run->pause_ms = run->piece_pause;
    if (buffer->offset >= buffer->filled) {
        buffer->filled = buffer->offset = 0;
        emptied = true;
        run->writing ^= 1;
        buffer = &run->buffers[run->writing];
    }
    // A write of nothing is offered again by the thread, after a pause, so that a
    // device that takes nothing does not keep the engine thread in a loop here.
    if (count > 0 && !run->paced && transfer_port(run->port)->send_state == SEND_SENDING &&
        buffer->filled > buffer->offset) {
        run->in_flight = true;
        next = buffer;
    }
    unlock(run);
    // The thread is needed for an empty buffer to fill, or a piece to offer itself.
    bool offered = next && offer(run, next);
    if (emptied || !offered) SetEvent(run->piece_done);
}

void piece_hook(Port* port, std::int32_t count)
{
    InterlockedIncrement(&transfer_port(port)->send_hooks_running);
    if (InterlockedExchange(&transfer_port(port)->send_piece_outstanding, 0) != 0) {
        if (auto* run = static_cast<SendRun*>(transfer_port(port)->send_run)) piece_written(run, count);
    }
    InterlockedDecrement(&transfer_port(port)->send_hooks_running);
}

// A paste started before the send still owns the queue: its rest would go out
// between the pieces. Pieces wait until it is over.
static bool paste_holds_queue(const Port* port)
{
    return port->paste_text != nullptr;
}

// The engine refused the piece and the port takes no input: its engine has stopped
// for good. An engine still ending an aborted write refuses too, but its port is
// connected, and the piece goes once it is done; a parallel port whose transfers fail
// still takes input and tries again with every write, so its send goes on.
static bool port_gave_up(const Port* port)
{
    return port->write_refused && !connection_takes_input(port->connection_state);
}

SendRun* send_run_open(Port* port)
{
    while (transfer_port(port)->send_piece_outstanding != 0 || transfer_port(port)->send_hooks_running != 0) {
        if (transfer_port(port)->send_state == SEND_STOPPING) return nullptr;
        Sleep(POLL_MS);
    }
    auto* run = static_cast<SendRun*>(std::calloc(1, sizeof(SendRun)));
    if (!run) return nullptr;
    run->port = port;
    run->piece = static_cast<DWORD>(send_buffer_size);
    run->pacing = transfer_port(port)->send_pacing;
    run->paced = pacing_active(run->pacing);
    // send_buffer_size is 1 byte to 1 MB, and so is the block.
    DWORD pieces = send_buffer_size < READ_BLOCK_BYTES ? static_cast<DWORD>(READ_BLOCK_BYTES / send_buffer_size) : 1;
    run->capacity = run->piece * pieces;
    run->piece_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    for (SendBuffer& buffer : run->buffers) buffer.bytes = static_cast<unsigned char*>(std::malloc(run->capacity));
    if (!run->piece_done || !run->buffers[0].bytes || !run->buffers[1].bytes) {
        if (run->piece_done) CloseHandle(run->piece_done);
        for (SendBuffer& buffer : run->buffers) std::free(buffer.bytes);
        std::free(run);
        return nullptr;
    }
    InitializeCriticalSection(&run->lock);
    transfer_port(port)->send_piece_done = run->piece_done;
    transfer_port(port)->send_run = run;
    return run;
}

static bool send_stopping(void* port)
{
    return transfer_port(static_cast<Port*>(port))->send_state == SEND_STOPPING;
}

// Shows the progress now, or when it was last shown long enough ago.
static void show_progress(SendRun* run, DWORD* shown, bool now)
{
    DWORD tick = GetTickCount();
    if (!now && tick - *shown < PROGRESS_MS) return;
    *shown = tick;
    transfer_notify(run->port);
}

bool send_run_file(SendRun* run, const char* path, HANDLE file, LONGLONG size)
{
    Port* port = run->port;
    DWORD start = GetTickCount(), shown = 0;
    lock(run);
    run->done = 0;
    run->writing = 0;
    run->zero_write = false;
    for (SendBuffer& buffer : run->buffers) buffer.filled = buffer.offset = 0;
    unlock(run);
    transfer_store(&transfer_port(port)->send_file_done, 0);
    transfer_store(&transfer_port(port)->send_file_size, size);
    show_progress(run, &shown, true);
    LONGLONG read = 0;
    bool file_over = size == 0, gave_up = false;
    for (;;) {
        LONG state = transfer_port(port)->send_state;
        if (state == SEND_STOPPING) break;
        show_progress(run, &shown, false);
        // The next bytes into an empty buffer: the one written next first.
        int target = -1;
        lock(run);
        int other = run->writing ^ 1;
        if (!file_over)
            target = run->buffers[run->writing].filled == 0 ? run->writing : run->buffers[other].filled == 0 ? other : -1;
        unlock(run);
        if (target >= 0) {
            LONGLONG left = size - read;
            DWORD want = left < run->capacity ? static_cast<DWORD>(left) : run->capacity;
            DWORD got = 0;
            // A read error ends the file early; so does a file that has become
            // shorter than its size: its reads now end with nothing.
            if (!ReadFile(file, run->buffers[target].bytes, want, &got, nullptr) || got == 0) {
                file_over = true;
            } else {
                read += got;
                file_over = read >= size;
                lock(run);
                run->buffers[target].filled = got;
                unlock(run);
            }
        }
        lock(run);
        SendBuffer* buffer = &run->buffers[run->writing];
        bool offer_now = !run->in_flight && state == SEND_SENDING && buffer->filled > buffer->offset;
        bool pause_first = offer_now && run->zero_write;
        bool finished = !run->in_flight && file_over && buffer->filled == 0 && run->buffers[run->writing ^ 1].filled == 0;
        DWORD pause_ms = 0;
        if (offer_now) {
            run->in_flight = true;
            run->zero_write = false;
            pause_ms = run->pause_ms;
            run->pause_ms = 0;
        }
        unlock(run);
        if (finished) break;
        if (offer_now) {
            // A device that took nothing is offered the bytes again at a pace.
            if (pause_first) Sleep(POLL_MS);
            if (pause_ms > 0) pacing_pause(pause_ms, send_stopping, port);
            if (paste_holds_queue(port) || !offer(run, buffer)) {
                lock(run);
                run->in_flight = false;
                unlock(run);
                if ((gave_up = port_gave_up(port))) break;
                Sleep(POLL_MS);  // refused: offered again shortly
            }
            continue;
        }
        if (target >= 0) continue;
        if (state != SEND_SENDING)
            Sleep(POLL_MS);
        else
            WaitForSingleObject(run->piece_done, PIECE_WAIT_SLICE_MS);
    }
    DWORD elapsed = GetTickCount() - start;
    show_progress(run, &shown, true);
    if (transfer_port(port)->send_state == SEND_STOPPING) return false;
    lock(run);
    LONGLONG done = run->done;
    unlock(run);
    char summary[SUMMARY_TEXT_SIZE];
    int length = file_send_summary_text(summary, path, done, elapsed);
    console_show(port, reinterpret_cast<const unsigned char*>(summary), length, SHOW_FILE_SEND);
    return !gave_up;
}

static bool piece_in_flight(SendRun* run)
{
    lock(run);
    bool in_flight = run->in_flight;
    unlock(run);
    return in_flight;
}

void send_run_close(SendRun* run)
{
    if (!run) return;
    Port* port = run->port;
    DWORD since = GetTickCount();
    while (piece_in_flight(run) && GetTickCount() - since < UNREPORTED_PIECE_MS)
        WaitForSingleObject(run->piece_done, POLL_MS);
    InterlockedExchangePointer(&transfer_port(port)->send_run, nullptr);
    InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&transfer_port(port)->send_piece_done), nullptr);
    while (transfer_port(port)->send_hooks_running != 0) Sleep(1);
    // No hook can reach the run from here on.
    bool kept = run->in_flight;
    DeleteCriticalSection(&run->lock);
    CloseHandle(run->piece_done);
    if (kept) return;
    for (SendBuffer& buffer : run->buffers) std::free(buffer.bytes);
    std::free(run);
}
