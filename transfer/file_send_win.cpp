// File send; see file_send_win.h. The thread here goes through the list; how each
// file goes out in pieces is file_send_pieces_win.cpp.
//
// The send thread never waits for the UI thread to show its progress: it posts a
// notice (transfer_notify) and the UI thread shows the state as it then is. Writing
// the status bar by a sent message for every piece made the send wait for every
// repaint of the window.
//
// The races closed on purpose here:
//  - The abort on the UI thread waits for the thread, which may itself be waiting for
//    the UI thread: in the command enabling of its summary line (sent to the
//    toolbar), or in its message box owned by the frame. The wait handles sent
//    messages and closes that box.
//  - send_state changes by compare-and-swap only: a pause, resume or abort that meets
//    the thread's own end (its last store of 0) never leaves a state behind that no
//    thread will clear.
#include "transfer/file_send_win.h"

#include <cstdlib>
#include <cstring>

#include "base/command_state_win.h"
#include "base/settings.h"
#include "base/status_bar_win.h"
#include "resources/commands.h"
#include "terminal/disk_file_win.h"
#include "terminal/pacing_win.h"
#include "terminal/port_win.h"
#include "transfer/file_send_dialog_win.h"
#include "transfer/file_send_pieces_win.h"
#include "transfer/send_list.h"
#include "transfer/transfer_text.h"
#include "transfer/transfer_win.h"

static_assert(sizeof(*TransferPort::send_list) == SEND_PATH_SIZE, "a send list entry is one path slot");

constexpr std::int32_t DEFAULT_BUFFER_SIZE = 16384;
constexpr DWORD ABORT_POLL_MS = 10;

std::int32_t send_buffer_size = DEFAULT_BUFFER_SIZE;

static const char SEND_CAPTION[] = "ﾌｧｲﾙ送信";

void file_send_load_settings()
{
    send_buffer_size = settings_read_int("file config", "buffer size", DEFAULT_BUFFER_SIZE);
    // 0 or less would read nothing and send nothing for ever. Each send takes two
    // buffers of at least this size: two of a gigabyte or more cannot be had at all by a 32-bit
    // process, and every send would end at once without a word; a megabyte at a time
    // is plenty for every kind of port.
    if (send_buffer_size <= 0 || send_buffer_size > SEND_BUFFER_MAX) send_buffer_size = DEFAULT_BUFFER_SIZE;
    file_send_dialog_load();
    transfer_attach();
}

void file_send_release()
{
    transfer_detach();
    file_send_dialog_release();
}

void file_send_refresh(Port* port)
{
    if (!port || !port->console.has_focus) return;
    LONG state = transfer_port(port)->send_state;
    // Status-bar part 2: the progress while sending or paused, empty when idle, left
    // alone while stopping.
    if (state != SEND_STOPPING) {
        char text[TRANSFER_TEXT_SIZE] = "";
        if (state != SEND_IDLE)
            file_send_progress_text(text, transfer_load(&transfer_port(port)->send_file_done), transfer_load(&transfer_port(port)->send_file_size));
        set_status_text(STATUS_FILE_SEND, text);
    }
    command_state_refresh();
}

static bool file_size(HANDLE file, LONGLONG* size)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
    *size = (static_cast<LONGLONG>(high) << 32) | low;
    return true;
}

static void send_files(Port* port, SendRun* run)
{
    for (std::int32_t i = 0; i < transfer_port(port)->send_list_count && transfer_port(port)->send_state != SEND_STOPPING; ++i) {
        const char* path = transfer_port(port)->send_list[i];
        if (path[0] == '\0') continue;
        // Only a file on disk: a list may name a device ("COM1"), whose reads could
        // hold the send, and so the port's close, for ever.
        HANDLE file = disk_file_open(path, GENERIC_READ, OPEN_EXISTING);
        LONGLONG size = 0;
        if (file != INVALID_HANDLE_VALUE && file_size(file, &size)) {
            bool port_takes_more = send_run_file(run, path, file, size);
            CloseHandle(file);
            // A port that has given up for good takes none of the files left.
            if (!port_takes_more) break;
            continue;
        }
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        // The send goes on with the next entry once the box is closed; an abort
        // closes it (see close_send_box).
        if (transfer_port(port)->send_state != SEND_STOPPING) transfer_tell_unopened(port->frame_window, path, SEND_CAPTION);
    }
}

static DWORD WINAPI file_send_thread(void* parameter) noexcept
{
    Port* port = static_cast<Port*>(parameter);
    HWND frame = port->frame_window;
    if (transfer_port(port)->send_list && transfer_port(port)->send_list_count > 0) {
        // Without its buffers or event the send ends without sending.
        if (SendRun* run = send_run_open(port)) {
            send_files(port, run);
            send_run_close(run);
        }
    }
    std::free(transfer_port(port)->send_list);
    transfer_port(port)->send_list = nullptr;
    transfer_port(port)->send_list_count = 0;
    transfer_store(&transfer_port(port)->send_file_size, 0);
    transfer_store(&transfer_port(port)->send_file_done, 0);
    // The last store: from here on the port may be closed and freed, so nothing of it
    // is touched after it. The notice that shows it idle carries only its address,
    // which the UI thread checks.
    InterlockedExchange(&transfer_port(port)->send_state, SEND_IDLE);
    PostMessageA(frame, MSG_TRANSFER_NOTICE, reinterpret_cast<WPARAM>(port), 0);
    return 0;
}

bool file_send_start(Port* port)
{
    if (!port || transfer_port(port)->send_state != SEND_IDLE) return false;
    // Sending from here on: typing, function keys and paste are refused at once, and
    // the port is not offered to another send.
    InterlockedExchange(&transfer_port(port)->send_state, SEND_SENDING);
    transfer_port(port)->send_pacing = port_pacing(port);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, file_send_thread, port, 0, &id);
    if (!thread) {
        std::free(transfer_port(port)->send_list);
        transfer_port(port)->send_list = nullptr;
        transfer_port(port)->send_list_count = 0;
        InterlockedExchange(&transfer_port(port)->send_state, SEND_IDLE);
        return false;
    }
    transfer_port(port)->send_thread_id = id;
    CloseHandle(thread);
    file_send_refresh(port);
    return true;
}

void file_send_command(HWND frame)
{
    Port* port = file_send_dialog(frame);
    if (port && transfer_port(port)->send_list_count > 0) file_send_start(port);
}

void file_send_pause(Port* port)
{
    if (port && InterlockedCompareExchange(&transfer_port(port)->send_state, SEND_PAUSED, SEND_SENDING) == SEND_SENDING)
        file_send_refresh(port);
}

void file_send_resume(Port* port)
{
    if (port && InterlockedCompareExchange(&transfer_port(port)->send_state, SEND_SENDING, SEND_PAUSED) == SEND_PAUSED)
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
    if (transfer_port(port)->send_thread_id) EnumThreadWindows(transfer_port(port)->send_thread_id, close_box, 0);
}

void file_send_stopping(Port* port)
{
    if (!port) return;
    for (LONG state = transfer_port(port)->send_state; state != SEND_IDLE; state = transfer_port(port)->send_state)
        if (InterlockedCompareExchange(&transfer_port(port)->send_state, SEND_STOPPING, state) == state) break;
    // A piece being handed over as the state changed is in flight once this ends,
    // and so cancelled by the abort that follows (see offer in file_send_pieces_win.cpp).
    while (transfer_port(port)->send_offering != 0) handle_sent_messages(1);
}

void file_send_abort(Port* port)
{
    if (!port) return;
    file_send_stopping(port);
    abort_send(port);
    file_send_stopped(port);
}

void file_send_stopped(Port* port)
{
    if (!port) return;
    while (transfer_port(port)->send_state != SEND_IDLE) {
        close_send_box(port);
        handle_sent_messages(ABORT_POLL_MS);
    }
    file_send_refresh(port);
}
