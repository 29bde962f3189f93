// Selection by mouse and the clipboard; see console_clipboard_win.h. The selection
// model itself is portable (console_selection.cpp); this adds the capture, the
// scrolling while dragging and the clipboard calls.
#include "console/console_clipboard_win.h"

#include <cstdlib>
#include <cstring>

#include "console/console_selection.h"
#include "console/console_view_win.h"
#include "console/console_win.h"

static void repaint(Console* console)
{
    if (console->window) InvalidateRect(static_cast<HWND>(console->window), nullptr, FALSE);
}

void console_mouse_down(Console* console, HWND window, int x, int y)
{
    if (!console) return;
    SetCapture(window);
    console_lock(console);
    bool changed = console_selection_press(console, x, y);
    console_unlock(console);
    if (changed) repaint(console);
}

void console_mouse_move(Console* console, int x, int y)
{
    if (!console) return;
    const std::int32_t state = console->selection.selection_state;
    if (state != 1 && state != 2) return;
    console_lock(console);
    bool changed = console_selection_move(console, x, y);
    console_unlock(console);
    HWND window = static_cast<HWND>(console->window);
    RECT client;
    if (window && GetClientRect(window, &client)) {
        // Once per move message: holding the pointer still outside does not scroll on.
        if (x < client.left) console_set_hscroll(console, console->view.hscroll_pos - 1, true);
        if (x > client.right) console_set_hscroll(console, console->view.hscroll_pos + 1, true);
        if (y < client.top) console_set_vscroll(console, console->view.vscroll_pos - 1, true);
        if (y > client.bottom) console_set_vscroll(console, console->view.vscroll_pos + 1, true);
    }
    if (changed) repaint(console);
}

void console_mouse_up(Console* console, HWND)
{
    ReleaseCapture();
    if (!console) return;
    console_lock(console);
    console_selection_release(console);
    console_unlock(console);
    repaint(console);
}

int console_select_all(Console* console)
{
    if (!console) return 0;
    console_lock(console);
    console_selection_select_all(console);
    console_unlock(console);
    repaint(console);
    return 1;
}

int console_copy(Console* console)
{
    if (!console) return 0;
    console_lock(console);
    std::uint32_t n = console_selection_copy_length(console);
    if (n == 0) {
        console_unlock(console);
        return 0;
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, n + 1);
    char* bytes = block ? static_cast<char*>(GlobalLock(block)) : nullptr;
    if (bytes) {
        console_selection_copy_text(console, bytes);
        GlobalUnlock(block);
    }
    console_clear_selection(console);
    console_unlock(console);
    bool placed = false;
    if (bytes && OpenClipboard(static_cast<HWND>(console->window))) {
        EmptyClipboard();
        placed = SetClipboardData(CF_TEXT, block) != nullptr;
        CloseClipboard();
    }
    // The clipboard owns the block once it is placed.
    if (block && !placed) GlobalFree(block);
    repaint(console);
    return 1;
}

void console_select_all_and_copy(Console* console)
{
    console_select_all(console);
    console_copy(console);
}

char* console_paste(Console* console, int line_end_mode, int echo)
{
    if (!console || console->input.keys_disabled) return nullptr;
    if (!OpenClipboard(static_cast<HWND>(console->window))) return nullptr;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) {
        CloseClipboard();
        return nullptr;
    }
    char* converted = nullptr;
    std::uint32_t length = 0;
    if (const char* text = static_cast<const char*>(GlobalLock(data))) {
        // The block may lack its NUL: never read past its size.
        SIZE_T size = GlobalSize(data);
        size_t n = strnlen(text, size);
        if (n > 0) {
            char* copy = static_cast<char*>(std::malloc(n + 1));
            converted = static_cast<char*>(std::malloc(2 * n + 1));
            if (copy && converted) {
                std::memcpy(copy, text, n);
                copy[n] = '\0';
                length = console_paste_convert(copy, line_end_mode, converted);
            } else {
                std::free(converted);
                converted = nullptr;
            }
            std::free(copy);
        }
        GlobalUnlock(data);
    }
    if (converted && console->input.line_mode) {
        if (console_input_insert(console, converted, static_cast<int>(length), 1) > 0) repaint(console);
        std::free(converted);
        converted = nullptr;
    } else if (converted && echo) {
        console_append(console, reinterpret_cast<const unsigned char*>(converted), length, 1);
    }
    console_lock(console);
    console_clear_selection(console);
    console_unlock(console);
    CloseClipboard();
    return converted;
}
