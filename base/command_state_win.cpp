// Menu and toolbar enabling; see command_state_win.h. The menu belongs to the frame;
// the calls here only change item states, which user32 allows from any thread.
#include "base/command_state_win.h"

#include <windows.h>
#include <commctrl.h>

#include "base/app_record_win.h"
#include "base/status_bar_win.h"
#include "resources/commands.h"

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
