// Receive log; see receive_log_win.h.
//
// The hook and the stop are serialised without a lock on the receive path: the hook
// counts itself in log_writers before it looks at log_active, and the stop clears
// log_active before it waits for log_writers to reach 0 (both with full barriers), so
// either the hook sees the log stopped or the stop sees the hook and waits for it
// before closing the file. The hook only posts notices, so the stop's wait is short;
// it still handles sent messages, as every wait of the UI thread for another does.
#include "transfer/receive_log_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "app/commands_win.h"
#include "app/frame_win.h"
#include "app/status_bar_win.h"
#include "console/console_stamped.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "resources/transfer_ids.h"
#include "terminal/port_win.h"
#include "transfer/transfer_text.h"
#include "transfer/transfer_win.h"

int include_console_text = 1;
int log_time_stamps = 0;

static const char LOG_CAPTION[] = "受信ﾃﾞｰﾀをﾌｧｲﾙに保存";
static const char LOG_STOPPED[] = "。受信ﾃﾞｰﾀの保存を中止しました";

// Status-bar part 3: the bytes and time while logging, else empty.
static void show_log_status(Port* port)
{
    if (!port->console.has_focus) return;
    char text[TRANSFER_TEXT_SIZE] = "";
    if (port->log_active == 1)
        receive_log_status_text(text, transfer_load(&port->log_bytes), GetTickCount() - port->log_start_tick);
    set_status_text(STATUS_RECEIVE_LOG, text);
}

void refresh_log_state(Port* port)
{
    if (!port || !port->console.has_focus) return;
    show_log_status(port);
    enable_command(CMD_LOG_STOP, port->log_active == 1);
}

// Writes to the log file through a buffer of its own, so that a chunk of many short
// lines takes a few writes, not two for every line.
struct LogWriter {
    HANDLE file;
    bool ok;
    DWORD written;
    std::size_t held;
    unsigned char buffer[4096];
};

static bool log_flush(LogWriter* w)
{
    DWORD n = 0;
    if (w->held > 0 && w->ok) {
        w->ok = WriteFile(w->file, w->buffer, static_cast<DWORD>(w->held), &n, nullptr) && n == w->held;
        w->written += n;
    }
    w->held = 0;
    return w->ok;
}

static bool log_write(void* context, const unsigned char* bytes, std::size_t length)
{
    LogWriter* w = static_cast<LogWriter*>(context);
    while (length > 0 && w->ok) {
        if (w->held == sizeof w->buffer) log_flush(w);
        std::size_t n = sizeof w->buffer - w->held;
        if (n > length) n = length;
        std::memcpy(w->buffer + w->held, bytes, n);
        w->held += n;
        bytes += n;
        length -= n;
    }
    return w->ok;
}

// The chunk with each line's arrival time before it, into the log file.
static BOOL write_stamped(Port* port, const unsigned char* data, std::int32_t length, DWORD* written)
{
    LogWriter w;
    w.file = port->log_file;
    w.ok = true;
    w.written = 0;
    w.held = 0;
    stamped_lines_feed(&port->log_lines, data, static_cast<std::size_t>(length), console_clock_now(), log_write, &w);
    log_flush(&w);
    *written = w.written;
    return w.ok ? TRUE : FALSE;
}

std::int32_t log_receive_hook(Port* port, const unsigned char* data, std::int32_t length)
{
    if (length <= 0 || port->log_active != 1) return 1;
    InterlockedIncrement(&port->log_writers);
    if (port->log_active == 1 && !port->log_failed) {
        DWORD written = 0;
        BOOL ok = port->log_stamped ? write_stamped(port, data, length, &written)
                                    : WriteFile(port->log_file, data, static_cast<DWORD>(length), &written, nullptr);
        // With time stamps the file takes more than the chunk: all of it was written.
        if (port->log_stamped && ok) length = static_cast<std::int32_t>(written);
        // Only this thread adds to the count; the UI thread reads it.
        if (written > 0) transfer_store(&port->log_bytes, transfer_load(&port->log_bytes) + written);
        // A full disk or a drive gone: nothing more is written, so the file never has
        // a hole, and the UI thread ends the log and says so.
        if (!ok || written != static_cast<DWORD>(length)) InterlockedExchange(&port->log_failed, 1);
        transfer_notify(port);
    }
    InterlockedDecrement(&port->log_writers);
    return 1;
}

// The console's text at the start of the file, under the console's lock so that no
// append or discard moves it meanwhile. False when it was not written whole.
static bool write_console_text(Port* port, HANDLE file, LONGLONG* bytes)
{
    *bytes = 0;
    Console* console = &port->console;
    console_lock(console);
    std::uint32_t length = console_text_length(console);
    const unsigned char* text = console_text_at(console, 0);
    if (port->log_stamped) {
        LogWriter w;
        w.file = file;
        w.ok = true;
        w.written = 0;
        w.held = 0;
        console_write_stamped(console, 0, length, log_write, &w);
        const bool whole = log_flush(&w);
        // Received bytes go on where the text ends: inside its last line, say.
        stamped_lines_after(&port->log_lines, text, text ? length : 0);
        console_unlock(console);
        *bytes = w.written;
        return whole;
    }
    DWORD written = 0;
    BOOL ok = !text || length == 0 || WriteFile(file, text, length, &written, nullptr);
    console_unlock(console);
    *bytes = written;
    return ok && written == (text ? length : 0);
}

void start_receive_log(Port* port, HWND owner)
{
    if (!port || port->log_file_name[0] == '\0' || port->log_active) return;
    HANDLE file = transfer_create_file(owner, port->log_file_name, LOG_CAPTION);
    if (!file) return;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    LONGLONG bytes = 0;
    port->log_stamped = log_time_stamps;
    stamped_lines_after(&port->log_lines, nullptr, 0);
    if (include_console_text && !write_console_text(port, file, &bytes)) {
        CloseHandle(file);
        transfer_tell_unwritten(owner, port->log_file_name, LOG_CAPTION, LOG_STOPPED);
        return;
    }
    port->log_file = file;
    transfer_store(&port->log_bytes, bytes);
    InterlockedExchange(&port->log_failed, 0);
    port->log_start_tick = GetTickCount();
    // Everything the hook reads is in place before it can see the log active.
    InterlockedExchange(&port->log_active, 1);
    port->receive_hook = log_receive_hook;
    refresh_log_state(port);
}

void stop_receive_log(Port* port)
{
    if (!port) return;
    if (port->log_active) {
        InterlockedExchange(&port->log_active, 0);
        port->receive_hook = nullptr;
        transfer_wait_zero(&port->log_writers);
        CloseHandle(port->log_file);
        port->log_file = nullptr;
        // The port is not made quiet here: that would drop what arrives meanwhile
        // from the console, and typed bytes from the queue, for nothing the log needs.
    }
    refresh_log_state(port);
}

void receive_log_check(Port* port)
{
    if (!port->log_active || !port->log_failed) return;
    char name[sizeof port->log_file_name];
    std::memcpy(name, port->log_file_name, sizeof name);
    HWND owner = port->frame_window;
    stop_receive_log(port);
    transfer_tell_unwritten(owner, name, LOG_CAPTION, LOG_STOPPED);
}

static bool connected_not_logging(const Port* port)
{
    return connection_takes_input(port->connection_state) && port->log_active == 0;
}

// OK: the chosen port with the name, or null.
static Port* accept(HWND dialog)
{
    char name[MAX_PATH - 1] = "";  // at most 258 characters
    GetDlgItemTextA(dialog, IDC_LOG_FILE, name, sizeof name);
    Port* port = transfer_selected_port(GetDlgItem(dialog, IDC_LOG_PORT));
    // The port may have closed while the dialog was open.
    if (!port || !port_is_open(port)) return nullptr;
    std::memcpy(port->log_file_name, name, sizeof name);
    include_console_text = IsDlgButtonChecked(dialog, IDC_LOG_CONSOLE_TEXT) == BST_CHECKED ? 1 : 0;
    log_time_stamps = IsDlgButtonChecked(dialog, IDC_LOG_TIME_STAMPS) == BST_CHECKED ? 1 : 0;
    return port;
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
    if (result != 0 && result != -1) start_receive_log(reinterpret_cast<Port*>(result), frame);
}
