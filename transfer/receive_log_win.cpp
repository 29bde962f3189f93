// Receive log; see receive_log_win.h.
//
// The log is the port's receive tap TAP_RECEIVE_LOG, its state the port's
// TransferPort; the tap list's rule makes the stop safe against a call in flight
// (see terminal/receive_taps.h). The stop ends the writer before it detaches the
// tap, so that a call waiting for room in the writer's queue is let go first. A port
// that closes ends its log's writer before the abort of its send queue, so that the
// writer's bounded wait runs meanwhile, and the writers of several ports closed
// together end side by side. The stop's wait for the writer handles sent messages,
// as every wait of the UI thread for another does.
//
// Every port pointer is taken again after a modal loop (the dialog, the overwrite
// question): the port may have been closed meanwhile, and another opened in its
// place; see port_from_window.
#include "transfer/receive_log_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/command_state_win.h"
#include "base/app_record_win.h"
#include "base/status_bar_win.h"
#include "console/console_stamped.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "resources/transfer_ids.h"
#include "terminal/port_win.h"
#include "terminal/disk_file_win.h"
#include "transfer/log_writer_win.h"
#include "transfer/transfer_text.h"
#include "transfer/transfer_win.h"

int include_console_text = 1;
int log_time_stamps = 0;

static const char LOG_CAPTION[] = "受信ﾃﾞｰﾀをﾌｧｲﾙに保存";
static const char LOG_STOPPED[] = "。受信ﾃﾞｰﾀの保存を中止しました";
// The console's text is in the file when the log starts, as the status then shows,
// unless the file takes longer than this.
constexpr DWORD START_WAIT_MS = 1000;

// Status-bar part 3: the bytes and time while logging, else empty.
static void show_log_status(Port* port)
{
    if (!port->console.has_focus) return;
    TransferPort* log = transfer_port(port);
    char text[TRANSFER_TEXT_SIZE] = "";
    if (log->log_active == 1)
        receive_log_status_text(text, transfer_load(&log->log_bytes), GetTickCount() - log->log_start_tick);
    set_status_text(STATUS_RECEIVE_LOG, text);
}

void refresh_log_state(Port* port)
{
    if (!port || !port->console.has_focus) return;
    show_log_status(port);
    command_state_refresh();
}

// Stamped bytes gathered in a buffer of their own before they are queued, so that a
// chunk of many short lines takes a few appends, not two for every line.
struct StampBuffer {
    LogWriter* writer;  // null: the bytes are kept in `kept` (malloc'd) instead
    bool ok;
    std::size_t held;
    unsigned char* kept;
    std::size_t kept_length;
    unsigned char buffer[4096];
};

static bool stamp_flush(StampBuffer* b)
{
    if (b->held > 0 && b->ok) {
        if (b->writer) {
            b->ok = log_writer_append(b->writer, b->buffer, b->held);
        } else {
            auto* grown = static_cast<unsigned char*>(std::realloc(b->kept, b->kept_length + b->held));
            b->ok = grown != nullptr;
            if (grown) {
                std::memcpy(grown + b->kept_length, b->buffer, b->held);
                b->kept = grown;
                b->kept_length += b->held;
            }
        }
    }
    b->held = 0;
    return b->ok;
}

static bool stamp_write(void* context, const unsigned char* bytes, std::size_t length)
{
    auto* b = static_cast<StampBuffer*>(context);
    while (length > 0 && b->ok) {
        if (b->held == sizeof b->buffer) stamp_flush(b);
        std::size_t n = sizeof b->buffer - b->held;
        if (n > length) n = length;
        std::memcpy(b->buffer + b->held, bytes, n);
        b->held += n;
        bytes += n;
        length -= n;
    }
    return b->ok;
}

static void stamp_buffer_start(StampBuffer* b, LogWriter* writer)
{
    b->writer = writer;
    b->ok = true;
    b->held = 0;
    b->kept = nullptr;
    b->kept_length = 0;
}

// The log's receive tap (engine thread). Only queued: the writer's thread writes the
// file. Bytes the log no longer takes (it has failed) are still shown. With time
// stamps each line starts with its arrival time.
static bool log_tap(Port*, void* state, const unsigned char* data, std::int32_t length)
{
    auto* log = static_cast<TransferPort*>(state);
    if (length <= 0 || log->log_active != 1) return true;
    if (log->log_stamped) {
        StampBuffer b;
        stamp_buffer_start(&b, log->log_writer);
        stamped_lines_feed(&log->log_lines, data, static_cast<std::size_t>(length), console_clock_now(), stamp_write,
                           &b);
        stamp_flush(&b);
    } else {
        log_writer_append(log->log_writer, data, static_cast<std::size_t>(length));
    }
    return true;
}

// The writer's report, until the log stops: the bytes written, and a notice that has
// the UI thread show them (or end a log that failed).
static void log_written(void* context, LONGLONG written)
{
    auto* port = static_cast<Port*>(context);
    transfer_store(&transfer_port(port)->log_bytes, written);
    transfer_notify(port);
}

// A copy of the console's text, taken under the console's lock so that no append or
// discard moves it meanwhile. False when memory is short.
static bool copy_console_text(Port* port, unsigned char** text, std::size_t* length)
{
    *text = nullptr;
    *length = 0;
    Console* console = &port->console;
    console_lock(console);
    std::uint32_t count = console_text_length(console);
    const unsigned char* at = console_text_at(console, 0);
    bool ok = true;
    TransferPort* log = transfer_port(port);
    if (log->log_stamped) {
        StampBuffer b;
        stamp_buffer_start(&b, nullptr);
        console_write_stamped(console, 0, count, stamp_write, &b);
        ok = stamp_flush(&b);
        // Received bytes go on where the text ends: inside its last line, say.
        stamped_lines_after(&log->log_lines, at, at ? count : 0);
        if (ok) {
            *text = b.kept;
            *length = b.kept_length;
        } else {
            std::free(b.kept);
        }
    } else if (at && count > 0) {
        *text = static_cast<unsigned char*>(std::malloc(count));
        ok = *text != nullptr;
        if (ok) {
            std::memcpy(*text, at, count);
            *length = count;
        }
    }
    console_unlock(console);
    return ok;
}

// Starts the log on the port's file, just opened: false (the file closed) when its
// writer could not start.
static bool start_on(Port* port, HANDLE file, bool console_text)
{
    TransferPort* log = transfer_port(port);
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    log->log_stamped = log_time_stamps;
    stamped_lines_after(&log->log_lines, nullptr, 0);
    unsigned char* text = nullptr;
    std::size_t length = 0;
    LogWriter* writer = nullptr;
    if (!console_text || copy_console_text(port, &text, &length))
        writer = log_writer_open(file, text, length, log_written, port);
    else
        CloseHandle(file);
    if (!writer) return false;
    log->log_writer = writer;
    transfer_store(&log->log_bytes, 0);
    log->log_start_tick = GetTickCount();
    // Everything the tap reads is in place before it can see the log active.
    InterlockedExchange(&log->log_active, 1);
    receive_tap_attach(&port->taps, TAP_RECEIVE_LOG, log_tap, log);
    DWORD since = GetTickCount();
    while (log_writer_written(writer) < static_cast<LONGLONG>(length) && !log_writer_failed(writer) &&
           GetTickCount() - since < START_WAIT_MS)
        handle_sent_messages(1);
    transfer_store(&log->log_bytes, log_writer_written(writer));
    refresh_log_state(port);
    return true;
}

void start_receive_log(Port* port, HWND owner)
{
    if (!port) return;
    TransferPort* log = transfer_port(port);
    if (log->log_file_name[0] == '\0' || log->log_active) return;
    // The overwrite question lets the port be closed: transfer_create_file takes it
    // again from its window after the answer, and touches nothing when it is gone.
    HANDLE file = transfer_create_file(owner, log->log_file_name, LOG_CAPTION, port_window(port));
    if (!file) return;
    if (!start_on(port, file, include_console_text != 0))
        transfer_tell_unwritten(owner, log->log_file_name, LOG_CAPTION, LOG_STOPPED);
}

bool receive_log_start_quiet(Port* port)
{
    TransferPort* log = transfer_port(port);
    if (log->log_file_name[0] == '\0' || log->log_active) return false;
    HANDLE file = disk_file_open(log->log_file_name, GENERIC_WRITE, CREATE_ALWAYS);
    return file != INVALID_HANDLE_VALUE && start_on(port, file, false);
}

void stop_receive_log(Port* port)
{
    if (!port) return;
    TransferPort* log = transfer_port(port);
    if (log->log_active) {
        LogWriter* writer = log->log_writer;
        InterlockedExchange(&log->log_active, 0);
        // Ended first, so that a tap call waiting for room in its queue returns.
        log_writer_end(writer);
        receive_tap_detach(&port->taps, TAP_RECEIVE_LOG);
        log->log_writer = nullptr;
        // The port is not made quiet here: that would drop what arrives meanwhile
        // from the console, and typed bytes from the queue, for nothing the log needs.
        log_writer_close(writer, LOG_STOP_STUCK_MS, LOG_STOP_WAIT_MS);
    }
    refresh_log_state(port);
}

void receive_log_stopping(Port* port)
{
    if (port && transfer_port(port)->log_active) log_writer_end(transfer_port(port)->log_writer);
}

void receive_log_check(Port* port)
{
    TransferPort* log = transfer_port(port);
    if (!log->log_active || !log_writer_failed(log->log_writer)) return;
    char name[sizeof log->log_file_name];
    std::memcpy(name, log->log_file_name, sizeof name);
    HWND owner = port->frame_window;
    stop_receive_log(port);
    transfer_tell_unwritten(owner, name, LOG_CAPTION, LOG_STOPPED);
}

static bool connected_not_logging(const Port* port)
{
    return connection_takes_input(port->connection_state) && transfer_port(port)->log_active == 0;
}

// OK: the chosen port's window, its log_file_name set, or null.
static HWND accept(HWND dialog)
{
    char name[MAX_PATH - 1] = "";  // at most 258 characters
    GetDlgItemTextA(dialog, IDC_LOG_FILE, name, sizeof name);
    HWND window = transfer_selected_port(GetDlgItem(dialog, IDC_LOG_PORT));
    // The port may have closed while the dialog was open (its window's close box
    // works meanwhile, as does the file dialog's own loop).
    Port* port = port_from_window(window);
    if (!port) return nullptr;
    std::memcpy(transfer_port(port)->log_file_name, name, sizeof name);
    include_console_text = IsDlgButtonChecked(dialog, IDC_LOG_CONSOLE_TEXT) == BST_CHECKED ? 1 : 0;
    log_time_stamps = IsDlgButtonChecked(dialog, IDC_LOG_TIME_STAMPS) == BST_CHECKED ? 1 : 0;
    return window;
}

static INT_PTR CALLBACK receive_log_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    if (message == WM_INITDIALOG) {
        HWND ports = GetDlgItem(dialog, IDC_LOG_PORT);
        if (transfer_fill_ports(ports, connected_not_logging) == 0) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        SendMessageA(ports, CB_SETCURSEL, 0, 0);
        SetDlgItemTextA(dialog, IDC_LOG_FILE, "");
        CheckDlgButton(dialog, IDC_LOG_CONSOLE_TEXT, include_console_text ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_LOG_TIME_STAMPS, log_time_stamps ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wparam)) {
    case IDC_LOG_BROWSE:
        transfer_browse_save(dialog, IDC_LOG_FILE, "受信ﾃﾞｰﾀを保存するﾌｧｲﾙの参照");
        return TRUE;
    case IDOK:
        EndDialog(dialog, reinterpret_cast<INT_PTR>(accept(dialog)));
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void start_receive_log_command(HWND frame)
{
    INT_PTR result =
        DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_RECEIVE_LOG), frame, receive_log_dialog_proc, 0);
    if (result == 0 || result == -1) return;
    if (Port* port = port_from_window(reinterpret_cast<HWND>(result))) start_receive_log(port, frame);
}
