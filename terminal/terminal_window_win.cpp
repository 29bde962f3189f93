// The terminal window; see terminal_window_win.h. The port owns its console and
// paste text; the MDI client owns the window. The window's user data is its Port,
// cleared before the window is destroyed.
//
// A paste is one direct send of the whole text, continued from its completion hook
// until all is written. When it cannot start or go on because another write is in
// flight, a 10 ms timer on the window tries again, for at most five seconds; then
// the paste is given up and its text freed, so input is never blocked for good.
//
// Everything a window sends (typing, a line, a paste, a function key, the send-bytes
// window's repeats) goes through window_send, the one place that knows "send to
// all": with it on, the same bytes go to every open, connected port, each through
// its own queue, paste or paced send and its own pacing; a port that refuses them
// now is skipped. The active port has been checked by the caller, which beeps.
#include "terminal/terminal_window_win.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "base/command_state_win.h"
#include "base/status_bar_win.h"
#include "console/console_clipboard_win.h"
#include "console/console_view_win.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "resources/resource.h"
#include "terminal/auto_reopen_win.h"
#include "terminal/display_settings.h"
#include "terminal/key_input.h"
#include "terminal/paced_send_win.h"
#include "terminal/pacing_win.h"
#include "terminal/port_win.h"
#include "terminal/reading_win.h"

const char CHILD_CLASS_NAME[] = "TAVEX CHILD";

constexpr UINT MSG_PASTE_RETRY = WM_APP + 2;  // posted by the paste hook
constexpr UINT_PTR PASTE_TIMER = 1;
constexpr UINT_PTR COUNTER_TIMER = 2;  // once a second: the receive rate
constexpr DWORD PASTE_RETRY_MS = 10;
constexpr DWORD PASTE_GIVE_UP_MS = 5000;
static const char PASTE_SINCE[] = "paste since";  // window property: when the retries began
static const char MARKED[] = "send all mark";     // window property: the caption carries the mark
// What the caption of a port that "send to all" includes ends with.
static const char SEND_ALL_MARK[] = " [全]";

static bool send_to_all;  // command 821; off at every start, never stored

static LRESULT CALLBACK terminal_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept;

bool terminal_window_register(HINSTANCE instance)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = terminal_window_proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TERMINAL));
    wc.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
    wc.hbrBackground = nullptr;
    wc.lpszClassName = CHILD_CLASS_NAME;
    return RegisterClassA(&wc) != 0;
}

void terminal_window_unregister(HINSTANCE instance)
{
    UnregisterClassA(CHILD_CLASS_NAME, instance);
}

static Port* port_of(HWND window)
{
    return reinterpret_cast<Port*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

static HWND mdi_client_of(HWND frame)
{
    // The frame's MDI client is its child of that class.
    return FindWindowExA(frame, nullptr, "MDIClient", nullptr);
}

bool create_terminal_window(Port* port, HWND frame)
{
    if (!port) return false;
    port->frame_window = frame;
    ConsoleSettings settings;
    display_console_settings(&display_settings, &settings);
    if (!console_create(&port->console, &settings)) return false;
    HWND client = frame ? mdi_client_of(frame) : nullptr;
    if (!client) return false;
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(frame, GWLP_HINSTANCE));
    const char* caption = port->long_name ? port->long_name(port) : "";
    HWND window = CreateMDIWindowA(CHILD_CLASS_NAME, caption, WS_MAXIMIZE | WS_VSCROLL | WS_HSCROLL, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, client, instance,
                                   reinterpret_cast<LPARAM>(port));
    if (!window) return false;
    InterlockedIncrement(&open_port_count);
    ShowWindow(window, SW_SHOW);
    return true;
}

void console_show(Port* port, const unsigned char* data, std::int32_t length, int origin)
{
    if (!port || !data || length <= 0) return;
    if (!display_settings.echo_back && origin == SHOW_TYPED) return;
    int scroll = display_settings.auto_scroll || origin == SHOW_TYPED;
    // The append ends a selection and gives an empty console text: only then do the
    // commands' states change, and only then are they decided again (this is the
    // receive path).
    bool changes = console_has_selection(&port->console) || console_text_length(&port->console) == 0;
    console_append(&port->console, data, static_cast<std::uint32_t>(length), scroll);
    if (changes) command_state_refresh();
}

static void end_paste(Port* port)
{
    std::free(port->paste_text);
    port->paste_text = nullptr;
    port->paste_sent = 0;
    port->paste_length = 0;
}

void destroy_terminal_window(Port* port)
{
    if (!port) return;
    HWND window = console_destroy(&port->console);
    if (!window) return;
    KillTimer(window, PASTE_TIMER);
    // The caret is the thread's, not the window's: another terminal window may own
    // it by now (the one activated when this one was closed by its close box).
    if (port->console.has_focus) DestroyCaret();
    // The user data goes first: the messages the window gets while it is destroyed
    // must not reach a port whose console is already released.
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    HWND client = GetParent(window);
    if (client) SendMessageA(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(window), 0);
    InterlockedDecrement(&open_port_count);
}

static KeyGate gate_of(const Port* port)
{
    return KeyGate{display_settings.key_disable, port->connection_state, port->quiet,
                   port_transfer_hooks.sending && port_transfer_hooks.sending(port),
                   port->paste_text != nullptr || paced_send_running(port)};
}

bool window_send_refused(Port* port, bool keys)
{
    KeyGate gate = gate_of(port);
    if (!keys) gate.key_disable = 0;
    return key_input_refused(&gate);
}

// One typed character (one byte, or the two of a double-byte character), or Enter,
// in the current input mode.
static void character_typed(Port* port, const TypedCharacter& typed)
{
    if (!display_settings.input_mode) {
        window_send(port, WindowSend{typed.bytes, typed.count, SEND_TYPED, 1, 0}, nullptr);
        return;
    }
    Console* console = &port->console;
    if (!typed.enter) {
        console_input_insert(console, reinterpret_cast<const char*>(typed.bytes), typed.count, 1);
        return;
    }
    unsigned char line[KEY_LINE_BUFFER];
    int length = key_line_to_send(console_input_text(console), console_input_length(console),
                                  display_settings.line_mode_cr, display_settings.send_crlf, line);
    if (length == 0) return;
    window_send(port, WindowSend{line, length, SEND_TYPED, 1, 0}, nullptr);
    line_history_add(&port->history, console_input_text(console), console_input_length(console));
    console_input_reset(console);
}

// Ctrl+Up / Ctrl+Down in LINE mode: an earlier line into the input line, to be edited
// and sent with Enter. Refused with the keys, as typing is.
static void recall_line(Port* port, int step)
{
    Console* console = &port->console;
    if (display_settings.key_disable) return;
    const char* text = nullptr;
    int length = 0;
    if (line_history_step(&port->history, step, console_input_text(console), console_input_length(console),
                          &text, &length))
        console_input_set(console, text, length);
}

static void key_typed(Port* port, WPARAM code)
{
    if (code == 3 && (GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0) {
        PostMessageA(port->frame_window, WM_COMMAND, CMD_COPY, 0);
        return;
    }
    KeyGate gate = gate_of(port);
    if (key_input_refused(&gate)) {
        port->typed_lead = 0;
        auto_reopen_input_refused(port);
        return;
    }
    TypedCharacter typed[2];
    int count = key_take_character(&port->typed_lead, static_cast<unsigned char>(code), display_settings.send_crlf,
                                   typed);
    for (int i = 0; i < count; ++i) character_typed(port, typed[i]);
}

void send_function_key(int index)
{
    if (index < 0 || index >= FUNCTION_KEY_COUNT || display_settings.key_disable) return;
    Port* port = find_active_port();
    if (!port) return;
    KeyGate gate = gate_of(port);
    if (key_input_refused(&gate)) {
        auto_reopen_input_refused(port);
        return;
    }
    unsigned char bytes[KEY_FUNCTION_BUFFER];
    int length = key_function_bytes(display_settings.function_keys[index], bytes);
    if (length > 0) window_send(port, WindowSend{bytes, length, SEND_FUNCTION_KEY, 1, 0}, nullptr);
}

// The paste's completion hook, on the engine thread.
static void paste_written(Port* port, std::int32_t count)
{
    port->paste_sent += count;
    std::int32_t remaining = port->paste_length - port->paste_sent;
    if (remaining <= 0 || !connection_takes_input(port->connection_state) || port->quiet ||
        port->paste_ending) {
        end_paste(port);
        return;
    }
    if (count == 0) Sleep(10);
    const unsigned char* rest = reinterpret_cast<const unsigned char*>(port->paste_text) + port->paste_sent;
    if (port_send(port, rest, remaining, paste_written) == 0) {
        // Something else holds the queue: the window's thread tries again.
        HWND window = static_cast<HWND>(port->console.window);
        if (window) PostMessageA(window, MSG_PASTE_RETRY, 0, 0);
    }
}

// The paste cannot go on: another write is in flight. Tries again every 10 ms.
static void retry_paste(Port* port, HWND window)
{
    if (!port->paste_text || port->paste_ending) {
        // No write of the paste is in flight while it waits here: its text can go.
        KillTimer(window, PASTE_TIMER);
        end_paste(port);
        return;
    }
    std::int32_t remaining = port->paste_length - port->paste_sent;
    const unsigned char* rest = reinterpret_cast<const unsigned char*>(port->paste_text) + port->paste_sent;
    // Accepted: from now on the hook carries the paste on (and may end it at once).
    if (port_send(port, rest, remaining, paste_written) > 0) {
        KillTimer(window, PASTE_TIMER);
        return;
    }
    DWORD since = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(window, PASTE_SINCE)));
    if (GetTickCount() - since > PASTE_GIVE_UP_MS) {
        KillTimer(window, PASTE_TIMER);
        end_paste(port);
    }
}

static void start_paste_retries(HWND window)
{
    SetPropA(window, PASTE_SINCE, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(GetTickCount())));
    SetTimer(window, PASTE_TIMER, PASTE_RETRY_MS, nullptr);
}

void paste_clipboard(Port* port)
{
    if (!port) return;
    // "key disable" is the console's to test here (console_paste).
    KeyGate gate = gate_of(port);
    gate.key_disable = 0;
    if (key_input_refused(&gate)) {
        auto_reopen_input_refused(port);
        return;
    }
    Console* console = &port->console;
    bool had_text = console_text_length(console) != 0;
    char* text = console_paste(console, display_settings.send_crlf, display_settings.echo_back);
    if (text) {
        if (!had_text && console_text_length(console) != 0) command_state_refresh();
        // The paste is shown in this console already.
        std::int32_t length = static_cast<std::int32_t>(std::strlen(text));
        if (length > 0)
            window_send(port, WindowSend{reinterpret_cast<unsigned char*>(text), length, SEND_PASTED, 1, 0},
                        nullptr);
        std::free(text);
    }
    command_state_refresh();
}

// A paste of its own for the port, from a copy of the text: one direct send,
// continued by its hook or, while another write is in flight, by the window's retries.
static void start_paste(Port* port, const unsigned char* bytes, std::int32_t length)
{
    char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(length) + 1));
    if (!text) return;
    std::memcpy(text, bytes, static_cast<std::size_t>(length));
    text[length] = '\0';
    port->paste_sent = 0;
    port->paste_length = length;
    InterlockedExchange(&port->paste_ending, 0);
    port->paste_text = text;
    if (port_send(port, reinterpret_cast<const unsigned char*>(text), length, paste_written) == 0 &&
        port->console.window)
        start_paste_retries(static_cast<HWND>(port->console.window));
}

// The bytes to one port, shown in its console as typed unless shown there already.
static bool send_to_port(Port* port, const WindowSend& send, bool shown)
{
    const Pacing pacing = port_pacing(port);
    if (send.how == SEND_REPEATED || (send.how != SEND_TYPED && pacing_active(pacing))) {
        // Shown piece by piece as the paced send writes it.
        return paced_send_start(port,
                                PacedSendRequest{send.bytes, send.length, send.repeat, send.interval_ms, pacing, !shown});
    }
    if (send.how == SEND_PASTED) {
        if (!shown) console_show(port, send.bytes, send.length, SHOW_TYPED);
        start_paste(port, send.bytes, send.length);
        return true;
    }
    if (send.how == SEND_TYPED) {
        // Shown whole, as typed, whether or not the queue has room for it.
        console_show(port, send.bytes, send.length, SHOW_TYPED);
        return port_send(port, send.bytes, send.length, nullptr) > 0;
    }
    std::int32_t accepted = port_send(port, send.bytes, send.length, nullptr);
    if (accepted > 0) console_show(port, send.bytes, accepted, SHOW_TYPED);
    return accepted > 0;
}

// Whether "send to all" includes the port now: it is on and the port connected.
static bool included(const Port* port)
{
    return send_to_all && connection_takes_input(port->connection_state);
}

int window_send(Port* port, const WindowSend& send, std::vector<Port*>* taken)
{
    if (!port || !send.bytes || send.length <= 0) return 0;
    std::vector<Port*> targets(1, port);
    if (send_to_all)
        for (Port* other : open_port_list())
            if (other != port && included(other) && !window_send_refused(other, false)) targets.push_back(other);
    int count = 0;
    for (Port* target : targets) {
        if (!send_to_port(target, send, target == port && send.how == SEND_PASTED)) continue;
        ++count;
        if (taken) taken->push_back(target);
    }
    return count;
}

bool send_to_all_on()
{
    return send_to_all;
}

// The caption again from the port's name when it should gain or lose the mark; the
// window procedure adds the mark to whatever caption is set while the port is
// included, a kind's own caption changes among them.
static void refresh_caption(Port* port)
{
    HWND window = static_cast<HWND>(port->console.window);
    if (!window || (GetPropA(window, MARKED) != nullptr) == included(port)) return;
    SetWindowTextA(window, port->long_name ? port->long_name(port) : "");
}

void send_to_all_toggle()
{
    send_to_all = !send_to_all;
    for_each_port(refresh_caption);
    command_state_refresh();
}

static LRESULT set_caption(Port* port, HWND window, const char* text)
{
    if (!text || !included(port)) {
        RemovePropA(window, MARKED);
        return DefMDIChildProcA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    std::string marked = std::string(text) + SEND_ALL_MARK;
    SetPropA(window, MARKED, reinterpret_cast<HANDLE>(1));
    return DefMDIChildProcA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(marked.c_str()));
}

void refresh_display_settings(HWND window)
{
    Port* port = window ? port_of(window) : nullptr;
    if (!port) return;
    ConsoleSettings settings;
    display_console_settings(&display_settings, &settings);
    Console* console = &port->console;
    const std::int32_t char_width = console->view.char_width, line_height = console->view.line_height;
    const std::int32_t line_mode = console->input.line_mode;
    // An engine may be appending meanwhile: the apply takes the console's lock for
    // the moment it replaces the buffer, so every byte lands in the old buffer before
    // it is copied or in the new one after.
    console_apply_settings(console, &settings);
    // A new font or input mode changes the cell or the text area: the page sizes
    // follow now, not at the next paint, so that the scroll to the end of an append
    // in between already uses them. (Setting up the scroll bars costs; it is done a
    // second time only then.)
    console_measure_font(console, window);
    RECT client;
    if ((console->view.char_width != char_width || console->view.line_height != line_height ||
         console->input.line_mode != line_mode) &&
        GetClientRect(window, &client))
        console_resized(console, client.right, client.bottom, display_settings.auto_scroll != 0);
}

static void refresh_port(Port* port)
{
    if (port->console.window) refresh_display_settings(static_cast<HWND>(port->console.window));
}

void refresh_all_display_settings()
{
    for_each_port(refresh_port);
}

static void take_key_disable(Port* port)
{
    port->console.input.keys_disabled = display_settings.key_disable;
}

void refresh_key_disable()
{
    for_each_port(take_key_disable);
}

static void activation_update(Port* port)
{
    if (!port) {
        command_state_refresh();
        clear_status_texts();
        return;
    }
    Console* console = &port->console;
    command_state_refresh();
    set_status_text(STATUS_PORT_NAME, port->short_name ? port->short_name(port) : "");
    set_status_text(STATUS_CONNECTION, port_connection_text(port));
    if (console->window) SetFocus(static_cast<HWND>(console->window));
    // After the focus: only the port whose console has it shows its file-send and log
    // texts, and the console takes it on WM_SETFOCUS, which SetFocus has just sent.
    if (port_transfer_hooks.refresh) port_transfer_hooks.refresh(port);
    show_counters(port);
}

static void popup_menu(Port* port, HWND window, int x, int y)
{
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    Console* console = &port->console;
    if (console_has_selection(console)) AppendMenuA(menu, MF_STRING, CMD_COPY, "ｺﾋﾟｰ(&C)");
    AppendMenuA(menu, MF_STRING, CMD_PASTE, "貼り付け(&P)");
    if (console_text_length(console) != 0) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, CMD_SELECT_ALL, "すべての範囲を選択(&S)");
        AppendMenuA(menu, MF_STRING, CMD_SELECT_ALL_COPY, "すべてを選択してｺﾋﾟｰ(&A)");
        AppendMenuA(menu, MF_STRING, CMD_CLEAR_ALL, "すべての表示を消去(&E)");
    }
    POINT point = {x, y};
    ClientToScreen(window, &point);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, port->frame_window, nullptr);
    DestroyMenu(menu);
}

static void paint(Port* port, HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HideCaret(window);
    RECT client;
    GetClientRect(window, &client);
    console_paint(&port->console, dc, &client);
    ShowCaret(window);
    GdiFlush();
    EndPaint(window, &ps);
}

static LRESULT CALLBACK terminal_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept
{
    Port* port = nullptr;
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        auto* mdi = static_cast<MDICREATESTRUCTA*>(create->lpCreateParams);
        port = mdi ? reinterpret_cast<Port*>(mdi->lParam) : nullptr;
        if (port) {
            console_attach_window(&port->console, window);
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(port));
            SetTimer(window, COUNTER_TIMER, 1000, nullptr);
        }
        return DefMDIChildProcA(window, message, wparam, lparam);
    }
    if (message == WM_MDIACTIVATE) {
        HWND activated = reinterpret_cast<HWND>(lparam);
        activation_update(activated ? port_of(activated) : nullptr);
        return DefMDIChildProcA(window, message, wparam, lparam);
    }
    port = port_of(window);
    if (!port) return DefMDIChildProcA(window, message, wparam, lparam);
    switch (message) {
    case WM_PAINT:
        // Not on to the default procedure: its BeginPaint would validate the window
        // again, and so drop a repaint that an append on the engine thread asked for
        // while this paint ran (the append then waits for that paint, which never
        // comes, and the window stands still until the data stop).
        paint(port, window);
        return 0;
    case WM_CLOSE:
        // The frame closes the port, and close_port destroys the window: the window
        // stays until then (not destroyed by the default processing), so every open
        // port is always among the MDI client's windows and the program needs no list
        // of its own. A second close request finds the port closed and is ignored;
        // the window goes with it, so that a port opened meanwhile at the same
        // address is not taken for this one.
        PostMessageA(port->frame_window, MSG_CLOSE_PORT, reinterpret_cast<WPARAM>(port),
                     reinterpret_cast<LPARAM>(window));
        return 0;
    case WM_CHAR:
        key_typed(port, wparam);
        break;
    case WM_KEYDOWN:
        // Up and Down alone scroll (the console's); with Ctrl in LINE mode they recall.
        if ((wparam == VK_UP || wparam == VK_DOWN) && port->console.input.line_mode &&
            GetKeyState(VK_CONTROL) < 0) {
            recall_line(port, wparam == VK_UP ? -1 : 1);
            return 0;
        }
        console_handle_message(&port->console, window, message, wparam, lparam);
        break;
    case WM_SETTEXT:
        return set_caption(port, window, reinterpret_cast<const char*>(lparam));
    case WM_LBUTTONDOWN:
        console_mouse_down(&port->console, window, static_cast<short>(LOWORD(lparam)),
                           static_cast<short>(HIWORD(lparam)));
        command_state_refresh();
        break;
    case WM_LBUTTONUP:
        console_mouse_up(&port->console, window);
        command_state_refresh();
        break;
    case WM_SIZE:
        console_resized(&port->console, LOWORD(lparam), HIWORD(lparam), display_settings.auto_scroll != 0);
        break;
    case WM_RBUTTONDOWN:
        popup_menu(port, window, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        break;
    case MSG_PASTE_RETRY:
        start_paste_retries(window);
        return 0;
    case MSG_AUTO_REOPEN:
        auto_reopen_start(port);
        return 0;
    case WM_TIMER:
        if (wparam == PASTE_TIMER) {
            retry_paste(port, window);
            return 0;
        }
        if (wparam == COUNTER_TIMER) {
            counters_tick(port);
            // A port that connects or is lost while "send to all" is on.
            refresh_caption(port);
            return 0;
        }
        if (wparam == AUTO_REOPEN_TIMER) {
            auto_reopen_try(port);
            return 0;
        }
        if (console_handle_message(&port->console, window, message, wparam, lparam)) return 0;
        break;
    case WM_DESTROY:
        KillTimer(window, COUNTER_TIMER);
        RemovePropA(window, PASTE_SINCE);
        RemovePropA(window, MARKED);
        break;
    default:
        console_handle_message(&port->console, window, message, wparam, lparam);
        break;
    }
    return DefMDIChildProcA(window, message, wparam, lparam);
}
