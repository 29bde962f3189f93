// The frame window: class, creation, MDI client, window procedure, message loop and
// the orderly end. UI thread only. app holds the handles; the frame owns the MDI
// client (destroyed with it) and the accelerator table (freed after the loop).
#include "app/frame_win.h"

#include "app/bars_win.h"
#include "app/command_line_win.h"
#include "app/commands_win.h"
#include "app/find_window_win.h"
#include "app/help_win.h"
#include "app/last_session_win.h"
#include "app/send_bytes_window_win.h"
#include "base/command_state_win.h"
#include "terminal/port_kind_registry_win.h"
#include "resources/commands.h"
#include "resources/resource.h"
#include "terminal/port_win.h"
#include "transfer/file_send_win.h"
#include "transfer/transfer_win.h"
#include "transfer/sequence_run_win.h"


const char FRAME_CLASS_NAME[] = "TAVEX FRAME";
const char FRAME_CAPTION[] = "Velkaro";

bool frame_register_class(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = frame_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_FRAME));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // No background brush: the MDI client and the bars cover the whole client area.
    wc.hbrBackground = nullptr;
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = FRAME_CLASS_NAME;
    return RegisterClassA(&wc) != 0;
}

void frame_unregister_class(HINSTANCE instance)
{
    UnregisterClassA(FRAME_CLASS_NAME, instance);
}

HWND frame_create(HINSTANCE instance)
{
    HWND frame = CreateWindowExA(WS_EX_ACCEPTFILES, FRAME_CLASS_NAME, FRAME_CAPTION,
                                 WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                 instance, nullptr);
    app.frame_window = frame;
    if (frame) commands_install();
    return frame;
}

HWND frame_create_mdi_client(HWND frame)
{
    HMENU menu = GetMenu(frame);
    CLIENTCREATESTRUCT ccs = {};
    ccs.hWindowMenu = menu ? GetSubMenu(menu, MENU_WINDOW) : nullptr;
    ccs.idFirstChild = CMD_FIRST_WINDOW;
    HWND client = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                  frame, nullptr, reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(frame, GWLP_HINSTANCE)),
                                  &ccs);
    app.mdi_client = client;
    return client;
}

bool frame_raise_other_instance(const char* hand_over)
{
    HWND other = FindWindowA(FRAME_CLASS_NAME, nullptr);
    if (!other) return false;
    // SW_SHOW would leave a minimized frame minimized; the user started the program
    // to see it, so a minimized one is restored.
    if (IsIconic(other)) {
        ShowWindow(other, SW_RESTORE);
    } else {
        BringWindowToTop(other);
    }
    if (hand_over) command_line_hand_over(other, hand_over);
    return true;
}

// The bars place themselves along their edges; the MDI client takes the rest.
static void frame_layout(HWND frame, int width, int height)
{
    resize_bars(width, height);
    layout_mdi_client(frame, width, height);
}

// The orderly end (WM_CLOSE): the last session is written (when kept), every open
// port is closed (its file send and receive
// log first), the kinds release what they started for the run and the file
// transfer its settings, then the frame's destruction ends the message loop through
// WM_DESTROY.
static void frame_close(HWND frame)
{
    last_session_save();
    close_all_ports();
    port_kinds_release();
    file_send_release();
    help_close_windows(frame);
    DestroyWindow(frame);
}

static void apply_port_settings(Port* port)
{
    if (port->apply_settings) port->apply_settings(port);
}

LRESULT CALLBACK frame_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    switch (message) {
    case WM_SIZE:
        frame_layout(window, LOWORD(lparam), HIWORD(lparam));
        return 0;
    case WM_COMMAND:
        return dispatch_command(window, wparam);
    case WM_NOTIFY:
        toolbar_tooltip_text(reinterpret_cast<NMHDR*>(lparam));
        return 0;
    case WM_HELP:
        help_on_request(window, reinterpret_cast<const HELPINFO*>(lparam));
        return TRUE;
    case WM_CLOSE:
        frame_close(window);
        return 0;
    case MSG_CLOSE_PORT:
        // lParam, when given, is the port's window: the request is for that port only.
        if (!lparam || port_from_window(reinterpret_cast<HWND>(lparam)) == reinterpret_cast<Port*>(wparam))
            close_port(reinterpret_cast<Port*>(wparam));
        return 0;
    case MSG_PORT_SETTINGS_CHANGED:
        for_each_port(apply_port_settings);
        return 0;
    case MSG_COMMAND_STATE_REFRESH:
        command_state_refresh();
        return 0;
    case WM_COPYDATA:
        return command_line_take_handed_over(window, reinterpret_cast<const COPYDATASTRUCT*>(lparam)) ? TRUE : FALSE;
    case MSG_OPEN_HANDED_OVER:
        command_line_open_handed_over();
        return 0;
    case MSG_TRANSFER_NOTICE:
        transfer_notice(reinterpret_cast<Port*>(wparam));
        return 0;
    case MSG_SEQUENCE_CALL:
        return sequence_call(wparam, lparam);
    case WM_DESTROY:
        if (app.frame_window == window) {
            app.frame_window = nullptr;
            app.mdi_client = nullptr;
            app.toolbar = nullptr;
            app.status_bar = nullptr;
        }
        help_uninitialize();
        PostQuitMessage(0);
        return 0;
    }
    HWND client = (app.frame_window == window) ? app.mdi_client : nullptr;
    return DefFrameProcA(window, client, message, wparam, lparam);
}

int frame_message_loop()
{
    HACCEL accelerators = command_accelerators_create();
    MSG msg = {};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0) {
        // -1 means the call itself was invalid; there is no WM_QUIT code to return.
        if (got == -1) {
            msg.wParam = 0;
            break;
        }
        // The find window's own keys come before the frame's (F3 is a function key
        // everywhere else).
        if (find_window_pretranslate(&msg)) continue;
        if (send_bytes_window_pretranslate(&msg)) continue;
        if (app.mdi_client && TranslateMDISysAccel(app.mdi_client, &msg)) continue;
        if (accelerators && app.frame_window &&
            TranslateAcceleratorA(app.frame_window, accelerators, &msg))
            continue;
        if (help_pretranslate(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (accelerators) DestroyAcceleratorTable(accelerators);
    return static_cast<int>(msg.wParam);
}
