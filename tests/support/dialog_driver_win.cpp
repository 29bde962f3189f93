// See dialog_driver_win.h. One dialog is driven at a time; the timer gives up after
// ten seconds so that a dialog that never appears does not leave it running.
#include "tests/support/dialog_driver_win.h"

static std::string wanted_caption;
static HWND wanted_owner;  // when set, the owner is matched instead of the caption
static void (*wanted_routine)(HWND);
static bool driven;
static DWORD started;

static BOOL CALLBACK match_window(HWND window, LPARAM found) noexcept
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    bool wanted = wanted_owner ? GetWindow(window, GW_OWNER) == wanted_owner : window_text(window) == wanted_caption;
    if (std::string(name) == "#32770" && wanted && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

static void CALLBACK on_timer(HWND, UINT, UINT_PTR timer, DWORD) noexcept
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), match_window, reinterpret_cast<LPARAM>(&found));
    if (!found) {
        if (GetTickCount() - started > 10000) KillTimer(nullptr, timer);
        return;
    }
    KillTimer(nullptr, timer);
    driven = true;
    wanted_routine(found);
}

void drive_dialog(const char* caption, void (*routine)(HWND dialog))
{
    wanted_owner = nullptr;
    wanted_caption = caption;
    wanted_routine = routine;
    driven = false;
    started = GetTickCount();
    SetTimer(nullptr, 0, 50, on_timer);
}

void drive_owned_dialog(HWND owner, void (*routine)(HWND dialog))
{
    drive_dialog("", routine);
    wanted_owner = owner;
}

bool dialog_was_driven()
{
    return driven;
}

std::string window_text(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string message_box_text(HWND box)
{
    // The message box's text is its static control 0xFFFF.
    return window_text(GetDlgItem(box, 0xFFFF));
}

std::string dismiss_message_box(HWND box)
{
    std::string text = message_box_text(box);
    PostMessageA(box, WM_COMMAND, GetDlgItem(box, IDNO) ? IDNO : IDOK, 0);
    return text;
}
