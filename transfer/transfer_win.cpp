// The file transfer's shared pieces; see transfer_win.h. UI thread, except the
// 64-bit counts.
#include "transfer/transfer_win.h"

#include <commdlg.h>

#include <cstdio>
#include <cstdlib>

#include "terminal/disk_file_win.h"
#include "terminal/page_controls_win.h"
#include "transfer/file_send_win.h"
#include "transfer/receive_log_win.h"
#include "transfer/sequence_run_win.h"

// A port that closes: its sequence stops first (it may start a file send or a log),
// its file send takes no further piece, and its log nothing more.
static void stopping_transfers(Port* port)
{
    sequence_stopping(port);
    file_send_stopping(port);
    receive_log_stopping(port);
}

// A close has aborted the send queue (which also ends a paste) between the file
// send's stopping and this: the file send ends first, then the log.
// A sequence's sendfile may have started a file send between the two halves: it is
// stopped once the sequence has ended.
static void stop_transfers(Port* port)
{
    sequence_stopped(port);
    if (transfer_port(port)->send_state != SEND_IDLE && transfer_port(port)->send_state != SEND_STOPPING) {
        file_send_stopping(port);
        abort_send(port);
    }
    file_send_stopped(port);
    stop_receive_log(port);
}

static bool sending(const Port* port)
{
    return transfer_port(port)->send_state != SEND_IDLE;
}

// The key of the transfer's record among a port's records.
static const char record_key = 0;

TransferPort* transfer_port(Port* port)
{
    void* found = port_record_find(&port->records, &record_key);
    if (found) return static_cast<TransferPort*>(found);
    auto* made = static_cast<TransferPort*>(std::calloc(1, sizeof(TransferPort)));
    if (made && port_record_set(&port->records, &record_key, made, std::free)) return made;
    // Out of memory, or every place taken (a program error): a record that no
    // port keeps, which the next call will not find either.
    std::free(made);
    static TransferPort spare;
    spare = TransferPort{};
    return &spare;
}

const TransferPort* transfer_port(const Port* port)
{
    static const TransferPort idle{};
    const void* found = port_record_find(&port->records, &record_key);
    return found ? static_cast<const TransferPort*>(found) : &idle;
}


static void refresh_transfers(Port* port)
{
    file_send_refresh(port);
    refresh_log_state(port);
    sequence_refresh(port);
}

void transfer_notify(Port* port)
{
    if (InterlockedExchange(&transfer_port(port)->transfer_notice_pending, 1) != 0) return;
    // A queue too full to take it must not leave the flag set for ever.
    if (!PostMessageA(port->frame_window, MSG_TRANSFER_NOTICE, reinterpret_cast<WPARAM>(port), 0))
        InterlockedExchange(&transfer_port(port)->transfer_notice_pending, 0);
}

void transfer_notice(Port* port)
{
    // The port may have been closed since the notice was posted; one opened since at
    // the same address just shows its own state.
    if (!port_is_open(port)) return;
    // Cleared before the state is read: a change from now on posts a new notice.
    InterlockedExchange(&transfer_port(port)->transfer_notice_pending, 0);
    receive_log_check(port);
    refresh_transfers(port);
}

void transfer_attach()
{
    port_transfer_hooks.stopping = stopping_transfers;
    port_transfer_hooks.stop = stop_transfers;
    port_transfer_hooks.refresh = refresh_transfers;
    port_transfer_hooks.sending = sending;
}

void transfer_detach()
{
    port_transfer_hooks = PortTransferHooks{};
}

// The list being filled while for_each_port runs.
static HWND filling;
static bool (*filling_eligible)(const Port* port);

static void add_port_line(Port* port)
{
    if (filling_eligible(port))
        combo_add(filling, port->long_name ? port->long_name(port) : "",
                  reinterpret_cast<LPARAM>(port_window(port)));
}

int transfer_fill_ports(HWND combo, bool (*eligible)(const Port* port))
{
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    filling = combo;
    filling_eligible = eligible;
    for_each_port(add_port_line);
    filling = nullptr;
    LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

HWND transfer_selected_port(HWND combo)
{
    LRESULT line = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    LRESULT data = line == CB_ERR ? 0 : SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<HWND>(data);
}

LONGLONG transfer_load(volatile LONGLONG* value)
{
    return InterlockedCompareExchange64(value, 0, 0);
}

void transfer_store(volatile LONGLONG* value, LONGLONG to)
{
    InterlockedExchange64(value, to);
}

void transfer_wait_zero(volatile LONG* value)
{
    while (*value != 0) handle_sent_messages(10);
}

void transfer_tell_unopened(HWND owner, const char* name, const char* caption)
{
    char text[MAX_PATH + 32];
    std::snprintf(text, sizeof text, "\"%s\"が開けません", name);
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONQUESTION);
}

void transfer_tell_unwritten(HWND owner, const char* name, const char* caption, const char* meaning)
{
    char text[MAX_PATH + 128];
    std::snprintf(text, sizeof text, "\"%s\"に書き込めません%s", name, meaning ? meaning : "");
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

HANDLE transfer_create_file(HWND owner, const char* name, const char* caption, HWND port_window)
{
    // A device's name would have the question ask about a file that does not exist,
    // and then every byte go out of the device (see disk_file.h).
    HANDLE file = disk_file_open(name, GENERIC_WRITE, CREATE_NEW);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (GetLastError() != DISK_FILE_NOT_DISK) {
        char question[MAX_PATH + 64];
        std::snprintf(question, sizeof question, "\"%s\"は既に存在します。上書きしますか？", name);
        if (MessageBoxA(owner, question, caption, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES) return nullptr;
        // The port may have been closed while the question was open.
        if (port_window && !port_from_window(port_window)) return nullptr;
        file = disk_file_open(name, GENERIC_WRITE, CREATE_ALWAYS);
        if (file != INVALID_HANDLE_VALUE) return file;
    }
    transfer_tell_unopened(owner, name, caption);
    return nullptr;
}

bool transfer_choose_file(HWND owner, char* name, const char* title, const char* filter, bool save)
{
    OPENFILENAMEA ofn = {};
    // The structure without the Windows 2000 additions, which every system takes.
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH - 1;
    ofn.lpstrTitle = title;
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | (save ? 0 : OFN_FILEMUSTEXIST);
    return (save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn)) && name[0] != '\0';
}

void transfer_browse_save(HWND dialog, int edit_id, const char* title)
{
    char name[MAX_PATH] = "";
    GetDlgItemTextA(dialog, edit_id, name, sizeof name);
    if (transfer_choose_file(dialog, name, title, "すべてのﾌｧｲﾙ(*.*)\0*.*\0", true)) SetDlgItemTextA(dialog, edit_id, name);
}
