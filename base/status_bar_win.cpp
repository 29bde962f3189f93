// Status-bar texts; see status_bar_win.h. The bars belong
// to the UI thread; other threads reach them only through sent messages.
#include "base/status_bar_win.h"

#include <windows.h>
#include <commctrl.h>

#include "base/app_record_win.h"
#include "resources/commands.h"

void set_status_text(int part, const char* text)
{
    HWND bar = app.status_bar;
    if (!bar) return;
    SendMessageA(bar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text ? text : ""));
}

void clear_status_texts()
{
    for (int part = STATUS_PORT_NAME; part <= STATUS_SEQUENCE; ++part) set_status_text(part, "");
}

