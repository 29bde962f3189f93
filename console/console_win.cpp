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

static const ConsoleViewHooks window_only_hooks = {
    invalidate_window, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
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
    if (!console->hooks) console->hooks = &window_only_hooks;
    console_take_settings(console, settings);
    console->view.time_stamps = settings->time_stamps;  // the window's own from now on
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
    const ConsoleViewHooks* hooks = console->hooks;
    if (hooks && hooks->scroll_bars_changed) hooks->scroll_bars_changed(console);
    if (console->has_focus && hooks && hooks->font_changed) hooks->font_changed(console);
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

static std::int64_t milliseconds_of(const FILETIME& time)
{
    ULARGE_INTEGER ticks;  // 100 ns since 1601
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<std::int64_t>(ticks.QuadPart / 10000);
}

// Local time's offset from UTC, in minutes, and the UTC minute it was taken in. It is
// taken again once a minute, not on every append: under Wine the conversion through
// the time-zone data costs several times what the system time does. A change of the
// offset (daylight saving) therefore shows within a minute. Engine threads race
// here: the offset is written before its minute and read after it, each with a
// full barrier, so a thread that sees this minute sees its offset too.
static volatile LONG local_offset_minute = -1;
static volatile LONG local_offset;

ConsoleTime console_clock_now()
{
    FILETIME utc;
    GetSystemTimeAsFileTime(&utc);
    const std::int64_t now = milliseconds_of(utc);
    const LONG minute = static_cast<LONG>(now / 60000);  // fits for four thousand years
    if (InterlockedCompareExchange(&local_offset_minute, minute, minute) != minute) {
        FILETIME local;
        LONG offset = 0;
        if (FileTimeToLocalFileTime(&utc, &local))
            offset = static_cast<LONG>((milliseconds_of(local) - now) / 60000);
        InterlockedExchange(&local_offset, offset);
        InterlockedExchange(&local_offset_minute, minute);
        return now + static_cast<std::int64_t>(offset) * 60000;
    }
    return now + static_cast<std::int64_t>(local_offset) * 60000;
}

void console_append(Console* console, const unsigned char* bytes, std::uint32_t length, int scroll_to_end)
{
    if (!console || !console->window || !bytes || length == 0 || !console->console_mutex) return;
    // The bytes arrived now: the time is taken before waiting for a paint to end.
    const ConsoleTime now = console_clock_now();
    WaitForSingleObject(mutex_of(console), INFINITE);
    HWND window = static_cast<HWND>(console->window);
    if (console->selection.selection_state != 0) console_clear_selection(console);
    std::uint32_t last_line = console_last_line(console);
    console_append_bytes(console, bytes, length, now);
    const ConsoleViewHooks* hooks = console->hooks;
    if (console_last_line(console) != last_line && hooks && hooks->lines_changed)
        hooks->lines_changed(console);
    if (scroll_to_end && hooks && hooks->scroll_to_end) hooks->scroll_to_end(console);
    ReleaseMutex(mutex_of(console));
    if (hooks && hooks->appended)
        hooks->appended(console);
    else if (window)
        InvalidateRect(window, nullptr, FALSE);
}

int console_clear_all(Console* console)
{
    if (!console) return 0;
    console_lock(console);
    console_clear_buffer(console);
    console->view.hscroll_pos = 0;
    console->view.vscroll_pos = 0;
    console_unlock(console);
    const ConsoleViewHooks* hooks = console->hooks;
    if (hooks && hooks->scroll_bars_changed) hooks->scroll_bars_changed(console);
    invalidate_window(console);
    return 1;
}

bool console_has_selection(const Console* console)
{
    return console && console->selection.selection_state != 0;
}
