// Status-bar texts and toolbar button states; see status_bar_win.h. The bars belong
// to the UI thread; other threads reach them only through sent messages.
#include "app/status_bar_win.h"

#include <windows.h>
#include <commctrl.h>

#include "app/frame_win.h"
#include "resources/commands.h"

void set_status_text(int part, const char* text)
{
    HWND bar = app.status_bar;
    if (!bar) return;
    SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text ? text : ""));
}

void clear_status_texts()
{
    for (int part = STATUS_PORT_NAME; part <= STATUS_COUNTERS; ++part) set_status_text(part, "");
}

static bool has_toolbar_button(int command)
{
    return (command >= CMD_CONNECT_SERIAL && command <= CMD_DISCONNECT) ||
           (command >= CMD_COPY && command <= CMD_KEY_DISABLE) || (command >= CMD_FILE_SEND && command <= CMD_LOG_STOP) ||
           command == CMD_ABOUT;
}

void toolbar_enable_button(int command, bool enable)
{
    HWND toolbar = app.toolbar;
    if (!toolbar || !has_toolbar_button(command)) return;
    SendMessageA(toolbar, TB_ENABLEBUTTON, static_cast<WPARAM>(command), MAKELPARAM(enable ? TRUE : FALSE, 0));
}
