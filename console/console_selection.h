// Selecting text with the mouse or all at once, and the byte conversions of copy and
// paste. Portable; the window's thread runs it (the Win32 side adds the mouse
// capture, the drag scrolling and the clipboard, console_clipboard_win.cpp).
#pragma once
#include <cstdint>

#include "console/console.h"

struct SelectionRange {
    std::int32_t lo, hi;  // both -1 when nothing is shown as selected
};
// The lower and higher offset in states 2 and 3.
SelectionRange console_selection_range(const Console* console);

// Button down at a client point: empties a selection, hit-tests, records the marks
// and sets the anchor (state 1) or no selection (state 0). Returns true when the
// window must be repainted.
bool console_selection_press(Console* console, std::int32_t x, std::int32_t y);
// Pointer move in states 1 and 2 (steps that do not scroll): restarts in the
// off-text place of the press, or moves the end and adjusts both ends for
// double-byte characters. Returns true when the window must be repainted.
bool console_selection_move(Console* console, std::int32_t x, std::int32_t y);
// Button up: state 2 becomes 3 with the end clamped to the text; anything else 0.
void console_selection_release(Console* console);
// Both ends off the middle of double-byte characters, each within its own row.
void console_selection_adjust_ends(Console* console);
// Everything selected (state 3) when there is text. Returns true when selected.
bool console_selection_select_all(Console* console);

// Bytes a copy takes: higher - lower + 1 in state 3, else 0.
std::uint32_t console_selection_copy_length(const Console* console);
// The selected bytes with every NUL as a space, NUL-terminated (out holds
// console_selection_copy_length + 1 bytes).
void console_selection_copy_text(const Console* console, char* out);

// The paste conversion of a NUL-terminated text: every CR and LF becomes the line end
// of the mode (0 CR, 1 LF, any other CR LF), a CR LF or LF CR pair counting as one.
// out holds 2 * strlen(text) + 1 bytes; returns the converted length.
std::uint32_t console_paste_convert(const char* text, int line_end_mode, char* out);
