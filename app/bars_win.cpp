// Toolbar and status bar; see bars_win.h. The bars belong to the frame; app holds
// their handles (none while a bar could not be made). The toolbar's buttons are the
// command table's rows that have one. Whether a bar is shown is held by the check
// mark of its menu item, which the table's rule sets from the bar; every decision
// reads that.
#include "app/bars_win.h"

#include <commctrl.h>

#include "base/command_state_win.h"
#include "app/frame_win.h"
#include "base/settings.h"
#include "resources/commands.h"
#include "resources/resource.h"


// The fifth part, the counters, up to 900; a sequence's run takes the rest of the bar.
static const int STATUS_EDGES[6] = {50, 120, 400, 680, 900, -1};
static const UINT COMMAND_TOOLBAR = CMD_TOOLBAR;
static const UINT COMMAND_STATUS_BAR = CMD_STATUS_BAR;

static bool checked(HWND frame, UINT item)
{
    HMENU menu = GetMenu(frame);
    return menu && (GetMenuState(menu, item, MF_BYCOMMAND) & MF_CHECKED);
}

// The check mark of the bar's menu item follows from the command table's rule.
static void show_bar(HWND bar, bool shown)
{
    ShowWindow(bar, shown ? SW_SHOW : SW_HIDE);
    command_state_refresh();
}

static int bar_height(HWND frame, HWND bar, UINT item)
{
    if (!bar || !checked(frame, item)) return 0;
    RECT r;
    GetWindowRect(bar, &r);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
    return r.bottom - r.top;
}

static void toggle(HWND frame, HWND bar, UINT item, const char* key)
{
    if (!bar) return;
    bool shown = !checked(frame, item);
    show_bar(bar, shown);
    RECT client;
    GetClientRect(frame, &client);
    layout_mdi_client(frame, client.right, client.bottom);
    settings_write_int("system", key, shown ? 1 : 0);
}

const char* toolbar_tooltip_of(int command)
{
    const CommandRow* row = command_row_of(command);
    return row && row->toolbar_slot ? row->tooltip : nullptr;
}

// The buttons of the command table's rows in slot order, a separator before each
// group; returns how many were put into buttons.
static int toolbar_buttons(TBBUTTON* buttons, int capacity)
{
    int count = 0, row_count = 0, last_slot = 0;
    const CommandRow* rows = command_rows(&row_count);
    for (;;) {
        const CommandRow* next = nullptr;
        for (int i = 0; i < row_count; ++i)
            if (rows[i].toolbar_slot > last_slot && (!next || rows[i].toolbar_slot < next->toolbar_slot))
                next = &rows[i];
        if (!next || count + 2 > capacity) return count;
        if (next->toolbar_slot / 10 != last_slot / 10) {
            buttons[count].fsState = TBSTATE_ENABLED;
            buttons[count++].fsStyle = TBSTYLE_SEP;
        }
        buttons[count].iBitmap = next->toolbar_image;
        buttons[count].idCommand = next->id;
        buttons[count].fsState = TBSTATE_ENABLED;
        buttons[count++].fsStyle = TBSTYLE_BUTTON;
        last_slot = next->toolbar_slot;
    }
}

int create_toolbar(HWND frame)
{
    bool shown = settings_read_int("system", "tool bar", 1) != 0;
    TBBUTTON buttons[64] = {};
    int count = toolbar_buttons(buttons, 64);
    int images = 0;
    for (int i = 0; i < count; ++i)
        if (buttons[i].fsStyle == TBSTYLE_BUTTON && buttons[i].iBitmap + 1 > images) images = buttons[i].iBitmap + 1;
    HWND toolbar = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, images,
                                   app.instance, IDB_TOOLBAR, buttons, count, 0, 0, 16, 16, sizeof(TBBUTTON));
    if (!toolbar) return 0;
    app.toolbar = toolbar;
    // The buttons take their states from the rules, as the menu items do.
    command_state_forget();
    show_bar(toolbar, shown);
    return 1;
}

int create_status_bar(HWND frame)
{
    bool shown = settings_read_int("system", "status bar", 1) != 0;
    HWND bar = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
                               nullptr, app.instance, nullptr);
    if (!bar) return 0;
    app.status_bar = bar;
    SendMessageA(bar, SB_SETPARTS, 6, reinterpret_cast<LPARAM>(STATUS_EDGES));
    show_bar(bar, shown);
    return 1;
}

void toggle_toolbar(HWND frame)
{
    toggle(frame, app.toolbar, COMMAND_TOOLBAR, "tool bar");
}

void toggle_status_bar(HWND frame)
{
    toggle(frame, app.status_bar, COMMAND_STATUS_BAR, "status bar");
}

void resize_bars(int width, int height)
{
    // Both controls then place themselves along their edge with their own height.
    if (app.toolbar) MoveWindow(app.toolbar, 0, 0, width, height, TRUE);
    if (app.status_bar) MoveWindow(app.status_bar, 0, 0, width, height, TRUE);
}

void layout_mdi_client(HWND frame, int width, int height)
{
    if (!app.mdi_client) return;
    int toolbar = bar_height(frame, app.toolbar, COMMAND_TOOLBAR);
    int status = bar_height(frame, app.status_bar, COMMAND_STATUS_BAR);
    int top = toolbar ? toolbar - 1 : 0;  // over the toolbar's last row of pixels
    MoveWindow(app.mdi_client, 0, top, width, height - status - top, TRUE);
}

void toolbar_tooltip_text(NMHDR* notification)
{
    if (!notification || notification->code != TTN_NEEDTEXTA) return;
    auto* info = reinterpret_cast<NMTTDISPINFOA*>(notification);
    if (const char* text = toolbar_tooltip_of(static_cast<int>(notification->idFrom)))
        info->lpszText = const_cast<char*>(text);
}
