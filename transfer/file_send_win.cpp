// File send; see file_send_win.h.
//
// The races the send closes on purpose:
//  - A piece is refused (port_send returns 0 and no hook will come) while bytes typed
//    just before the send began are still in flight, or while a paste still owns the
//    queue: the thread offers it again every 10 ms until the queue takes it, so the
//    send goes on by itself.
//  - The abort on the UI thread waits for the thread while the thread may be setting
//    the status bar or the toolbar with a sent message, or showing its message box
//    owned by the frame: the wait handles sent messages and closes that box.
//  - send_state changes by compare-and-swap only: a pause, resume or abort that
//    meets the thread's own end (its last store of 0) never leaves a state behind
//    that no thread will clear.
//  - A piece still in flight when the thread stops writes from the thread's buffer:
//    the thread waits for its report before freeing the buffer. A device that never
//    reports (its engine refused the write) keeps the buffer, which is then left
//    unfreed rather than freed under the engine. Its late report, if it ever comes,
//    is not taken for a later send's piece (send_piece_outstanding).
//  - piece_hook and the closing of the piece event: the thread takes the event out
//    of the Port, waits for hooks under way, and only then closes it.
#include "transfer/file_send_win.h"

#include <cstdlib>
#include <cstring>

#include "app/commands_win.h"
#include "app/settings.h"
#include "app/status_bar_win.h"
#include "resources/commands.h"
#include "terminal/port_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_dialog_win.h"
#include "transfer/send_list.h"
#include "transfer/transfer_text.h"
#include "transfer/transfer_win.h"

static_assert(sizeof(*Port::send_list) == SEND_PATH_SIZE, "a send list entry is one path slot");

enum SendState : LONG {
    SEND_IDLE = 0,
    SEND_SENDING = 1,
    SEND_PAUSED = 3,
    SEND_STOPPING = 4,
};

constexpr std::int32_t DEFAULT_BUFFER_SIZE = 16384;
constexpr DWORD PAUSE_POLL_MS = 10;
constexpr DWORD RETRY_MS = 10;
constexpr DWORD PIECE_WAIT_SLICE_MS = 100;
// After an abort the engine reports the cancelled piece within abort_send's 500 ms;
// one that has not reported by then is not going to.
constexpr DWORD UNREPORTED_PIECE_MS = 3000;

std::int32_t send_buffer_size = DEFAULT_BUFFER_SIZE;

static const char SEND_CAPTION[] = "ﾌｧｲﾙ送信";

void file_send_load_settings()
{
    send_buffer_size = settings_read_int("file config", "buffer size", DEFAULT_BUFFER_SIZE);
    // 0 or less would read nothing and send nothing for ever.
    if (send_buffer_size <= 0) send_buffer_size = DEFAULT_BUFFER_SIZE;
    file_send_dialog_load();
    transfer_attach();
}

void file_send_release()
{
    transfer_detach();
    file_send_dialog_release();
}

// Status-bar part 2 for a state: the progress while sending or paused, empty when
// idle; left alone while stopping.
static void show_progress(Port* port, LONG state)
{
    if (state == SEND_STOPPING) return;
    char text[TRANSFER_TEXT_SIZE] = "";
    if (state != SEND_IDLE)
        file_send_progress_text(text, transfer_load(&port->send_file_done), transfer_load(&port->send_file_size));
    set_status_text(STATUS_FILE_SEND, text);
}

// The progress text and commands 402-404 for a state, when the port has the focus.
static void show_send_state(Port* port, LONG state)
{
    if (!port->console.has_focus) return;
    show_progress(port, state);
    enable_command(CMD_FILE_SEND_PAUSE, state == SEND_SENDING);
    enable_command(CMD_FILE_SEND_RESUME, state == SEND_PAUSED);
    enable_command(CMD_FILE_SEND_ABORT, state == SEND_SENDING || state == SEND_PAUSED);
}

void file_send_refresh(Port* port)
{
    if (port) show_send_state(port, port->send_state);
}

// Send thread: the progress of the file being sent.
static void file_send_progress(Port* port)
{
    if (port->console.has_focus) show_progress(port, port->send_state);
}

void piece_hook(Port* port, std::int32_t count)
{
    InterlockedIncrement(&port->send_hooks_running);
    if (InterlockedExchange(&port->send_piece_outstanding, 0) != 0) {
        InterlockedExchange(&port->send_piece_written, count);
        HANDLE done = port->send_piece_done;
        if (done) SetEvent(done);
    }
    InterlockedDecrement(&port->send_hooks_running);
}

// What one send thread works with.
struct SendRun {
    Port* port;
    unsigned char* buffer;
    HANDLE piece_done;
    bool in_flight;  // a piece was accepted and has not reported
};

// Whether a piece may be offered now: no earlier piece unreported or its hook still
// running, and no paste owning the queue (its rest would go out between the pieces).
static bool queue_free_for_piece(const Port* port)
{
    return port->send_piece_outstanding == 0 && port->send_hooks_running == 0 && !port->paste_text;
}

// Offers bytes as one direct write until the port takes them, then waits for its
// report. True with *written when it came; false when the send is stopping first.
static bool write_piece(SendRun* run, const unsigned char* data, std::int32_t length, std::int32_t* written)
{
    Port* port = run->port;
    for (;;) {
        LONG state = port->send_state;
        if (state == SEND_STOPPING) return false;
        if (state != SEND_SENDING || !queue_free_for_piece(port)) {
            Sleep(state == SEND_SENDING ? RETRY_MS : PAUSE_POLL_MS);
            continue;
        }
        // A late report of an earlier send's piece may have left the event set.
        ResetEvent(run->piece_done);
        InterlockedExchange(&port->send_piece_outstanding, 1);
        if (port_send(port, data, length, piece_hook) == 0) {
            // Refused: typed bytes are still being written. Offered again shortly.
            InterlockedExchange(&port->send_piece_outstanding, 0);
            Sleep(RETRY_MS);
            continue;
        }
        run->in_flight = true;
        for (;;) {
            if (WaitForSingleObject(run->piece_done, PIECE_WAIT_SLICE_MS) == WAIT_OBJECT_0) {
                run->in_flight = false;
                *written = port->send_piece_written;
                return true;
            }
            if (port->send_state == SEND_STOPPING) return false;
        }
    }
}

static bool file_size(HANDLE file, LONGLONG* size)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *size = (static_cast<LONGLONG>(high) << 32) | low;
    return true;
}

// Sends one open file: reads a buffer's worth, offers what is left of it until all of
// it is written (a partial write offers the rest, a write of nothing the same bytes
// again), and only then reads on. The size is the one the file had when it was
// opened: a file that grows meanwhile is sent as it was, and one that shrinks ends
// where its reads end. The summary follows unless the send was aborted.
static void send_one_file(SendRun* run, const char* path, HANDLE file, LONGLONG size)
{
    Port* port = run->port;
    DWORD start = GetTickCount();
    transfer_store(&port->send_file_done, 0);
    transfer_store(&port->send_file_size, size);
    LONGLONG done = 0;
    DWORD filled = 0, offset = 0;
    while (done < size) {
        LONG state = port->send_state;
        if (state == SEND_STOPPING) break;
        if (state != SEND_SENDING) {
            Sleep(PAUSE_POLL_MS);
            continue;
        }
        file_send_progress(port);
        if (offset >= filled) {
            LONGLONG left = size - done;
            DWORD want = left < send_buffer_size ? static_cast<DWORD>(left) : static_cast<DWORD>(send_buffer_size);
            DWORD got = 0;
            // A read error ends the file early; so does a file that has become
            // shorter than its size: its reads now end with nothing.
            if (!ReadFile(file, run->buffer, want, &got, nullptr) || got == 0) break;
            filled = got;
            offset = 0;
        }
        std::int32_t written = 0;
        if (!write_piece(run, run->buffer + offset, static_cast<std::int32_t>(filled - offset), &written)) break;
        offset += static_cast<DWORD>(written);
        done += written;
        transfer_store(&port->send_file_done, done);
        // A device that takes nothing is offered the bytes again at a pace.
        if (written == 0) Sleep(RETRY_MS);
    }
    DWORD elapsed = GetTickCount() - start;
    file_send_progress(port);
    if (port->send_state == SEND_STOPPING) return;
    char summary[SUMMARY_TEXT_SIZE];
    int length = file_send_summary_text(summary, path, done, elapsed);
    console_show(port, reinterpret_cast<const unsigned char*>(summary), length, SHOW_FILE_SEND);
}

static void send_files(SendRun* run)
{
    Port* port = run->port;
    for (std::int32_t i = 0; i < port->send_list_count && port->send_state != SEND_STOPPING; ++i) {
        const char* path = port->send_list[i];
        if (path[0] == '\0') continue;
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        LONGLONG size = 0;
        if (file != INVALID_HANDLE_VALUE && file_size(file, &size)) {
            send_one_file(run, path, file, size);
            CloseHandle(file);
            continue;
        }
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        // The send goes on with the next entry once the box is closed; an abort
        // closes it (see close_send_box).
        if (port->send_state != SEND_STOPPING) transfer_tell_unopened(port->frame_window, path, SEND_CAPTION);
    }
}

// The thread's end. Its last store makes the port idle; from then on the port may be
// closed and freed, so nothing of it is touched after that.
static void end_send(SendRun* run)
{
    Port* port = run->port;
    if (run->in_flight && WaitForSingleObject(run->piece_done, UNREPORTED_PIECE_MS) == WAIT_OBJECT_0)
        run->in_flight = false;
    if (run->piece_done) {
        InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&port->send_piece_done), nullptr);
        while (port->send_hooks_running != 0) Sleep(1);
        CloseHandle(run->piece_done);
    }
    if (!run->in_flight) std::free(run->buffer);
    show_send_state(port, SEND_IDLE);
    std::free(port->send_list);
    port->send_list = nullptr;
    port->send_list_count = 0;
    transfer_store(&port->send_file_size, 0);
    transfer_store(&port->send_file_done, 0);
    InterlockedExchange(&port->send_state, SEND_IDLE);
}

static DWORD WINAPI file_send_thread(void* parameter) noexcept
{
    SendRun run = {static_cast<Port*>(parameter), nullptr, nullptr, false};
    Port* port = run.port;
    if (port->send_list && port->send_list_count > 0) {
        run.buffer = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(send_buffer_size)));
        run.piece_done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (run.buffer && run.piece_done) {
            port->send_piece_done = run.piece_done;
            file_send_refresh(port);
            send_files(&run);
        }
    }
    end_send(&run);
    return 0;
}

bool file_send_start(Port* port)
{
    if (!port || port->send_state != SEND_IDLE) return false;
    // Sending from here on: typing, function keys and paste are refused at once, and
    // the port is not offered to another send.
    InterlockedExchange(&port->send_state, SEND_SENDING);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, file_send_thread, port, 0, &id);
    if (!thread) {
        std::free(port->send_list);
        port->send_list = nullptr;
        port->send_list_count = 0;
        InterlockedExchange(&port->send_state, SEND_IDLE);
        return false;
    }
    port->send_thread_id = id;
    CloseHandle(thread);
    return true;
}

void file_send_command(HWND frame)
{
    Port* port = file_send_dialog(frame);
    if (port && port->send_list_count > 0) file_send_start(port);
}

void file_send_pause(Port* port)
{
    if (port && InterlockedCompareExchange(&port->send_state, SEND_PAUSED, SEND_SENDING) == SEND_SENDING)
        file_send_refresh(port);
}

void file_send_resume(Port* port)
{
    if (port && InterlockedCompareExchange(&port->send_state, SEND_SENDING, SEND_PAUSED) == SEND_PAUSED)
        file_send_refresh(port);
}

static BOOL CALLBACK close_box(HWND window, LPARAM) noexcept
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// The send thread's "cannot open" box, if it shows one: the thread goes on (and so
// ends) when it is closed.
static void close_send_box(Port* port)
{
    if (port->send_thread_id) EnumThreadWindows(port->send_thread_id, close_box, 0);
}

void file_send_abort(Port* port)
{
    if (!port) return;
    for (LONG state = port->send_state; state != SEND_IDLE; state = port->send_state)
        if (InterlockedCompareExchange(&port->send_state, SEND_STOPPING, state) == state) break;
    abort_send(port);
    while (port->send_state != SEND_IDLE) {
        close_send_box(port);
        handle_sent_messages(PAUSE_POLL_MS);
    }
    file_send_refresh(port);
}
