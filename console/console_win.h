// The console's Win32 side: its mutex, its window and the locked entry points.
// console_append runs on any thread; everything else on the terminal window's thread.
#pragma once
#include <windows.h>

#include <cstdint>

#include "console/console.h"

// Prepares a console before its window exists: mutex, values, buffers, an empty LINE
// input line. Returns 1, or 0 when its mutex cannot be made (a console whose buffers
// could not be allocated is made and stays empty).
int console_create(Console* console, const ConsoleSettings* settings);

// Applies changed display settings to a live console.
void console_apply_settings(Console* console, const ConsoleSettings* settings);

// Releases the buffers and the mutex; returns the window the console was attached to
// (null if none), which the caller destroys.
HWND console_destroy(Console* console);

// The local wall-clock time to the millisecond, as the console's lines keep it.
ConsoleTime console_clock_now();

// Appends bytes, stamped with the time of the call; does nothing before a window is
// attached or after destruction.
void console_append(Console* console, const unsigned char* bytes, std::uint32_t length, int scroll_to_end);

// Command 205: empties the console and scrolls home. Returns 1 (0 for no console).
int console_clear_all(Console* console);

// Readers of the text (painting, selection, copy, the log's first write) hold the
// lock so that no append or discard moves the text under them.
void console_lock(Console* console);
void console_unlock(Console* console);

bool console_has_selection(const Console* console);
