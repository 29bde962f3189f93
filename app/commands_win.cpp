// Menu and toolbar enabling, the command dispatcher and the About box; see
// commands_win.h. The menu belongs to the frame; the
// calls here only change item states, which user32 allows from any thread.
#include "app/commands_win.h"

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

#include "app/bars_win.h"
#include "app/comm_settings_win.h"
#include "app/find_window_win.h"
#include "app/frame_win.h"
#include "app/help_win.h"
#include "app/settings.h"
#include "app/status_bar_win.h"
#include "console/console_clipboard_win.h"
#include "console/console_win.h"
#include "ports/port_kinds_win.h"
#include "resources/commands.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "terminal/disconnect_dialog_win.h"
#include "terminal/display_settings.h"
#include "terminal/display_settings_win.h"
#include "terminal/port_win.h"
#include "terminal/reading_win.h"
#include "terminal/terminal_sheet_win.h"
#include "terminal/terminal_window_win.h"
#include "transfer/file_send_win.h"
#include "transfer/receive_log_win.h"
#include "transfer/save_shown_win.h"


void enable_command(int id, bool enable)
{
    HWND frame = app.frame_window;
    HMENU menu = frame ? GetMenu(frame) : nullptr;
    if (!menu) return;
    UINT state = enable ? MF_ENABLED : MF_GRAYED;
    if (id >= MENU_FILE && id <= MENU_HELP) {
        // A maximized terminal window puts its system menu first in the menu bar,
        // and every pop-up moves one place right.
        BOOL maximized = FALSE;
        if (app.mdi_client) SendMessageA(app.mdi_client, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized));
        UINT position = static_cast<UINT>(id) + (maximized ? 1 : 0);
        EnableMenuItem(menu, position, MF_BYPOSITION | state);
        DrawMenuBar(frame);
        return;
    }
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | state);
    toolbar_enable_button(id, enable);
}

void sync_key_disable_button()
{
    HWND frame = app.frame_window;
    if (!app.toolbar || !frame) return;
    HMENU menu = GetMenu(frame);
    bool checked = menu && (GetMenuState(menu, CMD_KEY_DISABLE, MF_BYCOMMAND) & MF_CHECKED);
    SendMessageA(app.toolbar, TB_CHECKBUTTON, CMD_KEY_DISABLE, MAKELPARAM(checked ? TRUE : FALSE, 0));
}

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
static void toggle_key_disable(HWND frame)
{
    HMENU menu = GetMenu(frame);
    bool now = menu && (GetMenuState(menu, CMD_KEY_DISABLE, MF_BYCOMMAND) & MF_CHECKED);
    bool disabled = !now;
    if (menu) CheckMenuItem(menu, CMD_KEY_DISABLE, MF_BYCOMMAND | (disabled ? MF_CHECKED : MF_UNCHECKED));
    display_settings.key_disable = disabled ? 1 : 0;
    sync_key_disable_button();
    save_display_settings();
    refresh_key_disable();
}

// The commands that need an active terminal window; false when not one of them.
static bool port_command(HWND frame, Port* port, int id)
{
    Console* console = &port->console;
    switch (id) {
    case CMD_DISCONNECT:
        disconnect_command(frame);
        return true;
    case CMD_COPY:
        console_copy(console);
        enable_command(CMD_COPY, false);
        return true;
    case CMD_PASTE:
        paste_clipboard(port);
        return true;
    case CMD_SELECT_ALL:
        console_select_all(console);
        if (console_has_selection(console)) enable_command(CMD_COPY, true);
        return true;
    case CMD_SELECT_ALL_COPY:
        console_select_all_and_copy(console);
        return true;
    case CMD_CLEAR_ALL:
        if (console_clear_all(console))
            for (int command : {CMD_COPY, CMD_SELECT_ALL, CMD_SELECT_ALL_COPY, CMD_CLEAR_ALL})
                enable_command(command, false);
        return true;
    case CMD_KEY_DISABLE:
        toggle_key_disable(frame);
        return true;
    case CMD_FILE_SEND:
        file_send_command(frame);
        return true;
    case CMD_FILE_SEND_PAUSE:
        file_send_pause(port);
        return true;
    case CMD_FILE_SEND_RESUME:
        file_send_resume(port);
        return true;
    case CMD_FILE_SEND_ABORT:
        file_send_abort(port);
        return true;
    case CMD_LOG_START:
        start_receive_log_command(frame);
        return true;
    case CMD_LOG_STOP:
        stop_receive_log(port);
        return true;
    case CMD_TILE_VERTICAL:
        SendMessageA(app.mdi_client, WM_MDITILE, MDITILE_VERTICAL, 0);
        return true;
    case CMD_TILE_HORIZONTAL:
        SendMessageA(app.mdi_client, WM_MDITILE, MDITILE_HORIZONTAL, 0);
        return true;
    case CMD_CASCADE:
        SendMessageA(app.mdi_client, WM_MDICASCADE, 0, 0);
        return true;
    case CMD_CLOSE_ALL:
        close_all_ports();
        return true;
    case CMD_TIME_STAMPS:
        toggle_time_stamps(port);
        return true;
    case CMD_RESET_COUNTERS:
        reset_counters(port);
        return true;
    case CMD_SAVE_SHOWN:
        save_shown_command(frame, port);
        return true;
    case CMD_FIND:
        find_window_open(frame);
        return true;
    case CMD_FIND_NEXT:
    case CMD_FIND_PREVIOUS:
        find_window_step(frame, id == CMD_FIND_PREVIOUS);
        return true;
    }
    if (id >= CMD_FUNCTION_KEY_1 && id <= CMD_FUNCTION_KEY_12) {
        send_function_key(id - CMD_FUNCTION_KEY_1);
        return true;
    }
    return false;
}

// The commands that work without a terminal window; false when not one of them.
static bool frame_command(HWND frame, int id)
{
    if (id >= CMD_CONNECT_SERIAL && id <= CMD_CONNECT_USB) {
        port_kinds_connect(PORT_SERIAL + (id - CMD_CONNECT_SERIAL), frame);
        return true;
    }
    switch (id) {
    case CMD_COMM_SETTINGS:
        comm_settings_sheet(frame);
        return true;
    case CMD_TERMINAL_SETTINGS:
        terminal_settings_sheet(frame);
        return true;
    case CMD_EXIT:
        SendMessageA(frame, WM_CLOSE, 0, 0);
        return true;
    case CMD_TOOLBAR:
        toggle_toolbar(frame);
        return true;
    case CMD_STATUS_BAR:
        toggle_status_bar(frame);
        return true;
    case CMD_HELP_CONTENTS:
        help_show_contents(frame);
        return true;
    case CMD_ABOUT:
        show_about(frame);
        return true;
    }
    return false;
}

LRESULT dispatch_command(HWND frame, WPARAM wparam)
{
    int id = LOWORD(wparam);
    Port* port = find_active_port();
    if (port && port_command(frame, port, id)) return 0;
    if (frame_command(frame, id)) return 0;
    // The window list items from CMD_FIRST_WINDOW, and whatever has no work here.
    return DefFrameProcA(frame, app.mdi_client, WM_COMMAND, static_cast<WPARAM>(id), 0);
}
