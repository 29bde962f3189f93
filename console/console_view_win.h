// The console's view on its window: attaching, painting, the scroll bars and scroll
// positions, the caret and focus, the IME composition window, and the messages the
// terminal window passes on. Window's thread only, except the two hooks an append
// calls (they only record and post, see console_view_win.cpp).
#pragma once
#include <windows.h>

#include "console/console.h"

// Posted to the terminal window by appends on other threads: bring the scroll bars
// up to date.
constexpr UINT MSG_CONSOLE_VIEW_UPDATE = WM_APP + 1;
// Posted by appends: repaint, at once or when the pause after the last paint is over.
constexpr UINT MSG_CONSOLE_REPAINT = WM_APP + 3;
// The timer (on the terminal window) that ends that pause; WM_TIMER with this id is
// the console's.
constexpr UINT_PTR CONSOLE_REPAINT_TIMER = 0x7C01;

void console_attach_window(Console* console, HWND window);
void console_paint(Console* console, HDC dc, const RECT* client);
// 1 when the console handled the message.
int console_handle_message(Console* console, HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// WM_SIZE: the page sizes follow the new client size at once; with follow_end ("auto
// scroll") the end of the text and the caret are brought into view.
void console_resized(Console* console, int width, int height, bool follow_end);

void console_setup_scroll_bar(Console* console, bool vertical);
void console_set_hscroll(Console* console, int position, bool repaint);
void console_set_vscroll(Console* console, int position, bool repaint);

// The view's font as a LOGFONT (also the IME composition font).
void console_logfont(const Console* console, LOGFONTA* font);
// Measures char_width and line_height from the font on a window DC.
void console_measure_font(Console* console, HWND window);
