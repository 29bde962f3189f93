// The command table, its dispatcher and the About box; see commands_win.h. Every
// command is one row here: what it does, whether it needs an active terminal window,
// when it is enabled and checked, its accelerator and its toolbar button. The menu,
// the toolbar and the accelerators all read this table. UI thread only, except the
// facts, which any thread that refreshes the commands gathers.
#include "app/commands_win.h"

#include <windows.h>
#include <commctrl.h>

#include "app/bars_win.h"
#include "app/comm_settings_win.h"
#include "app/find_window_win.h"
#include "app/help_win.h"
#include "app/last_session_win.h"
#include "app/send_bytes_window_win.h"
#include "base/app_record_win.h"
#include "base/command_state_win.h"
#include "console/console_clipboard_win.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "terminal/disconnect_dialog_win.h"
#include "terminal/display_settings.h"
#include "terminal/display_settings_win.h"
#include "terminal/port_kind_registry_win.h"
#include "terminal/port_lines.h"
#include "terminal/port_win.h"
#include "terminal/reading_win.h"
#include "terminal/terminal_sheet_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_win.h"
#include "transfer/receive_log_win.h"
#include "transfer/save_shown_win.h"
#include "transfer/sequence_run_win.h"
#include "transfer/transfer_port_win.h"

// The About box (dialog 21).
static INT_PTR CALLBACK about_proc(HWND dialog, UINT message, WPARAM, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG: {
        char text[32];
        wsprintfA(text, "Version %2X.%02X", TAVEX_VERSION_MAJOR, TAVEX_VERSION_MINOR);
        SetDlgItemTextA(dialog, IDC_ABOUT_VERSION, text);
        return TRUE;
    }
    case WM_COMMAND:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

void show_about(HWND frame)
{
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ABOUT), frame, about_proc, 0);
}

// Command 206: "key disable" flips for every port at once and is saved.
static void toggle_key_disable(HWND, Port*, int)
{
    display_settings.key_disable = display_settings.key_disable ? 0 : 1;
    command_state_refresh();
    save_display_settings();
    refresh_key_disable();
}

static void connect(HWND frame, Port*, int kind) { port_kinds_connect(kind, frame); }
static void disconnect(HWND frame, Port*, int) { disconnect_command(frame); }
static void comm_settings(HWND frame, Port*, int) { comm_settings_sheet(frame); }
static void terminal_settings(HWND frame, Port*, int) { terminal_settings_sheet(frame); }
static void exit_program(HWND frame, Port*, int) { SendMessageA(frame, WM_CLOSE, 0, 0); }
static void copy(HWND, Port* port, int) { console_copy(&port->console); command_state_refresh(); }
static void paste(HWND, Port* port, int) { paste_clipboard(port); }
static void select_all(HWND, Port* port, int) { console_select_all(&port->console); command_state_refresh(); }
static void select_all_copy(HWND, Port* port, int) { console_select_all_and_copy(&port->console); }
static void clear_all(HWND, Port* port, int)
{
    if (console_clear_all(&port->console)) command_state_refresh();
}
static void toolbar(HWND frame, Port*, int) { toggle_toolbar(frame); }
static void status_bar(HWND frame, Port*, int) { toggle_status_bar(frame); }
static void file_send(HWND frame, Port*, int) { file_send_command(frame); }
static void send_pause(HWND, Port* port, int) { file_send_pause(port); }
static void send_resume(HWND, Port* port, int) { file_send_resume(port); }
static void send_abort(HWND, Port* port, int) { file_send_abort(port); }
static void log_start(HWND frame, Port*, int) { start_receive_log_command(frame); }
static void log_stop(HWND, Port* port, int) { stop_receive_log(port); }
static void tile_vertical(HWND, Port*, int) { SendMessageA(app.mdi_client, WM_MDITILE, MDITILE_VERTICAL, 0); }
static void tile_horizontal(HWND, Port*, int) { SendMessageA(app.mdi_client, WM_MDITILE, MDITILE_HORIZONTAL, 0); }
static void cascade(HWND, Port*, int) { SendMessageA(app.mdi_client, WM_MDICASCADE, 0, 0); }
static void close_all(HWND, Port*, int) { close_all_ports(); }
static void help_contents(HWND frame, Port*, int) { help_show_contents(frame); }
static void about(HWND frame, Port*, int) { show_about(frame); }
static void function_key(HWND, Port*, int key) { send_function_key(key); }
static void find_open(HWND frame, Port*, int) { find_window_open(frame); }
static void find_step(HWND frame, Port*, int backward) { find_window_step(frame, backward != 0); }
static void time_stamps(HWND, Port* port, int) { toggle_time_stamps(port); }
static void counters_reset(HWND, Port* port, int) { reset_counters(port); }
static void save_shown(HWND frame, Port* port, int) { save_shown_command(frame, port); }
static void sequence_run(HWND frame, Port*, int) { sequence_command(frame); }
static void sequence_stop_command(HWND, Port* port, int) { sequence_stop(port); }
static void line_command(HWND, Port* port, int command)
{
    port_line_command(port, command);
    command_state_refresh();  // the check mark
}
static void reopen_ports(HWND, Port*, int) { last_session_toggle(); }
static void send_bytes(HWND frame, Port*, int) { send_bytes_window_open(frame); }
static void send_to_all(HWND, Port*, int) { send_to_all_toggle(); }

// {id, count, handler, needs a port, enable, check, argument, accelerator key and
//  flags, toolbar slot (group and order), image, tooltip}
static const CommandRow COMMAND_TABLE[] = {
    {MENU_EDIT, 1, nullptr, false, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {MENU_TOOLS, 1, nullptr, false, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {MENU_WINDOW, 1, nullptr, false, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_CONNECT_SERIAL, 1, connect, false, RULE_KIND_OFFERED, RULE_NONE, PORT_SERIAL, 0, 0, 11, 0, "接続(ｼﾘｱﾙ･ﾎﾟｰﾄ)"},
    {CMD_CONNECT_PARALLEL, 1, connect, false, RULE_KIND_OFFERED, RULE_NONE, PORT_PARALLEL, 0, 0, 12, 1,
     "接続(ﾊﾟﾗﾚﾙ･ﾎﾟｰﾄ)"},
    {CMD_CONNECT_NETWORK, 1, connect, false, RULE_KIND_OFFERED, RULE_NONE, PORT_NETWORK, 0, 0, 13, 2, "接続(ﾈｯﾄﾜｰｸ)"},
    {CMD_CONNECT_USB, 1, connect, false, RULE_KIND_OFFERED, RULE_NONE, PORT_USB, 0, 0, 14, 3, "接続(USBﾎﾟｰﾄ)"},
    {CMD_DISCONNECT, 1, disconnect, true, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 15, 4, "切断"},
    {CMD_COMM_SETTINGS, 1, comm_settings, false, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_TERMINAL_SETTINGS, 1, terminal_settings, false, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_EXIT, 1, exit_program, false, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_COPY, 1, copy, true, RULE_SELECTION, RULE_NONE, 0, 0, 0, 21, 5, "ｺﾋﾟｰ"},
    // The character Ctrl+V, so that Ctrl+Shift+V pastes too.
    {CMD_PASTE, 1, paste, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0x16, 0, 22, 6, "貼り付け"},
    {CMD_SELECT_ALL, 1, select_all, true, RULE_TEXT, RULE_NONE, 0, 0, 0, 32, 8, "すべてを選択"},
    {CMD_SELECT_ALL_COPY, 1, select_all_copy, true, RULE_TEXT, RULE_NONE, 0, 0, 0, 31, 7, "すべてをｺﾋﾟｰ"},
    {CMD_CLEAR_ALL, 1, clear_all, true, RULE_TEXT, RULE_NONE, 0, 0, 0, 33, 9, "すべてを消去"},
    {CMD_KEY_DISABLE, 1, toggle_key_disable, true, RULE_PORT_OPEN, RULE_KEYS_DISABLED, 0, 0, 0, 41, 10,
     "ｷｰ入力禁止"},
    {CMD_TOOLBAR, 1, toolbar, false, RULE_ALWAYS, RULE_TOOLBAR_SHOWN, 0, 0, 0, 0, 0, nullptr},
    {CMD_STATUS_BAR, 1, status_bar, false, RULE_ALWAYS, RULE_STATUS_BAR_SHOWN, 0, 0, 0, 0, 0, nullptr},
    {CMD_FILE_SEND, 1, file_send, true, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 51, 11, "ﾌｧｲﾙ送信"},
    {CMD_FILE_SEND_PAUSE, 1, send_pause, true, RULE_SENDING, RULE_NONE, 0, 0, 0, 54, 14, "ﾌｧｲﾙ送信の一時停止"},
    {CMD_FILE_SEND_RESUME, 1, send_resume, true, RULE_PAUSED, RULE_NONE, 0, 0, 0, 52, 12, "ﾌｧｲﾙ送信の再開"},
    {CMD_FILE_SEND_ABORT, 1, send_abort, true, RULE_SEND_UNDER_WAY, RULE_NONE, 0, 0, 0, 53, 13, "ﾌｧｲﾙ送信の中止"},
    {CMD_LOG_START, 1, log_start, true, RULE_PORT_OPEN, RULE_NONE, 0, 0, 0, 61, 15, "受信ﾃﾞｰﾀの保存"},
    {CMD_LOG_STOP, 1, log_stop, true, RULE_LOGGING, RULE_NONE, 0, 0, 0, 62, 16, "受信ﾃﾞｰﾀ保存の中止"},
    {CMD_TILE_VERTICAL, 1, tile_vertical, true, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_TILE_HORIZONTAL, 1, tile_horizontal, true, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_CASCADE, 1, cascade, true, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_CLOSE_ALL, 1, close_all, true, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_HELP_CONTENTS, 1, help_contents, false, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_ABOUT, 1, about, false, RULE_ALWAYS, RULE_NONE, 0, 0, 0, 71, 17, "ﾊﾞｰｼﾞｮﾝ表示"},
    // F1 to F12: one action, the key's number its argument.
    {CMD_FUNCTION_KEY_1, 12, function_key, true, RULE_ALWAYS, RULE_NONE, 0, VK_F1, FVIRTKEY, 0, 0, nullptr},
    // Ctrl+F the character; F3 and Shift+F3 belong to the find window alone. Next
    // and previous are a bank: the argument says backward.
    {CMD_FIND, 1, find_open, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0x06, 0, 0, 0, nullptr},
    {CMD_FIND_NEXT, 2, find_step, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_TIME_STAMPS, 1, time_stamps, true, RULE_ACTIVE_PORT, RULE_TIME_STAMPS, 0, 0, 0, 0, 0, nullptr},
    {CMD_RESET_COUNTERS, 1, counters_reset, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_SAVE_SHOWN, 1, save_shown, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_SEQUENCE_RUN, 1, sequence_run, true, RULE_SEQUENCE_IDLE, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_SEQUENCE_STOP, 1, sequence_stop_command, true, RULE_SEQUENCE_RUNNING, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_DTR, 1, line_command, true, RULE_LINE_FREE, RULE_LINE_ON, PORT_LINE_TOGGLE_DTR, 0, 0, 0, 0, nullptr},
    {CMD_RTS, 1, line_command, true, RULE_LINE_FREE, RULE_LINE_ON, PORT_LINE_TOGGLE_RTS, 0, 0, 0, 0, nullptr},
    {CMD_SEND_BREAK, 1, line_command, true, RULE_LINE_FREE, RULE_NONE, PORT_LINE_SEND_BREAK, 0, 0, 0, 0, nullptr},
    {CMD_REOPEN_PORTS, 1, reopen_ports, false, RULE_ALWAYS, RULE_REOPEN_PORTS, 0, 0, 0, 0, 0, nullptr},
    // Shift+F1 to Shift+F12: the same action on the keys of the second bank.
    {CMD_SHIFT_FUNCTION_KEY_1, 12, function_key, true, RULE_ALWAYS, RULE_NONE, FUNCTION_KEY_BANK, VK_F1,
     FVIRTKEY | FSHIFT, 0, 0, nullptr},
    {CMD_SEND_BYTES, 1, send_bytes, true, RULE_ACTIVE_PORT, RULE_NONE, 0, 0, 0, 0, 0, nullptr},
    {CMD_SEND_TO_ALL, 1, send_to_all, false, RULE_PORT_OPEN, RULE_SEND_TO_ALL, 0, 0, 0, 0, 0, nullptr},
};

static bool shown(HWND bar)
{
    return bar && (GetWindowLongPtrA(bar, GWL_STYLE) & WS_VISIBLE);
}

// What the rules read. The active port's console and transfer state are read
// without its lock: each is one aligned value, and a change that races this read
// refreshes the commands again.
static void gather_facts(CommandFacts* facts)
{
    facts->port_open = open_port_count > 0;
    if (Port* port = find_active_port()) {
        facts->active_port = true;
        facts->selection = port->console.selection.selection_state == 3;  // finished
        facts->text = console_text_length(&port->console) != 0;
        const TransferPort* transfer = transfer_port(static_cast<const Port*>(port));
        facts->sending = transfer->send_state == SEND_SENDING;
        facts->paused = transfer->send_state == SEND_PAUSED;
        facts->logging = transfer->log_active == 1;
        facts->time_stamps = port->console.view.time_stamps != 0;
        facts->sequence_running = sequence_running(port);
        const unsigned lines = port_lines(port);
        for (int line = 0; line < 3; ++line) facts->line_free[line] = port_line_command_free(lines, line);
        for (int line = 0; line < 2; ++line) facts->line_on[line] = port_line_on(lines, line);
    }
    facts->keys_disabled = display_settings.key_disable != 0;
    facts->toolbar_shown = shown(app.toolbar);
    facts->status_bar_shown = shown(app.status_bar);
    for (int kind = 0; kind < COMMAND_KIND_LIMIT; ++kind) facts->kind_offered[kind] = port_kind_offered(kind);
    facts->reopen_ports = last_session_reopen_on();
    facts->send_to_all = send_to_all_on();
}

void commands_install()
{
    command_state_install(COMMAND_TABLE, sizeof COMMAND_TABLE / sizeof COMMAND_TABLE[0], gather_facts);
}

LRESULT dispatch_command(HWND frame, WPARAM wparam)
{
    int id = LOWORD(wparam);
    const CommandRow* row = command_row_of(id);
    Port* port = row && row->run ? find_active_port() : nullptr;
    if (row && row->run && (port || !row->needs_port)) {
        row->run(frame, port, row->argument + (id - row->id));
        return 0;
    }
    // The window list items from CMD_FIRST_WINDOW, and whatever has no work here.
    return DefFrameProcA(frame, app.mdi_client, WM_COMMAND, static_cast<WPARAM>(id), 0);
}
