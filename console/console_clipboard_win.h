// Selecting with the mouse, selecting all, copying to and pasting from the clipboard.
// Window's thread only; the text is read under console_mutex.
#pragma once
#include <windows.h>

#include "console/console.h"

void console_mouse_down(Console* console, HWND window, int x, int y);
void console_mouse_move(Console* console, int x, int y);
void console_mouse_up(Console* console, HWND window);

int console_select_all(Console* console);
// 1 when a selection was copied as CF_TEXT.
int console_copy(Console* console);
void console_select_all_and_copy(Console* console);
// The clipboard text converted for sending (line ends by line_end_mode), owned by
// the caller (free), or none: keys disabled, no text, or LINE input mode (then the
// text went into the input line). With echo the text is also shown.
char* console_paste(Console* console, int line_end_mode, int echo);
