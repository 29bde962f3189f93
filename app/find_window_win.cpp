// The find window; see find_window_win.h.
//
// F3 and Shift+F3 are the find window's own keys: in a terminal window the F-keys stay
// function keys, so the frame's accelerators never carry them to a find. The message
// loop gives the find window its keys first (find_window_pretranslate). A find runs
// on the UI thread under the console's lock, which keeps appends out while it
// searches; one find over a full buffer is a matter of milliseconds.
//
// How a find went shows on the window's own note line and in status-bar part 2 (the
// file send's part, which a running file send writes over): a note, never a message
// box that would take the keys from the one typing.
#include "app/find_window_win.h"

#include <cstdlib>

#include "base/app_record_win.h"
#include "base/command_state_win.h"
#include "base/status_bar_win.h"
#include "console/console_find.h"
#include "console/console_view_win.h"
#include "console/console_win.h"
#include "resources/commands.h"
#include "resources/console_ids.h"
#include "terminal/find_pattern.h"
#include "terminal/port_win.h"

static HWND find_dialog;  // null until first opened

static void show_note(const char* note)
{
    if (find_dialog) SetDlgItemTextA(find_dialog, IDC_FIND_NOTE, note);
    set_status_text(STATUS_FILE_SEND, note);
}

static const char* pattern_note(int result)
{
    switch (result) {
    case FIND_PATTERN_EMPTY: return "検索する文字列を入力してください";
    case FIND_PATTERN_TOO_LONG: return "検索する文字列が長すぎます (1024ﾊﾞｲﾄまで)";
    case FIND_PATTERN_LONE_LEAD: return "文字列の最後が2ﾊﾞｲﾄ文字の途中です";
    case FIND_PATTERN_ODD_DIGITS: return "16進数の桁数が奇数です";
    default: return "16進数として読めない文字があります";
    }
}

// The field's text, whatever its length (owned by the caller; null when memory is
// short).
static char* field_text(int* length)
{
    HWND edit = GetDlgItem(find_dialog, IDC_FIND_TEXT);
    int n = edit ? GetWindowTextLengthA(edit) : 0;
    char* text = static_cast<char*>(std::malloc(static_cast<std::size_t>(n) + 1));
    if (!text) return nullptr;
    *length = n > 0 ? GetWindowTextA(edit, text, n + 1) : 0;
    text[*length] = '\0';
    return text;
}

static void run_find(bool backward)
{
    Port* port = find_active_port();
    if (!find_dialog || !port) return;
    int length = 0;
    char* text = field_text(&length);
    if (!text) return;
    const bool hex = IsDlgButtonChecked(find_dialog, IDC_FIND_HEX) == BST_CHECKED;
    const bool match_case = IsDlgButtonChecked(find_dialog, IDC_FIND_MATCH_CASE) == BST_CHECKED;
    // About 5 KB: kept off the stack of a dialog procedure.
    BytePattern* pattern = static_cast<BytePattern*>(std::malloc(sizeof(BytePattern)));
    int compiled = pattern ? find_pattern_compile(pattern, text, static_cast<std::size_t>(length), hex, match_case)
                           : FIND_PATTERN_EMPTY;
    std::free(text);
    if (compiled != FIND_PATTERN_OK) {
        std::free(pattern);
        if (pattern) show_note(pattern_note(compiled));
        return;
    }
    Console* console = &port->console;
    console_lock(console);
    const ConsoleFindMatch match = console_find(console, pattern, backward);
    console_unlock(console);
    std::free(pattern);
    console_setup_scroll_bar(console, true);
    console_setup_scroll_bar(console, false);
    if (console->window) InvalidateRect(static_cast<HWND>(console->window), nullptr, FALSE);
    command_state_refresh();  // a match is the selection Ctrl+C copies
    if (match.result == FIND_NOT_FOUND)
        show_note("見つかりません");
    else if (match.result == FIND_WRAPPED)
        show_note(backward ? "末尾から検索しました" : "先頭から検索しました");
    else
        show_note("");
}

static INT_PTR CALLBACK find_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:  // Enter in the field
        case IDC_FIND_NEXT:
            run_find(false);
            return TRUE;
        case IDC_FIND_PREVIOUS:
            run_find(true);
            return TRUE;
        case IDCANCEL:
            ShowWindow(dialog, SW_HIDE);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        if (find_dialog == dialog) find_dialog = nullptr;
        return FALSE;
    }
    return FALSE;
}

void find_window_open(HWND frame)
{
    if (!find_dialog) {
        find_dialog = CreateDialogParamA(app.instance, MAKEINTRESOURCEA(IDD_FIND), frame, find_proc, 0);
        if (!find_dialog) return;
        RECT area;
        // Top right of the frame's client area, where it hides the least of a console.
        if (GetClientRect(frame, &area)) {
            RECT own;
            GetWindowRect(find_dialog, &own);
            POINT corner = {area.right - (own.right - own.left) - 24, 48};
            ClientToScreen(frame, &corner);
            SetWindowPos(find_dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
    }
    ShowWindow(find_dialog, SW_SHOW);
    SetActiveWindow(find_dialog);
    HWND edit = GetDlgItem(find_dialog, IDC_FIND_TEXT);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
}

void find_window_step(HWND frame, bool backward)
{
    HWND edit = find_dialog ? GetDlgItem(find_dialog, IDC_FIND_TEXT) : nullptr;
    if (!edit || GetWindowTextLengthA(edit) == 0) {
        find_window_open(frame);
        return;
    }
    run_find(backward);
}

bool find_window_pretranslate(MSG* msg)
{
    if (!find_dialog || !IsWindowVisible(find_dialog)) return false;
    if (msg->hwnd != find_dialog && !IsChild(find_dialog, msg->hwnd)) return false;
    if (msg->message == WM_KEYDOWN) {
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        if (msg->wParam == VK_F3) {
            run_find(shift);
            return true;
        }
        if (msg->wParam == 'F' && GetKeyState(VK_CONTROL) < 0) {
            find_window_open(GetParent(find_dialog));
            return true;
        }
    }
    return IsDialogMessageA(find_dialog, msg) != FALSE;
}
