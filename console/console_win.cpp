// The console's mutex and window: locked append, create, settings, clear, destroy.
// console_append runs on engine threads, the file-send thread and the window's
// thread; the rest on the window's thread. The console owns its mutex; the window
// belongs to the terminal window, which destroys it after console_destroy.
#include "console/console_win.h"

#include <cstring>

// The view hooks the buffer uses by itself. The scroll bars, the caret and the
// scrolling are the view's; until a view replaces this, the window is only repainted.
static void invalidate_window(Console* console)
{
    if (console->window) InvalidateRect(static_cast<HWND>(console->window), nullptr, FALSE);
}

static const ConsoleView window_only_view = {
    invalidate_window, nullptr, nullptr, nullptr, nullptr, nullptr,
};

static HANDLE mutex_of(const Console* console)
{
    return static_cast<HANDLE>(console->console_mutex);
}

void console_lock(Console* console)
{
    if (console && console->console_mutex) WaitForSingleObject(mutex_of(console), INFINITE);
}

void console_unlock(Console* console)
{
    if (console && console->console_mutex) ReleaseMutex(mutex_of(console));
}

int console_create(Console* console, const ConsoleSettings* settings)
{
    if (!console || !settings) return 0;
    console->console_mutex = CreateMutexA(nullptr, FALSE, nullptr);
    if (!console->console_mutex) return 0;  // out of handles: no console, no window
    if (!console->view) console->view = &window_only_view;
    console_take_settings(console, settings);
    console_allocate_buffers(console, settings);
    console_input_reset(console);
    return 1;
}

void console_apply_settings(Console* console, const ConsoleSettings* settings)
{
    if (!console || !settings) return;
    // The buffer may be replaced: no append may run meanwhile.
    console_lock(console);
    console_take_settings(console, settings);
    console_unlock(console);
    if (!console->window) return;
    const ConsoleView* view = console->view;
    if (view && view->scroll_bars_changed) view->scroll_bars_changed(console);
    if (console->has_focus && view && view->font_changed) view->font_changed(console);
    invalidate_window(console);
}

// Releases the buffers even when no window was ever attached: a port whose window
// could not be created must not leak its text.
HWND console_destroy(Console* console)
{
    if (!console) return nullptr;
    console_lock(console);
    console_release_buffers(console);
    HWND window = static_cast<HWND>(console->window);
    console->window = nullptr;
    console_unlock(console);
    if (console->console_mutex) CloseHandle(mutex_of(console));
    console->console_mutex = nullptr;
    return window;
}

void console_append(Console* console, const unsigned char* bytes, std::uint32_t length, int scroll_to_end)
{
    if (!console || !console->window || !bytes || length == 0 || !console->console_mutex) return;
    WaitForSingleObject(mutex_of(console), INFINITE);
    HWND window = static_cast<HWND>(console->window);
    if (console->selection_state != 0) console_clear_selection(console);
    std::uint32_t last_line = console->last_line;
    console_append_bytes(console, bytes, length);
    const ConsoleView* view = console->view;
    if (console->last_line != last_line && view && view->lines_changed) view->lines_changed(console);
    if (scroll_to_end && view && view->scroll_to_end) view->scroll_to_end(console);
    ReleaseMutex(mutex_of(console));
    if (window) InvalidateRect(window, nullptr, FALSE);
}

int console_clear_all(Console* console)
{
    if (!console) return 0;
    console_lock(console);
    console_clear_buffer(console);
    console->hscroll_pos = 0;
    console->vscroll_pos = 0;
    console_unlock(console);
    const ConsoleView* view = console->view;
    if (view && view->scroll_bars_changed) view->scroll_bars_changed(console);
    invalidate_window(console);
    return 1;
}

bool console_has_selection(const Console* console)
{
    return console && console->selection_state != 0;
}
