// Toolbar and status bar; see bars_win.h. The bars belong to the frame; app holds
// their handles (none while a bar could not be made). Whether a bar is shown is
// held by the check mark of its menu item; every decision reads that.
#include "app/bars_win.h"

#include <commctrl.h>

#include <initializer_list>

#include "app/commands_win.h"
#include "app/frame_win.h"
#include "app/settings.h"
#include "resources/commands.h"
#include "resources/resource.h"


struct ToolbarEntry {
    int image;    // -1: separator
    int command;
    const char* tooltip;
};

static const ToolbarEntry toolbar_entries[25] = {
    {-1, 0, nullptr},
    {0, CMD_CONNECT_SERIAL, "接続(ｼﾘｱﾙ･ﾎﾟｰﾄ)"},
    {1, CMD_CONNECT_PARALLEL, "接続(ﾊﾟﾗﾚﾙ･ﾎﾟｰﾄ)"},
    {2, CMD_CONNECT_NETWORK, "接続(ﾈｯﾄﾜｰｸ)"},
    {3, CMD_CONNECT_USB, "接続(USBﾎﾟｰﾄ)"},
    {4, CMD_DISCONNECT, "切断"},
    {-1, 0, nullptr},
    {5, CMD_COPY, "ｺﾋﾟｰ"},
    {6, CMD_PASTE, "貼り付け"},
    {-1, 0, nullptr},
    {7, CMD_SELECT_ALL_COPY, "すべてをｺﾋﾟｰ"},
    {8, CMD_SELECT_ALL, "すべてを選択"},
    {9, CMD_CLEAR_ALL, "すべてを消去"},
    {-1, 0, nullptr},
    {10, CMD_KEY_DISABLE, "ｷｰ入力禁止"},
    {-1, 0, nullptr},
    {11, CMD_FILE_SEND, "ﾌｧｲﾙ送信"},
    {12, CMD_FILE_SEND_RESUME, "ﾌｧｲﾙ送信の再開"},
    {13, CMD_FILE_SEND_ABORT, "ﾌｧｲﾙ送信の中止"},
    {14, CMD_FILE_SEND_PAUSE, "ﾌｧｲﾙ送信の一時停止"},
    {-1, 0, nullptr},
    {15, CMD_LOG_START, "受信ﾃﾞｰﾀの保存"},
    {16, CMD_LOG_STOP, "受信ﾃﾞｰﾀ保存の中止"},
    {-1, 0, nullptr},
    {17, CMD_ABOUT, "ﾊﾞｰｼﾞｮﾝ表示"},
};

// The fifth part, the counters, takes the rest of the bar.
static const int STATUS_EDGES[5] = {50, 120, 400, 680, -1};
static const UINT COMMAND_TOOLBAR = CMD_TOOLBAR;
static const UINT COMMAND_STATUS_BAR = CMD_STATUS_BAR;

static bool checked(HWND frame, UINT item)
{
    HMENU menu = GetMenu(frame);
    return menu && (GetMenuState(menu, item, MF_BYCOMMAND) & MF_CHECKED);
}

static void show_bar(HWND frame, HWND bar, UINT item, bool shown)
{
    if (HMENU menu = GetMenu(frame)) CheckMenuItem(menu, item, MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
    ShowWindow(bar, shown ? SW_SHOW : SW_HIDE);
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
    show_bar(frame, bar, item, shown);
    RECT client;
    GetClientRect(frame, &client);
    layout_mdi_client(frame, client.right, client.bottom);
    settings_write_int("system", key, shown ? 1 : 0);
}

const char* toolbar_tooltip_of(int command)
{
    for (const ToolbarEntry& entry : toolbar_entries)
        if (entry.image >= 0 && entry.command == command) return entry.tooltip;
    return nullptr;
}

int create_toolbar(HWND frame)
{
    bool shown = settings_read_int("system", "tool bar", 1) != 0;
    TBBUTTON buttons[25] = {};
    for (int i = 0; i < 25; ++i) {
        const ToolbarEntry& entry = toolbar_entries[i];
        buttons[i].iBitmap = entry.image < 0 ? 0 : entry.image;
        buttons[i].idCommand = entry.command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = entry.image < 0 ? TBSTYLE_SEP : TBSTYLE_BUTTON;
    }
    HWND toolbar = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, 25,
                                   app.instance, IDB_TOOLBAR, buttons, 25, 0, 0, 16, 16, sizeof(TBBUTTON));
    if (!toolbar) return 0;
    app.toolbar = toolbar;
    for (int id : {CMD_DISCONNECT, CMD_COPY, CMD_PASTE, CMD_SELECT_ALL, CMD_SELECT_ALL_COPY, CMD_CLEAR_ALL,
                   CMD_KEY_DISABLE, CMD_FILE_SEND, CMD_FILE_SEND_PAUSE, CMD_FILE_SEND_RESUME, CMD_FILE_SEND_ABORT,
                   CMD_LOG_START, CMD_LOG_STOP})
        enable_command(id, false);
    show_bar(frame, toolbar, COMMAND_TOOLBAR, shown);
    return 1;
}

int create_status_bar(HWND frame)
{
    bool shown = settings_read_int("system", "status bar", 1) != 0;
    HWND bar = CreateWindowExA(WS_EX_TOPMOST, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame,
                               nullptr, app.instance, nullptr);
    if (!bar) return 0;
    app.status_bar = bar;
    SendMessageA(bar, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(STATUS_EDGES));
    show_bar(frame, bar, COMMAND_STATUS_BAR, shown);
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
